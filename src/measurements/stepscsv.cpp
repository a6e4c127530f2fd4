#include "measurements/stepscsv.h"

#include "text/csvfield.h"
#include "text/numbertext.h"

#include <string>

namespace Demagora {

namespace {

const char *treatmentName(Treatment treatment)
{
    switch (treatment) {
    case Treatment::Nrm:
        return "nrm";
    case Treatment::Thermal:
        return "thermal";
    case Treatment::AlternatingField:
        return "af";
    case Treatment::Other:
        return "other";
    }
    return "other";
}

} // namespace

void writeStepsCsv(
    std::ostream &stream, std::span<const Specimen *const> specimens, CoordinateSystem system)
{
    stream << "specimen,treatment,level,x,y,z,unit,declination,inclination,intensity\n";
    for (const Specimen *specimen : specimens) {
        const char *unit = specimen->unit == MomentUnit::AmpereSquareMetre ? "Am2" : "A/m";
        const std::string name = csvField(specimen->name);
        for (const SpecimenStep &step : specimen->steps) {
            const Vector3 moment = stepMoment(*specimen, step, system);
            stream << name << ',' << treatmentName(step.treatment) << ','
                   << shortestText(step.level) << ',' << shortestText(moment.x) << ','
                   << shortestText(moment.y) << ',' << shortestText(moment.z) << ',' << unit
                   << ',' << shortestText(declinationOf(moment)) << ','
                   << shortestText(inclinationOf(moment)) << ','
                   << shortestText(norm(moment)) << '\n';
        }
    }
}

} // namespace Demagora
