#include "measurements/puffinplotreader.h"

#include "measurements/readertext.h"

#include <algorithm>

namespace Demagora {

namespace {

int columnOf(const std::vector<std::string> &columns, const char *name)
{
    const auto it = std::find(columns.begin(), columns.end(), name);
    return it == columns.end() ? -1 : int(it - columns.begin());
}

std::optional<double> value(const std::vector<std::string_view> &fields, int column,
    const TextLines &lines, std::size_t row, const std::string &what)
{
    if (column < 0 || std::size_t(column) >= fields.size())
        return std::nullopt;
    return parseOptionalNumber(
        fields[column], lines, row, what + " (" + "column " + std::to_string(column + 1) + ")");
}

} // namespace

MeasurementSet readPuffinPlot(const std::string &path, const ReadOptions &options)
{
    const TextLines lines = measurementLines(path, readMeasurementFile(path));
    if (lines.size() < 2 || !lines.line(0).starts_with("PuffinPlot file."))
        lines.fail(0, "expected \"PuffinPlot file. Version 2\" or \"... Version 3\".");
    std::vector<std::string> columns;
    for (std::string_view name : splitTabs(lines.line(1)))
        columns.emplace_back(name);
    int id = columnOf(columns, "DISCRETE_ID");
    if (id < 0)
        id = columnOf(columns, "DEPTH");
    const int treatment = columnOf(columns, "TREATMENT");
    const int x = columnOf(columns, "X_MOMENT");
    const int y = columnOf(columns, "Y_MOMENT");
    const int z = columnOf(columns, "Z_MOMENT");
    if (id < 0 || treatment < 0 || x < 0 || y < 0 || z < 0)
        lines.fail(1,
            "expected the columns DISCRETE_ID (or DEPTH), TREATMENT, X_MOMENT, "
            "Y_MOMENT and Z_MOMENT.");
    const int temperature = columnOf(columns, "TEMPERATURE");
    const int afx = columnOf(columns, "AF_X");
    const int afy = columnOf(columns, "AF_Y");
    const int afz = columnOf(columns, "AF_Z");
    const int volume = columnOf(columns, "VOLUME");
    const int sampleAz = columnOf(columns, "SAMPLE_AZ");
    const int sampleDip = columnOf(columns, "SAMPLE_DIP");
    const int formAz = columnOf(columns, "FORM_AZ");
    const int formDip = columnOf(columns, "FORM_DIP");
    const int hidden = columnOf(columns, "HIDDEN");
    const std::size_t needed = std::size_t(std::max({ id, treatment, x, y, z })) + 1;
    MeasurementSet set;
    set.summary.format = MeasurementFormat::PuffinPlot;
    SpecimenCollector collector(options, set.summary);
    for (std::size_t row = 2; row < lines.size(); ++row) {
        // The measurements end at the first empty line; sample and suite data follow.
        if (trimmed(lines.line(row)).empty())
            break;
        const std::vector<std::string_view> fields = splitTabs(lines.line(row));
        if (fields.size() < needed)
            lines.fail(row,
                "the row ends after " + std::to_string(fields.size()) + " fields; expected "
                    + std::to_string(columns.size()) + ".");
        const std::string name(fields[id]);
        if (name.empty())
            lines.fail(row, "expected a sample name in " + columns[id] + ".");
        RawStep step;
        const std::string kind(fields[treatment]);
        if (kind == "NONE") {
            step.treatment = Treatment::Nrm;
        } else if (kind == "THERMAL") {
            step.treatment = Treatment::Thermal;
            const std::optional<double> level
                = value(fields, temperature, lines, row, "a temperature");
            if (!level)
                lines.fail(row, "expected a temperature for a THERMAL step, found none.");
            step.level = *level;
        } else if (kind == "DEGAUSS_XYZ" || kind == "DEGAUSS_Z") {
            step.treatment = Treatment::AlternatingField;
            double tesla = 0;
            for (const int axis : { afx, afy, afz })
                tesla = std::max(tesla, value(fields, axis, lines, row, "an AF field").value_or(0));
            step.level = tesla * 1000;
        } else {
            step.treatment = Treatment::Other;
        }
        if (const std::optional<std::string> refusal = levelRefusal(step.treatment, step.level))
            lines.fail(row, *refusal);
        const std::optional<double> mx = value(fields, x, lines, row, "X_MOMENT");
        const std::optional<double> my = value(fields, y, lines, row, "Y_MOMENT");
        const std::optional<double> mz = value(fields, z, lines, row, "Z_MOMENT");
        step.missingMoment = !mx || !my || !mz;
        step.x = mx.value_or(0);
        step.y = my.value_or(0);
        step.z = mz.value_or(0);
        step.flaggedBad = hidden >= 0 && std::size_t(hidden) < fields.size()
            && lowerCase(fields[hidden]) == "true";
        Specimen &specimen = collector.specimen(name);
        specimen.unit = MomentUnit::AmperePerMetre;
        if (const std::optional<double> cm3 = value(fields, volume, lines, row, "VOLUME"))
            specimen.volumeCubicMetres = *cm3 * 1e-6;
        const std::optional<double> az = value(fields, sampleAz, lines, row, "SAMPLE_AZ");
        const std::optional<double> dip = value(fields, sampleDip, lines, row, "SAMPLE_DIP");
        if (az && dip)
            specimen.orientation = SpecimenOrientation { *az, *dip - 90 };
        const std::optional<double> bedAz = value(fields, formAz, lines, row, "FORM_AZ");
        const std::optional<double> bedDip = value(fields, formDip, lines, row, "FORM_DIP");
        if (bedAz && bedDip)
            specimen.bedding = Bedding { *bedAz, *bedDip };
        collector.add(name, step);
    }
    set.specimens = collector.finish();
    set.files = { path };
    if (std::optional<std::string> note = unendedLastLineNote(lines))
        set.summary.notes.push_back(std::move(*note));
    return set;
}

} // namespace Demagora
