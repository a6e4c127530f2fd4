#include "measurements/specimencoordinates.h"

#include "measurements/measurementerror.h"

#include <cmath>
#include <numbers>

namespace Demagora {

namespace {

constexpr double Radians = std::numbers::pi / 180;

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

Moment3 specimenToGeographic(const Moment3 &moment, const SpecimenOrientation &orientation)
{
    const double azimuth = orientation.azimuth * Radians;
    const double dip = orientation.dip * Radians;
    const Moment3 xAxis { std::cos(dip) * std::cos(azimuth), std::cos(dip) * std::sin(azimuth),
        std::sin(dip) };
    const Moment3 yAxis { -std::sin(azimuth), std::cos(azimuth), 0 };
    const Moment3 zAxis { xAxis[1] * yAxis[2] - xAxis[2] * yAxis[1],
        xAxis[2] * yAxis[0] - xAxis[0] * yAxis[2], xAxis[0] * yAxis[1] - xAxis[1] * yAxis[0] };
    Moment3 geographic {};
    for (int k = 0; k < 3; ++k)
        geographic[k] = moment[0] * xAxis[k] + moment[1] * yAxis[k] + moment[2] * zAxis[k];
    return geographic;
}

Moment3 geographicToTiltCorrected(const Moment3 &moment, const Bedding &bedding)
{
    const double direction = bedding.dipDirection * Radians;
    const double dip = bedding.dip * Radians;
    // Into a frame whose first axis points down the dip, flatten, and back.
    const double along = moment[0] * std::cos(direction) + moment[1] * std::sin(direction);
    const double across = -moment[0] * std::sin(direction) + moment[1] * std::cos(direction);
    const double flatAlong = along * std::cos(dip) + moment[2] * std::sin(dip);
    const double flatDown = -along * std::sin(dip) + moment[2] * std::cos(dip);
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

Moment3 stepMoment(const Specimen &specimen, const SpecimenStep &step, CoordinateSystem system)
{
    const Moment3 own { step.x, step.y, step.z };
    if (system == CoordinateSystem::Specimen)
        return own;
    if (!specimen.orientation)
        throw MeasurementError("Specimen " + specimen.name
            + " has no sample orientation, so it cannot be shown in geographic coordinates.");
    const Moment3 geographic = specimenToGeographic(own, *specimen.orientation);
    if (system == CoordinateSystem::Geographic)
        return geographic;
    if (!specimen.bedding)
        throw MeasurementError("Specimen " + specimen.name
            + " has no bedding, so it cannot be shown in tilt-corrected coordinates.");
    return geographicToTiltCorrected(geographic, *specimen.bedding);
}

double intensityOf(const Moment3 &moment)
{
    return std::sqrt(moment[0] * moment[0] + moment[1] * moment[1] + moment[2] * moment[2]);
}

double declinationOf(const Moment3 &moment)
{
    if (moment[0] == 0 && moment[1] == 0)
        return 0;
    double degrees = std::atan2(moment[1], moment[0]) / Radians;
    if (degrees < 0)
        degrees += 360;
    return degrees >= 360 ? 0 : degrees;
}

double inclinationOf(const Moment3 &moment)
{
    const double horizontal = std::hypot(moment[0], moment[1]);
    if (horizontal == 0 && moment[2] == 0)
        return 0;
    return std::atan2(moment[2], horizontal) / Radians;
}

Moment3 momentFromDirection(double declination, double inclination, double intensity)
{
    const double d = declination * Radians;
    const double i = inclination * Radians;
    return { intensity * std::cos(i) * std::cos(d), intensity * std::cos(i) * std::sin(d),
        intensity * std::sin(i) };
}

} // namespace Demagora
