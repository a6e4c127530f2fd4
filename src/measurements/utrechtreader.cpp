#include "measurements/utrechtreader.h"

#include "measurements/readertext.h"

namespace Demagora {

namespace {

constexpr double AmpereSquareMetresPerPico = 1e-12;

std::vector<std::string_view> splitCommas(std::string_view line)
{
    std::vector<std::string_view> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        std::string_view field = trimmed(line.substr(0, comma));
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
            field = trimmed(field.substr(1, field.size() - 2));
        fields.push_back(field);
        if (comma == std::string_view::npos)
            return fields;
        line.remove_prefix(comma + 1);
    }
}

} // namespace

MeasurementSet readUtrecht(const std::string &path, const ReadOptions &options)
{
    const TextLines lines = measurementLines(path, readMeasurementFile(path));
    const std::string name = lowerCase(fileNameOf(path));
    const Treatment kind = name.ends_with(".af") ? Treatment::AlternatingField : Treatment::Thermal;
    MeasurementSet set;
    set.summary.format = MeasurementFormat::Utrecht;
    SpecimenCollector collector(options, set.summary);
    std::string specimen;
    // The first line is the file's comment.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = trimmed(lines.line(i));
        if (line.empty())
            continue;
        if (line == "END")
            break;
        if (line == "9999") {
            specimen.clear();
            continue;
        }
        const std::vector<std::string_view> fields = splitCommas(line);
        if (specimen.empty()) {
            if (fields.size() < 7)
                lines.fail(i,
                    "expected a specimen header: name, steps, core azimuth, core dip, "
                    "volume, bedding strike, bedding dip.");
            specimen = std::string(fields[0]);
            if (specimen.empty())
                lines.fail(i, "expected a specimen name.");
            Specimen &target = collector.specimen(specimen);
            target.unit = MomentUnit::AmpereSquareMetre;
            const double azimuth = parseNumber(fields[2], lines, i, "the core azimuth");
            const double dip = parseNumber(fields[3], lines, i, "the core dip");
            const std::optional<double> volume
                = parseOptionalNumber(fields[4], lines, i, "the volume in cm3");
            const double strike = parseNumber(fields[5], lines, i, "the bedding strike");
            const double bedDip = parseNumber(fields[6], lines, i, "the bedding dip");
            target.orientation = SpecimenOrientation { azimuth, dip - 90 };
            target.bedding = Bedding { strike + 90, bedDip };
            if (volume)
                target.volumeCubicMetres = *volume * 1e-6;
            continue;
        }
        if (fields.size() < 4)
            lines.fail(i,
                "the line ends after " + std::to_string(fields.size())
                    + " values; expected a step and its moments a, b, c.");
        RawStep step;
        step.level = parseNumber(fields[0], lines, i, "a step level");
        step.treatment = step.level == 0 ? Treatment::Nrm : kind;
        if (const std::optional<std::string> refusal = levelRefusal(step.treatment, step.level))
            lines.fail(i, *refusal);
        const std::optional<double> a = parseOptionalNumber(fields[1], lines, i, "moment a");
        const std::optional<double> b = parseOptionalNumber(fields[2], lines, i, "moment b");
        const std::optional<double> c = parseOptionalNumber(fields[3], lines, i, "moment c");
        step.missingMoment = !a || !b || !c;
        // The file's axes: a = -z, b = -x, c = y.
        step.x = -b.value_or(0) * AmpereSquareMetresPerPico;
        step.y = c.value_or(0) * AmpereSquareMetresPerPico;
        step.z = -a.value_or(0) * AmpereSquareMetresPerPico;
        collector.add(specimen, step);
    }
    set.specimens = collector.finish();
    set.files = { path };
    if (std::optional<std::string> note = unendedLastLineNote(lines))
        set.summary.notes.push_back(std::move(*note));
    return set;
}

} // namespace Demagora
