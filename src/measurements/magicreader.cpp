#include "measurements/magicreader.h"

#include "measurements/measurementerror.h"
#include "measurements/readertext.h"
#include "measurements/specimencoordinates.h"
#include "text/tabseparatedtable.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

namespace Demagora {

namespace {

// The tables of a MagIC file in their order, the contribution table (a version note, not
// data) left out.
std::vector<TabSeparatedTable> readTables(const TextLines &lines)
{
    std::vector<TabSeparatedTable> tables;
    std::size_t i = 0;
    const auto blank = [&](std::size_t k) { return trimmed(lines.line(k)).empty(); };
    while (i < lines.size()) {
        while (i < lines.size() && (blank(i) || endsTabSeparatedTable(lines.line(i))))
            ++i;
        if (i >= lines.size())
            break;
        std::optional<TabSeparatedTable> table = tabSeparatedTableAt(lines, i);
        if (!table)
            lines.fail(i, "expected a table's first line, \"tab\" and the table's name.");
        ++i;
        if (table->name == "contribution") {
            while (i < lines.size() && !endsTabSeparatedTable(lines.line(i)))
                ++i;
            continue;
        }
        if (table->columnsLine >= lines.size())
            lines.fail(i - 1,
                "expected the column names of table " + shownText(table->name) + " to follow.");
        i = table->endRow;
        tables.push_back(std::move(*table));
    }
    return tables;
}

std::string field(const std::vector<std::string_view> &fields, int column)
{
    return column >= 0 && std::size_t(column) < fields.size() ? std::string(fields[column])
                                                              : std::string();
}

std::optional<double> number(const std::vector<std::string_view> &fields, int column,
    const TextLines &lines, std::size_t row, std::string_view what)
{
    if (column < 0 || std::size_t(column) >= fields.size())
        return std::nullopt;
    return parseOptionalNumber(fields[column], lines, row, what);
}

// Kelvin as the tables write them, 273 or 273.15 above Celsius; the level is kept to a
// millionth of a degree so that 373.15 and 373 both give exactly 100.
double celsiusFromKelvin(double kelvin)
{
    double celsius = kelvin - 273;
    const double fraction = celsius - std::floor(celsius);
    if (std::abs(fraction - 0.15) < 1e-6)
        celsius = kelvin - 273.15;
    // Rounding a level far past any oven would overflow; it is refused as it is.
    if (!(std::abs(celsius) < 1e12))
        return celsius;
    return std::round(celsius * 1e6) / 1e6;
}

bool hasCode(std::string_view codes, std::string_view code)
{
    while (!codes.empty()) {
        const std::size_t colon = codes.find(':');
        if (trimmed(codes.substr(0, colon)) == code)
            return true;
        if (colon == std::string_view::npos)
            break;
        codes.remove_prefix(colon + 1);
    }
    return false;
}

bool hasCodePrefix(std::string_view codes, std::string_view prefix)
{
    while (!codes.empty()) {
        const std::size_t colon = codes.find(':');
        if (trimmed(codes.substr(0, colon)).starts_with(prefix))
            return true;
        if (colon == std::string_view::npos)
            break;
        codes.remove_prefix(colon + 1);
    }
    return false;
}

// What the method codes say the step was; without codes, what the treatment columns say.
void classify(std::string_view codes, double kelvin, double tesla, RawStep &step)
{
    if (trimmed(codes).empty()) {
        if (tesla > 0) {
            step.treatment = Treatment::AlternatingField;
        } else if (kelvin > 300) {
            step.treatment = Treatment::Thermal;
        } else {
            step.treatment = Treatment::Nrm;
        }
    } else if (hasCode(codes, "LT-NO")) {
        step.treatment = Treatment::Nrm;
        if (hasCode(codes, "LP-DIR-AF"))
            step.experiment = DemagKind::AlternatingField;
        else if (hasCode(codes, "LP-DIR-T") || hasCodePrefix(codes, "LP-PI-TRM"))
            step.experiment = DemagKind::Thermal;
    } else if (hasCode(codes, "LT-T-Z")) {
        step.treatment = Treatment::Thermal;
    } else if (hasCode(codes, "LT-AF-Z")) {
        step.treatment = Treatment::AlternatingField;
    } else {
        step.treatment = Treatment::Other;
    }
    if (step.treatment == Treatment::Thermal)
        step.level = celsiusFromKelvin(kelvin);
    else if (step.treatment == Treatment::AlternatingField)
        step.level = tesla * 1000;
}

struct Parent
{
    std::string parent;
    std::optional<double> volume;
    std::optional<double> azimuth;
    std::optional<double> dip;
    std::optional<double> bedDipDirection;
    std::optional<double> bedDip;
};

using Parents = std::map<std::string, Parent>;

// The rows of a specimens, samples or sites table by name.
void readParents(const TextLines &lines, const TabSeparatedTable &table,
    std::initializer_list<const char *> key, std::initializer_list<const char *> parentKey,
    const char *prefix, Parents &into)
{
    const int name = table.column(key);
    if (name < 0)
        return;
    const std::string p(prefix);
    const int parent = table.column(parentKey);
    const int volume = table.column({ "volume", "specimen_volume" });
    const int azimuth = table.column({ "azimuth", (p + "_azimuth").c_str() });
    const int dip = table.column({ "dip", (p + "_dip").c_str() });
    const int bedDirection
        = table.column({ "bed_dip_direction", (p + "_bed_dip_direction").c_str() });
    const int bedDip = table.column({ "bed_dip", (p + "_bed_dip").c_str() });
    for (std::size_t row = table.firstRow; row < table.endRow; ++row) {
        if (trimmed(lines.line(row)).empty())
            continue;
        const std::vector<std::string_view> fields = splitTabs(lines.line(row));
        const std::string key = field(fields, name);
        if (key.empty() || into.count(key))
            continue;
        Parent entry;
        entry.parent = field(fields, parent);
        entry.volume = number(fields, volume, lines, row, "a volume in cubic metres");
        entry.azimuth = number(fields, azimuth, lines, row, "an azimuth in degrees");
        entry.dip = number(fields, dip, lines, row, "a dip in degrees");
        entry.bedDipDirection
            = number(fields, bedDirection, lines, row, "a bedding dip direction in degrees");
        entry.bedDip = number(fields, bedDip, lines, row, "a bedding dip in degrees");
        into.emplace(key, entry);
    }
}

struct Contribution
{
    Parents specimens;
    Parents samples;
    Parents sites;
};

void readParentTables(
    const TextLines &lines, const std::vector<TabSeparatedTable> &tables, Contribution &into)
{
    for (const TabSeparatedTable &table : tables) {
        if (table.name == "specimens" || table.name == "er_specimens")
            readParents(lines, table, { "specimen", "er_specimen_name" },
                { "sample", "er_sample_name" }, "specimen", into.specimens);
        else if (table.name == "samples" || table.name == "er_samples")
            readParents(lines, table, { "sample", "er_sample_name" }, { "site", "er_site_name" },
                "sample", into.samples);
        else if (table.name == "sites" || table.name == "er_sites")
            readParents(lines, table, { "site", "er_site_name" },
                { "location", "er_location_name" }, "site", into.sites);
    }
}

struct MeasurementColumns
{
    int specimen, sample, site, codes, temp, field, dec, inc, moment, volume, quality, csd;
    std::size_t needed;

    explicit MeasurementColumns(const TabSeparatedTable &t)
        : specimen(t.column({ "specimen", "er_specimen_name" }))
        , sample(t.column({ "sample", "er_sample_name" }))
        , site(t.column({ "site", "er_site_name" }))
        , codes(t.column({ "method_codes", "magic_method_codes" }))
        , temp(t.column({ "treat_temp", "treatment_temp" }))
        , field(t.column({ "treat_ac_field", "treatment_ac_field" }))
        , dec(t.column({ "dir_dec", "measurement_dec" }))
        , inc(t.column({ "dir_inc", "measurement_inc" }))
        , moment(t.column({ "magn_moment", "measurement_magn_moment" }))
        , volume(t.column({ "magn_volume", "measurement_magn_volume" }))
        , quality(t.column({ "quality", "measurement_flag" }))
        , csd(t.column({ "dir_csd", "measurement_csd" }))
    {
        needed = std::size_t(std::max(
                     { specimen, codes, temp, field, dec, inc, moment >= 0 ? moment : volume }))
            + 1;
    }
};

void readMeasurementRows(const TextLines &lines, const TabSeparatedTable &table,
    SpecimenCollector &collector,
    std::map<std::string, std::pair<std::string, std::string>> &parents,
    std::map<std::string, std::pair<MomentUnit, std::size_t>> &units)
{
    const MeasurementColumns c(table);
    const auto missing = [&](const char *name) {
        lines.fail(table.firstRow - 1,
            std::string("expected a column ") + name + " in table " + shownText(table.name) + ".");
    };
    if (c.specimen < 0)
        missing("specimen");
    if (c.dec < 0 || c.inc < 0)
        missing("dir_dec and dir_inc");
    if (c.moment < 0 && c.volume < 0)
        missing("magn_moment or magn_volume");
    std::vector<std::string_view> fields;
    std::string name;
    std::string previous;
    std::string unitName;
    MomentUnit lastUnit = MomentUnit::AmpereSquareMetre;
    for (std::size_t row = table.firstRow; row < table.endRow; ++row) {
        const std::string_view line = lines.line(row);
        if (trimmed(line).empty())
            continue;
        splitTabs(line, fields);
        if (fields.size() < c.needed && fields.size() < table.columns.size())
            lines.fail(row,
                "the row ends after " + std::to_string(fields.size()) + " fields; expected "
                    + std::to_string(table.columns.size()) + " (column "
                    + shownText(table.columns[fields.size()]) + " is missing).");
        name = field(fields, c.specimen);
        if (name.empty())
            lines.fail(row, "expected a specimen name.");
        RawStep step;
        const std::optional<double> kelvin
            = number(fields, c.temp, lines, row, "a temperature in kelvin");
        const std::optional<double> tesla
            = number(fields, c.field, lines, row, "an AF field in tesla");
        classify(c.codes >= 0 ? fields[c.codes] : std::string_view(), kelvin.value_or(273),
            tesla.value_or(0), step);
        step.flaggedBad = lowerCase(field(fields, c.quality)) == "b";
        // A step of its kind without its level is refused, never taken as 0 (unless the row
        // is flagged bad, and so left out whatever it holds).
        if (step.treatment == Treatment::Thermal && !kelvin && !step.flaggedBad)
            lines.fail(row, "expected a temperature in kelvin for a thermal step, found none.");
        if (step.treatment == Treatment::AlternatingField && !tesla && !step.flaggedBad)
            lines.fail(row, "expected an AF field in tesla for an AF step, found none.");
        step.missingLevel = (step.treatment == Treatment::Thermal && !kelvin)
            || (step.treatment == Treatment::AlternatingField && !tesla);
        if (const std::optional<std::string> refusal = levelRefusal(step.treatment, step.level))
            lines.fail(row, *refusal);
        const std::optional<double> dec = number(fields, c.dec, lines, row, "a declination");
        const std::optional<double> inc = number(fields, c.inc, lines, row, "an inclination");
        // Each row's unit is its own: the moment where the row gives one, else the
        // magnetization. A specimen's steps must share one.
        std::optional<double> size = number(fields, c.moment, lines, row, "a moment in A m2");
        MomentUnit unit = MomentUnit::AmpereSquareMetre;
        if (!size) {
            size = number(fields, c.volume, lines, row, "a magnetization in A/m");
            unit = MomentUnit::AmperePerMetre;
        }
        step.errorDegrees = number(fields, c.csd, lines, row, "an angle in degrees");
        // Rows come grouped by specimen: the map is looked at only when the specimen or the
        // unit changes.
        if (size && (name != unitName || unit != lastUnit)) {
            unitName = name;
            lastUnit = unit;
            const auto [first, added] = units.try_emplace(name, unit, row);
            if (!added && first->second.first != unit)
                lines.fail(row,
                    "specimen " + shownText(name) + " has its moment in "
                        + (first->second.first == MomentUnit::AmpereSquareMetre
                                ? "A m2 (magn_moment)"
                                : "A/m (magn_volume)")
                        + " on line " + std::to_string(first->second.second + 1)
                        + " and here only in "
                        + (unit == MomentUnit::AmpereSquareMetre ? "A m2 (magn_moment)"
                                                                 : "A/m (magn_volume)")
                        + "; one specimen's steps must share a unit.");
        }
        if (dec && inc && size) {
            const Vector3 moment = vectorFromDirection(*dec, *inc, *size);
            step.x = moment.x;
            step.y = moment.y;
            step.z = moment.z;
        } else {
            step.missingMoment = true;
        }
        collector.add(name, step);
        // Rows come grouped by specimen: look the parents up only when the specimen changes.
        if (name == previous)
            continue;
        previous = name;
        auto &known = parents[name];
        if (known.first.empty())
            known.first = field(fields, c.sample);
        if (known.second.empty())
            known.second = field(fields, c.site);
    }
}

void attachParents(std::vector<Specimen> &specimens, const Contribution &contribution,
    const std::map<std::string, std::pair<std::string, std::string>> &fromRows)
{
    for (Specimen &specimen : specimens) {
        const auto rowParents = fromRows.find(specimen.name);
        if (rowParents != fromRows.end()) {
            specimen.sample = rowParents->second.first;
            specimen.site = rowParents->second.second;
        }
        if (const auto it = contribution.specimens.find(specimen.name);
            it != contribution.specimens.end()) {
            if (!it->second.parent.empty())
                specimen.sample = it->second.parent;
            specimen.volumeCubicMetres = it->second.volume;
        }
        const Parent *site = nullptr;
        if (const auto it = contribution.samples.find(specimen.sample);
            it != contribution.samples.end()) {
            const Parent &sample = it->second;
            if (!sample.parent.empty())
                specimen.site = sample.parent;
            if (sample.azimuth && sample.dip)
                specimen.orientation = SpecimenOrientation { *sample.azimuth, *sample.dip };
            if (sample.bedDipDirection && sample.bedDip)
                specimen.bedding = Bedding { *sample.bedDipDirection, *sample.bedDip };
        }
        if (const auto it = contribution.sites.find(specimen.site); it != contribution.sites.end())
            site = &it->second;
        if (!specimen.bedding && site && site->bedDipDirection && site->bedDip)
            specimen.bedding = Bedding { *site->bedDipDirection, *site->bedDip };
    }
}

bool isMeasurementTable(const TabSeparatedTable &table)
{
    return table.name == "measurements" || table.name == "magic_measurements";
}

} // namespace

void takeNamesFromTablesBeside(const std::string &folder, std::vector<Specimen> &specimens,
    FilesRead &files, std::vector<std::string> &notes)
{
    namespace fs = std::filesystem;
    Contribution contribution;
    for (const char *name : { "specimens.txt", "samples.txt" }) {
        const fs::path beside = fs::path(folder) / name;
        std::error_code error;
        if (fs::status(beside, error).type() == fs::file_type::not_found)
            continue;
        try {
            const TextLines lines = measurementLines(beside.string(), files.read(beside.string()));
            readParentTables(lines, readTables(lines), contribution);
        } catch (const MeasurementError &refusal) {
            notes.push_back(std::string(refusal.what()) + " Its sample and site names are not used.");
        }
    }
    for (Specimen &specimen : specimens) {
        if (const auto it = contribution.specimens.find(specimen.name);
            it != contribution.specimens.end() && !it->second.parent.empty())
            specimen.sample = it->second.parent;
        if (const auto it = contribution.samples.find(specimen.sample);
            !specimen.sample.empty() && it != contribution.samples.end()
            && !it->second.parent.empty())
            specimen.site = it->second.parent;
    }
}

bool looksLikeMagic(const std::string &text)
{
    const TextLines lines
        = measurementLines("", text.substr(0, std::min<std::size_t>(text.size(), 4096)));
    return lines.size() > 0 && !tabSeparatedTableName(lines.line(0)).empty();
}

std::vector<std::string> magicMeasurementFilesIn(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const char *name : { "measurements.txt", "magic_measurements.txt" })
        if (fs::exists(fs::path(folder) / name))
            files.push_back((fs::path(folder) / name).string());
    return files;
}

MeasurementSet readMagic(const std::string &path, const ReadOptions &options)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    if (fs::is_directory(path)) {
        files = magicMeasurementFilesIn(path);
        if (files.empty())
            throw MeasurementError(shownPath(path) + ": the folder holds no measurements.txt.");
    } else {
        files.push_back(path);
    }
    // A measurements table alone takes its parents from the tables beside it.
    const fs::path folder = fs::path(files.front()).parent_path();
    FilesRead read;
    std::vector<TextLines> texts;
    // A lab's table can reach a million rows: it is read in pieces, never held whole.
    texts.push_back(measurementLinesInPieces(read, files.front()));
    std::vector<TabSeparatedTable> mainTables = readTables(texts.front());
    const bool combined = mainTables.size() > 1;
    const bool magic25 = !mainTables.empty() && mainTables.front().name == "magic_measurements";
    MeasurementSet set;
    set.summary.format = MeasurementFormat::Magic;
    SpecimenCollector collector(options, set.summary);
    Contribution contribution;
    std::map<std::string, std::pair<std::string, std::string>> rowParents;
    // Each specimen's unit, and the line that set it.
    std::map<std::string, std::pair<MomentUnit, std::size_t>> units;
    bool sawMeasurements = false;
    for (const TabSeparatedTable &table : mainTables)
        if (isMeasurementTable(table)) {
            readMeasurementRows(texts.front(), table, collector, rowParents, units);
            sawMeasurements = true;
        }
    if (!sawMeasurements)
        throw MeasurementError(
            shownPath(files.front()) + ": the file holds no measurements table.");
    readParentTables(texts.front(), mainTables, contribution);
    if (!combined) {
        const std::vector<const char *> names = magic25
            ? std::vector<const char *> { "er_specimens.txt", "er_samples.txt", "er_sites.txt" }
            : std::vector<const char *> { "specimens.txt", "samples.txt", "sites.txt" };
        for (const char *name : names) {
            const fs::path beside = folder / name;
            // A sibling that is there but no regular file (a pipe) is refused when read, not
            // passed over with the orientations it should hold.
            std::error_code error;
            if (fs::status(beside, error).type() == fs::file_type::not_found)
                continue;
            const TextLines lines = measurementLines(beside.string(), read.read(beside.string()));
            readParentTables(lines, readTables(lines), contribution);
        }
    }
    set.specimens = collector.finish();
    set.files = read.paths();
    if (std::optional<std::string> note = unendedLastLineNote(texts.front()))
        set.summary.notes.push_back(std::move(*note));
    for (Specimen &specimen : set.specimens)
        if (const auto it = units.find(specimen.name); it != units.end())
            specimen.unit = it->second.first;
    attachParents(set.specimens, contribution, rowParents);
    return set;
}

} // namespace Demagora
