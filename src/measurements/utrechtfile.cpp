#include "measurements/utrechtfile.h"

#include "measurements/measurementtext.h"

#include <algorithm>
#include <cctype>

namespace Demagora {

void writeUtrechtFile(std::ostream &stream, const SpecimenSource &measured)
{
    const MeasurementSettings &settings = measured.settings();
    stream << (measured.simulated() ? "\"Demagora simulated thermal demagnetization\"\n"
                                    : "\"Thermal demagnetization converted by Demagora\"\n");
    // A/m times cm3 is 1e-6 A m2, which is 1e6 pico A m2.
    const double picoPerAPerM = settings.volumeCm3 * 1e6;
    const std::string volume = formatMeasuredValue(settings.volumeCm3);
    for (std::size_t member = 0; member < measured.specimenCount(); ++member) {
        const std::vector<MeasuredStep> steps = measured.specimen(member);
        stream << '"' << measured.specimenName(member) << "\"," << steps.size() << ",0,90,"
               << volume << ",0,0\n";
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const MeasuredStep &step = steps[i];
            // The format's axes: a = -z, b = -x, c = y.
            stream << (i == 0 ? 0 : step.temperature) << ','
                   << formatMeasuredValue(-step.z * picoPerAPerM) << ','
                   << formatMeasuredValue(-step.x * picoPerAPerM) << ','
                   << formatMeasuredValue(step.y * picoPerAPerM) << ",0,01-01-2000,00:00\n";
        }
        stream << "9999\n";
    }
    stream << "END\n";
}

std::string utrechtFileName(const std::string &name)
{
    std::string ending = name.size() >= 3 ? name.substr(name.size() - 3) : std::string();
    std::transform(ending.begin(), ending.end(), ending.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return ending == ".th" ? name : name + ".TH";
}

} // namespace Demagora
