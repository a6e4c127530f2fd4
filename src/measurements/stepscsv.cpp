#include "measurements/stepscsv.h"

#include "text/csvfield.h"

#include <charconv>
#include <string>

namespace Demagora {

namespace {

std::string number(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

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
            const Moment3 moment = stepMoment(*specimen, step, system);
            stream << name << ',' << treatmentName(step.treatment) << ',' << number(step.level)
                   << ',' << number(moment[0]) << ',' << number(moment[1]) << ','
                   << number(moment[2]) << ',' << unit << ',' << number(declinationOf(moment))
                   << ',' << number(inclinationOf(moment)) << ',' << number(intensityOf(moment))
                   << '\n';
        }
    }
}

} // namespace Demagora
