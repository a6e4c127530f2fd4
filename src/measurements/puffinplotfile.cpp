#include "measurements/puffinplotfile.h"

#include "measurements/measurementtext.h"

namespace Demagora {

void writePuffinPlotFile(std::ostream &stream, const SpecimenSource &measured)
{
    stream << "PuffinPlot file. Version 3\n"
              "DISCRETE_ID\tMEAS_TYPE\tTREATMENT\tTEMPERATURE\tX_MOMENT\tY_MOMENT\tZ_MOMENT\t"
              "VOLUME\tSAMPLE_AZ\tSAMPLE_DIP\tFORM_AZ\tFORM_DIP\n";
    const std::string volume = formatMeasuredValue(measured.settings().volumeCm3);
    for (std::size_t member = 0; member < measured.specimenCount(); ++member) {
        const std::string name = measured.specimenName(member);
        const std::vector<MeasuredStep> steps = measured.specimen(member);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const MeasuredStep &step = steps[i];
            // The first measurement is the untreated NRM, at room temperature counted as 0.
            const bool nrm = i == 0;
            // Sample dip 90 with azimuth 0 is the unrotated sample: its x, y, z are north,
            // east and down.
            stream << name << "\tDISCRETE\t" << (nrm ? "NONE" : "THERMAL") << '\t'
                   << (nrm ? 0 : step.temperature) << '\t' << formatMeasuredValue(step.x) << '\t'
                   << formatMeasuredValue(step.y) << '\t' << formatMeasuredValue(step.z) << '\t'
                   << volume << "\t0\t90\t0\t0\n";
        }
    }
    stream << '\n';
}

} // namespace Demagora
