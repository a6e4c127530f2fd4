#include "measurements/specimencoordinates.h"

#include "measurements/measurementerror.h"
#include "model/angles.h"

#include <cmath>
#include <numbers>

namespace Demagora {

namespace {

struct SystemNames
{
    std::string_view name;
    std::string_view caption;
};

// In the order of CoordinateSystem.
constexpr std::array<SystemNames, 3> CoordinateSystemNames = { SystemNames { "specimen", "specimen" },
    SystemNames { "geographic", "geographic" }, SystemNames { "tilt", "tilt-corrected" } };

} // namespace

std::string_view coordinateSystemName(CoordinateSystem system)
{
    return CoordinateSystemNames[static_cast<std::size_t>(system)].name;
}

std::string_view coordinateSystemCaption(CoordinateSystem system)
{
    return CoordinateSystemNames[static_cast<std::size_t>(system)].caption;
}

std::optional<CoordinateSystem> coordinateSystemFromName(std::string_view name)
{
    for (std::size_t i = 0; i < CoordinateSystemNames.size(); ++i) {
        if (CoordinateSystemNames[i].name == name)
            return static_cast<CoordinateSystem>(i);
    }
    return std::nullopt;
}

Vector3 specimenToGeographic(const Vector3 &moment, const SpecimenOrientation &orientation)
{
    const double azimuth = orientation.azimuth * DegToRad;
    const double dip = orientation.dip * DegToRad;
    const Vector3 xAxis { std::cos(dip) * std::cos(azimuth), std::cos(dip) * std::sin(azimuth),
        std::sin(dip) };
    const Vector3 yAxis { -std::sin(azimuth), std::cos(azimuth), 0 };
    const Vector3 zAxis { xAxis.y * yAxis.z - xAxis.z * yAxis.y, xAxis.z * yAxis.x - xAxis.x * yAxis.z,
        xAxis.x * yAxis.y - xAxis.y * yAxis.x };
    return { moment.x * xAxis.x + moment.y * yAxis.x + moment.z * zAxis.x,
        moment.x * xAxis.y + moment.y * yAxis.y + moment.z * zAxis.y,
        moment.x * xAxis.z + moment.y * yAxis.z + moment.z * zAxis.z };
}

Vector3 geographicToTiltCorrected(const Vector3 &moment, const Bedding &bedding)
{
    const double direction = bedding.dipDirection * DegToRad;
    const double dip = bedding.dip * DegToRad;
    // Into a frame whose first axis points down the dip, flatten, and back.
    const double along = moment.x * std::cos(direction) + moment.y * std::sin(direction);
    const double across = -moment.x * std::sin(direction) + moment.y * std::cos(direction);
    const double flatAlong = along * std::cos(dip) + moment.z * std::sin(dip);
    const double flatDown = -along * std::sin(dip) + moment.z * std::cos(dip);
    return { flatAlong * std::cos(direction) - across * std::sin(direction),
        flatAlong * std::sin(direction) + across * std::cos(direction), flatDown };
}

bool hasCoordinates(const Specimen &specimen, CoordinateSystem system)
{
    switch (system) {
    case CoordinateSystem::Specimen:
        return true;
    case CoordinateSystem::Geographic:
        return specimen.orientation.has_value();
    case CoordinateSystem::TiltCorrected:
        return specimen.orientation.has_value() && specimen.bedding.has_value();
    }
    return false;
}

Vector3 stepMoment(const Specimen &specimen, const SpecimenStep &step, CoordinateSystem system)
{
    const Vector3 own { step.x, step.y, step.z };
    if (system == CoordinateSystem::Specimen)
        return own;
    if (!specimen.orientation)
        throw MeasurementError("Specimen " + specimen.name
            + " has no sample orientation, so it cannot be shown in geographic coordinates.");
    const Vector3 geographic = specimenToGeographic(own, *specimen.orientation);
    if (system == CoordinateSystem::Geographic)
        return geographic;
    if (!specimen.bedding)
        throw MeasurementError("Specimen " + specimen.name
            + " has no bedding, so it cannot be shown in tilt-corrected coordinates.");
    return geographicToTiltCorrected(geographic, *specimen.bedding);
}

} // namespace Demagora
