#include "measurements/magicmeasurements.h"

#include "measurements/measurementtext.h"
#include "measurements/specimencoordinates.h"

#include <algorithm>
#include <string_view>
#include <vector>
#include <string>

namespace Demagora {

namespace {

// The software_packages of every row written, by which a table of this program's is told from
// a laboratory's.
constexpr std::string_view WrittenBy = "Demagora";

// Degrees Celsius to kelvin as the tables count them: whole degrees plus 273, which the
// readers take back exactly.
constexpr double KelvinOffset = 273;

std::string methodCodes(Treatment treatment, bool alternatingField)
{
    switch (treatment) {
    case Treatment::Nrm:
        return alternatingField ? "LT-NO:LP-DIR-AF" : "LT-NO:LP-DIR-T";
    case Treatment::Thermal:
        return "LT-T-Z:LP-DIR-T";
    case Treatment::AlternatingField:
        return "LT-AF-Z:LP-DIR-AF";
    case Treatment::Other:
        break;
    }
    return "LT-NO";
}

} // namespace

bool writtenByThisProgram(std::string_view table)
{
    // The first three lines: the table's name, its columns and its first row.
    std::vector<std::string_view> lines;
    while (lines.size() < 3 && !table.empty()) {
        const std::size_t end = table.find('\n');
        lines.push_back(table.substr(0, end));
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    }
    if (lines.size() < 3 || !lines[0].starts_with("tab\tmeasurements"))
        return false;
    const auto fields = [](std::string_view line) {
        std::vector<std::string_view> cut;
        for (std::size_t at = 0;;) {
            const std::size_t tab = line.find('\t', at);
            cut.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
            if (tab == std::string_view::npos)
                return cut;
            at = tab + 1;
        }
    };
    const std::vector<std::string_view> columns = fields(lines[1]);
    const std::vector<std::string_view> first = fields(lines[2]);
    for (std::size_t c = 0; c < columns.size() && c < first.size(); ++c) {
        std::string_view value = first[c];
        if (value.ends_with('\r'))
            value.remove_suffix(1);
        if (columns[c] == "software_packages")
            return value == WrittenBy;
    }
    return false;
}

void writeMagicMeasurements(std::ostream &stream, std::span<const Specimen> specimens)
{
    stream << "tab\tmeasurements\n"
              "measurement\texperiment\tspecimen\tsample\tsite\tsequence\tquality\tstandard\t"
              "method_codes\ttreat_temp\ttreat_ac_field\ttreat_dc_field\tmeas_temp\tdir_dec\t"
              "dir_inc\tmagn_moment\tmagn_volume\tdir_csd\tsoftware_packages\n";
    std::size_t sequence = 0;
    for (const Specimen &specimen : specimens) {
        const bool alternatingField = std::any_of(specimen.steps.begin(), specimen.steps.end(),
            [](const SpecimenStep &step) { return step.treatment == Treatment::AlternatingField; });
        // Each row in the column of its specimen's unit, the other left empty.
        const bool volume = specimen.unit == MomentUnit::AmperePerMetre;
        // As the specimens table names it: a specimen of no known sample is its own sample.
        const std::string &sample = specimen.sample.empty() ? specimen.name : specimen.sample;
        const std::string experiment
            = specimen.name + (alternatingField ? "-LP-DIR-AF" : "-LP-DIR-T");
        for (std::size_t i = 0; i < specimen.steps.size(); ++i) {
            const SpecimenStep &step = specimen.steps[i];
            const Vector3 moment { step.x, step.y, step.z };
            const double kelvin
                = KelvinOffset + (step.treatment == Treatment::Thermal ? step.level : 0);
            const double tesla
                = step.treatment == Treatment::AlternatingField ? step.level / 1000 : 0;
            stream << specimen.name << '-' << (i + 1) << '\t' << experiment << '\t' << specimen.name
                   << '\t' << sample << '\t' << specimen.site << '\t' << ++sequence << '\t'
                   << (step.bad ? 'b' : 'g') << "\tu\t"
                   << methodCodes(step.treatment, alternatingField) << '\t'
                   << formatMeasuredValue(kelvin) << '\t' << formatMeasuredValue(tesla) << "\t0\t"
                   << formatMeasuredValue(KelvinOffset) << '\t'
                   << formatDeclination(declinationOf(moment)) << '\t'
                   << formatInclination(inclinationOf(moment)) << '\t' << (volume ? "\t" : "")
                   << formatMeasuredValue(norm(moment)) << (volume ? "" : "\t") << '\t'
                   << (step.errorDegrees ? formatMeasuredValue(*step.errorDegrees) : "") << '\t'
                   << WrittenBy << '\n';
        }
    }
}

} // namespace Demagora
