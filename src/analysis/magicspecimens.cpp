#include "analysis/magicspecimens.h"

#include "analysis/analysiscsv.h"
#include "analysis/analysiserror.h"
#include "analysis/tabletext.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Demagora {

namespace {

// Degrees Celsius to kelvin as the measurements tables count them.
constexpr double KelvinOffset = 273;

constexpr std::array<const char *, 15> Columns
    = { "specimen", "sample", "dir_comp", "dir_dec", "dir_inc", "dir_mad_free", "dir_dang",
          "dir_n_measurements", "dir_tilt_correction", "meas_step_min", "meas_step_max",
          "meas_step_unit", "method_codes", "result_quality", "citations" };

std::string fitCode(FitType type)
{
    switch (type) {
    case FitType::Free:
        return "DE-BFL";
    case FitType::Anchored:
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
    std::string codes = "LP-DIR-T:" + fitCode(row.type);
    if (row.coordinates == Coordinates::Geographic)
        codes += ":DA-DIR-GEO";
    else if (row.coordinates == Coordinates::Tilt)
        codes += ":DA-DIR-TILT";
    return codes;
}

std::string tiltCorrection(Coordinates coordinates)
{
    switch (coordinates) {
    case Coordinates::Specimen:
        return "-1";
    case Coordinates::Geographic:
        return "0";
    case Coordinates::Tilt:
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

Coordinates coordinatesOf(const TableRow &row, const std::vector<std::string> &codes)
{
    const std::string tilt = row.field("dir_tilt_correction");
    if (tilt.empty()) {
        if (std::find(codes.begin(), codes.end(), "DA-DIR-TILT") != codes.end())
            return Coordinates::Tilt;
        if (std::find(codes.begin(), codes.end(), "DA-DIR-GEO") != codes.end())
            return Coordinates::Geographic;
        return Coordinates::Specimen;
    }
    const double value = row.number("dir_tilt_correction");
    if (value == -1)
        return Coordinates::Specimen;
    if (value == 0)
        return Coordinates::Geographic;
    if (value == 100)
        return Coordinates::Tilt;
    throw row.error("dir_tilt_correction", "'" + tilt + "' is not -1, 0 or 100");
}

SavedInterpretation interpretationOf(
    const TableRow &row, FitType type, const std::vector<std::string> &codes)
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
    const std::string unit = row.field("meas_step_unit");
    if (!unit.empty() && unit != "K") {
        throw row.error("meas_step_unit",
            "the steps are in '" + unit + "'; only thermal steps (K) can be read");
    }
    saved.fromCelsius = row.number("meas_step_min") - KelvinOffset;
    saved.toCelsius = row.number("meas_step_max") - KelvinOffset;
    if (saved.fromCelsius > saved.toCelsius)
        throw row.error("meas_step_max", "the last step lies below the first (meas_step_min)");
    if (const std::optional<double> n = row.optionalNumber("dir_n_measurements")) {
        if (*n < 0 || *n != std::floor(*n) || *n > 1e6)
            throw row.error("dir_n_measurements", "not a count of measurements");
        saved.n = static_cast<int>(*n);
    }
    saved.coordinates = coordinatesOf(row, codes);
    return saved;
}

} // namespace

SavedInterpretation savedInterpretation(const std::string &specimen, const std::string &sample,
    const InterpretedComponent &component, const ComponentFit &fit)
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
    saved.fromCelsius = fit.from;
    saved.toCelsius = fit.to;
    saved.n = fit.n;
    saved.direction = fit.fit->angles;
    saved.mad = fit.fit->mad;
    saved.dang = fit.fit->dang;
    return saved;
}

void writeMagicSpecimens(std::ostream &out, std::span<const SavedInterpretation> rows)
{
    out << "tab\tspecimens\n";
    for (std::size_t i = 0; i < Columns.size(); ++i)
        out << (i == 0 ? "" : "\t") << Columns[i];
    out << '\n';
    for (const SavedInterpretation &row : rows) {
        const std::array<std::string, Columns.size()> fields = { row.specimen,
            row.sample.empty() ? row.specimen : row.sample, row.component,
            csvNumber(row.direction.declination), csvNumber(row.direction.inclination),
            csvNumber(row.mad), csvNumber(row.dang), std::to_string(row.n),
            tiltCorrection(row.coordinates), csvNumber(row.fromCelsius + KelvinOffset),
            csvNumber(row.toCelsius + KelvinOffset), "K", methodCodes(row), "g", "This study" };
        for (std::size_t i = 0; i < fields.size(); ++i)
            out << (i == 0 ? "" : "\t") << fields[i];
        out << '\n';
    }
}

std::vector<SavedInterpretation> readMagicSpecimens(std::istream &in, const std::string &fileName)
{
    TabTable table(in, fileName, "specimens");
    std::vector<SavedInterpretation> saved;
    while (const std::optional<TableRow> row = table.next()) {
        const std::vector<std::string> codes = row->codes("method_codes");
        const std::optional<FitType> type = fitTypeOfCodes(codes);
        if (type)
            saved.push_back(interpretationOf(*row, *type, codes));
    }
    return saved;
}

} // namespace Demagora
