#include "analysis/magicspecimens.h"

#include "analysis/analysiscsv.h"
#include "analysis/analysiserror.h"
#include "analysis/tabletext.h"
#include "text/numbertext.h"
#include "version/version.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace Demagora {

namespace {

// Degrees Celsius to kelvin as the measurements tables count them.
constexpr double KelvinOffset = 273;
// mT in a tesla.
constexpr double MillitelsaPerTesla = 1000;

// The level of a step in the table's unit, and back.
double tableLevel(double level, DemagKind demag)
{
    return demag == DemagKind::Thermal ? level + KelvinOffset : level / MillitelsaPerTesla;
}

double levelOfTable(double value, DemagKind demag)
{
    return demag == DemagKind::Thermal ? value - KelvinOffset : value * MillitelsaPerTesla;
}

const char *unitOf(DemagKind demag)
{
    return demag == DemagKind::Thermal ? "K" : "T";
}

constexpr std::array<const char *, 16> Columns
    = { "specimen", "sample", "dir_comp", "dir_dec", "dir_inc", "dir_mad_free", "dir_dang",
          "dir_n_measurements", "dir_tilt_correction", "meas_step_min", "meas_step_max",
          "meas_step_unit", "method_codes", "result_quality", "citations", "software_packages" };

// The method codes that make a row a fit.
constexpr std::array<const char *, 4> FitCodes = { "DE-BFL", "DE-BFL-A", "DE-BFL-O", "DE-BFP" };

std::string fitCode(FitType type)
{
    switch (type) {
    case FitType::Free:
        return "DE-BFL";
    case FitType::Anchored:
    case FitType::VectorMean: // stored as its programs store it
        return "DE-BFL-A";
    case FitType::Origin:
        return "DE-BFL-O";
    case FitType::Plane:
        return "DE-BFP";
    }
    return {};
}

std::string methodCodes(const SavedInterpretation &row)
{
    std::string codes
        = (row.demag == DemagKind::Thermal ? "LP-DIR-T:" : "LP-DIR-AF:") + fitCode(row.type);
    if (row.coordinates == CoordinateSystem::Geographic)
        codes += ":DA-DIR-GEO";
    else if (row.coordinates == CoordinateSystem::TiltCorrected)
        codes += ":DA-DIR-TILT";
    return codes;
}

std::string tiltCorrection(CoordinateSystem coordinates)
{
    switch (coordinates) {
    case CoordinateSystem::Specimen:
        return "-1";
    case CoordinateSystem::Geographic:
        return "0";
    case CoordinateSystem::TiltCorrected:
        return "100";
    }
    return {};
}

std::optional<FitType> fitTypeOfCodes(const std::vector<std::string> &codes)
{
    for (const FitType type :
        { FitType::Free, FitType::Anchored, FitType::Origin, FitType::Plane }) {
        if (std::find(codes.begin(), codes.end(), fitCode(type)) != codes.end())
            return type;
    }
    return std::nullopt;
}

CoordinateSystem frameOfRow(const TableRow &row, const std::vector<std::string> &codes)
{
    const std::string tilt = row.field("dir_tilt_correction");
    if (tilt.empty()) {
        if (std::find(codes.begin(), codes.end(), "DA-DIR-TILT") != codes.end())
            return CoordinateSystem::TiltCorrected;
        if (std::find(codes.begin(), codes.end(), "DA-DIR-GEO") != codes.end())
            return CoordinateSystem::Geographic;
        return CoordinateSystem::Specimen;
    }
    const double value = row.number("dir_tilt_correction");
    if (value == -1)
        return CoordinateSystem::Specimen;
    if (value == 0)
        return CoordinateSystem::Geographic;
    if (value == 100)
        return CoordinateSystem::TiltCorrected;
    throw row.error("dir_tilt_correction", "'" + tilt + "' is not -1, 0 or 100");
}

bool isFitRow(const std::vector<std::string> &codes)
{
    return std::any_of(FitCodes.begin(), FitCodes.end(), [&](const char *code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    });
}

// Programs whose anchored line (DE-BFL-A) is the vector mean of the chosen steps.
bool storesVectorMeans(const std::string &software)
{
    std::string lower = software;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("pmagpy") != std::string::npos;
}

SavedInterpretation interpretationOf(const TableRow &row, FitType type,
    const std::vector<std::string> &codes, DemagKind demag)
{
    SavedInterpretation saved;
    saved.line = row.line();
    saved.type = type;
    saved.specimen = row.field("specimen");
    if (saved.specimen.empty())
        throw row.error("specimen", "no specimen is named");
    saved.sample = row.field("sample");
    saved.component = row.field("dir_comp");
    saved.direction = { row.number("dir_dec"), row.number("dir_inc") };
    if (saved.direction.inclination < -90 || saved.direction.inclination > 90)
        throw row.error("dir_inc", "an inclination lies from -90 to 90 degrees");
    saved.mad = row.optionalNumber("dir_mad_free");
    saved.dang = row.optionalNumber("dir_dang");
    saved.software = row.field("software_packages");
    if (type == FitType::Anchored && storesVectorMeans(saved.software))
        saved.type = FitType::VectorMean;
    saved.demag = demag;
    saved.from = levelOfTable(row.number("meas_step_min"), demag);
    saved.to = levelOfTable(row.number("meas_step_max"), demag);
    if (saved.from > saved.to)
        throw row.error("meas_step_max", "the last step lies below the first (meas_step_min)");
    if (const std::optional<double> n = row.optionalNumber("dir_n_measurements")) {
        if (*n < 0 || *n != std::floor(*n) || *n > 1e6)
            throw row.error("dir_n_measurements", "not a count of measurements");
        saved.n = static_cast<int>(*n);
    }
    saved.coordinates = frameOfRow(row, codes);
    return saved;
}

} // namespace

SavedInterpretation savedInterpretation(const std::string &specimen, const std::string &sample,
    const InterpretedComponent &component, const ComponentFit &fit, DemagKind demag)
{
    if (!fit.fit)
        throw AnalysisError("the component " + component.name + " of " + specimen
            + " has no fit to save: " + fit.refusal);
    SavedInterpretation saved;
    saved.specimen = specimen;
    saved.sample = sample.empty() ? specimen : sample;
    saved.component = component.name;
    saved.type = component.type;
    saved.coordinates = component.coordinates;
    saved.demag = demag;
    saved.from = fit.from;
    saved.to = fit.to;
    saved.n = fit.n;
    saved.direction = fit.fit->angles;
    saved.mad = fit.fit->mad;
    saved.dang = fit.fit->dang;
    saved.software = component.software;
    return saved;
}

namespace {

std::array<std::string, Columns.size()> rowFields(const SavedInterpretation &row)
{
    return { row.specimen, row.sample.empty() ? row.specimen : row.sample, row.component,
        csvNumber(row.direction.declination), csvNumber(row.direction.inclination),
        csvNumber(row.mad), csvNumber(row.dang), std::to_string(row.n),
        tiltCorrection(row.coordinates), shortestText(tableLevel(row.from, row.demag)),
        shortestText(tableLevel(row.to, row.demag)), unitOf(row.demag), methodCodes(row), "g", "This study",
        row.software.empty() ? std::string("demagora-") + ProgramVersion : row.software };
}

void writeFields(std::ostream &out, std::span<const std::string> fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        out << (i == 0 ? "" : "\t") << fields[i];
    out << '\n';
}

// The demagnetization of a fit row by its unit: kelvin (or none) thermal, tesla AF.
std::optional<DemagKind> demagOfRow(const TableRow &row)
{
    const std::string unit = row.field("meas_step_unit");
    if (unit.empty() || unit == "K")
        return DemagKind::Thermal;
    if (unit == "T")
        return DemagKind::AlternatingField;
    return std::nullopt;
}

} // namespace

void writeMagicSpecimens(std::ostream &out, std::span<const SavedInterpretation> rows)
{
    out << "tab\tspecimens\n";
    writeFields(out, std::vector<std::string>(Columns.begin(), Columns.end()));
    for (const SavedInterpretation &row : rows)
        writeFields(out, rowFields(row));
}

int writeMergedMagicSpecimens(std::ostream &out, std::istream &existing,
    const std::string &existingName, std::span<const SavedInterpretation> rows)
{
    TabTable table(existing, existingName, "specimens");
    std::vector<std::string> columns = table.columns();
    for (const char *column : Columns) {
        if (std::find(columns.begin(), columns.end(), column) == columns.end())
            columns.emplace_back(column);
    }
    std::set<std::tuple<std::string, std::string, DemagKind>> replaced;
    for (const SavedInterpretation &row : rows)
        replaced.emplace(row.specimen, row.component, row.demag);

    out << "tab\tspecimens\n";
    writeFields(out, columns);
    int kept = 0;
    while (const std::optional<TableRow> row = table.next()) {
        const std::optional<DemagKind> demag = demagOfRow(*row);
        if (isFitRow(row->codes("method_codes")) && demag
            && replaced.contains({ row->field("specimen"), row->field("dir_comp"), *demag }))
            continue;
        std::vector<std::string> fields = row->fields();
        fields.resize(columns.size());
        writeFields(out, fields);
        ++kept;
    }
    for (const SavedInterpretation &row : rows) {
        const std::array<std::string, Columns.size()> own = rowFields(row);
        std::vector<std::string> fields(columns.size());
        for (std::size_t i = 0; i < Columns.size(); ++i) {
            const auto at = std::find(columns.begin(), columns.end(), Columns[i]);
            fields[static_cast<std::size_t>(at - columns.begin())] = own[i];
        }
        writeFields(out, fields);
    }
    return kept;
}

MagicSpecimensFits readMagicSpecimens(
    std::istream &in, const std::string &fileName, DemagKind demag)
{
    return readMagicSpecimens(tableLines(in, fileName), demag);
}

MagicSpecimensFits readMagicSpecimens(TextLines lines, DemagKind demag)
{
    TabTable table(std::move(lines), "specimens");
    MagicSpecimensFits read;
    while (const std::optional<TableRow> row = table.next()) {
        const std::vector<std::string> codes = row->codes("method_codes");
        const std::optional<FitType> type = fitTypeOfCodes(codes);
        if (!type)
            continue;
        if (demagOfRow(*row) != demag) {
            ++read.otherTreatments;
            continue;
        }
        read.fits.push_back(interpretationOf(*row, *type, codes, demag));
        if (read.fits.back().type == FitType::VectorMean)
            ++read.vectorMeans;
    }
    return read;
}

FramedFits fitsForFrame(std::span<const SavedInterpretation> rows, CoordinateSystem wanted)
{
    using Group = std::pair<std::string, std::string>; // specimen, component
    std::map<Group, std::optional<CoordinateSystem>> taken; // the frame each group's fits come from
    FramedFits framed;
    for (const SavedInterpretation &row : rows) {
        ++framed.counts.read[static_cast<std::size_t>(row.coordinates)];
        std::optional<CoordinateSystem> &frame = taken[{ row.specimen, row.component }];
        if (row.coordinates == wanted || !frame)
            frame = row.coordinates;
    }
    std::set<std::tuple<std::string, std::string, FitType, double, double>> seen;
    for (const SavedInterpretation &row : rows) {
        if (taken.at({ row.specimen, row.component }) != row.coordinates)
            continue;
        if (!seen.emplace(row.specimen, row.component, row.type, row.from, row.to)
                 .second) {
            ++framed.counts.repeats;
            continue;
        }
        ++framed.counts.used[static_cast<std::size_t>(row.coordinates)];
        if (row.coordinates != wanted)
            ++framed.counts.converted;
        framed.fits.push_back(row);
    }
    return framed;
}

std::string frameCountsText(const FrameCounts &counts, CoordinateSystem wanted)
{
    int read = 0;
    int used = 0;
    std::string perFrame;
    for (std::size_t i = 0; i < counts.read.size(); ++i) {
        read += counts.read[i];
        used += counts.used[i];
        if (counts.read[i] > 0) {
            perFrame += (perFrame.empty() ? "" : ", ") + std::to_string(counts.read[i]) + " "
                + std::string(coordinateSystemName(static_cast<CoordinateSystem>(i)));
        }
    }
    std::string text = std::to_string(read) + " fits read";
    if (!perFrame.empty())
        text += " (" + perFrame + ")";
    text += "; " + std::to_string(used) + " used in " + std::string(coordinateSystemName(wanted))
        + " coordinates";
    if (counts.converted > 0)
        text += " (" + std::to_string(counts.converted) + " refitted from another frame)";
    if (counts.repeats > 0)
        text += "; " + std::to_string(counts.repeats) + " repeated rows counted once";
    return text;
}

} // namespace Demagora
