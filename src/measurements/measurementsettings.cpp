#include "measurements/measurementsettings.h"

#include "measurements/measurementerror.h"
#include "measurements/measurementtext.h"

#include <cmath>

namespace Demagora {

namespace {

bool isNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '_' || c == '.';
}

std::string shown(double value)
{
    return formatMeasuredValue(value);
}

} // namespace

void checkMeasurementSettings(const MeasurementSettings &settings)
{
    if (!std::isfinite(settings.scaleAPerM) || settings.scaleAPerM <= 0)
        throw MeasurementError("the scale must be a positive number of A/m per unit");
    if (settings.scaleAPerM > MaxMeasurementFactor) {
        throw MeasurementError("the scale " + shown(settings.scaleAPerM)
            + " A/m per unit is too large: the moments would overflow (at most "
            + shown(MaxMeasurementFactor) + ")");
    }
    if (!std::isfinite(settings.volumeCm3) || settings.volumeCm3 <= 0)
        throw MeasurementError("the specimen volume must be a positive number of cm3");
    if (settings.volumeCm3 > MaxMeasurementFactor) {
        throw MeasurementError("the specimen volume " + shown(settings.volumeCm3)
            + " cm3 is too large: the moments would overflow (at most "
            + shown(MaxMeasurementFactor) + ")");
    }
    if (settings.scaleAPerM * settings.volumeCm3 > MaxMeasurementFactor) {
        throw MeasurementError("the scale times the specimen volume is "
            + shown(settings.scaleAPerM * settings.volumeCm3)
            + ": the moments would overflow (at most " + shown(MaxMeasurementFactor) + ")");
    }
    if (!std::isfinite(settings.noiseAPerM) || settings.noiseAPerM < 0)
        throw MeasurementError("the noise must be 0 or a positive number of A/m");
    if (settings.noiseAPerM > MaxMeasurementFactor) {
        throw MeasurementError("the noise " + shown(settings.noiseAPerM)
            + " A/m is too large: the moments would overflow (at most "
            + shown(MaxMeasurementFactor) + ")");
    }
    if (settings.prefix.empty())
        throw MeasurementError(
            "the specimen name prefix is empty; the site and location take its name");
    if (settings.prefix.size() > MaxPrefixLength) {
        throw MeasurementError("the specimen name prefix is longer than "
            + std::to_string(MaxPrefixLength) + " characters");
    }
    for (const char c : settings.prefix) {
        if (!isNameCharacter(c)) {
            throw MeasurementError("the specimen name prefix '" + settings.prefix
                + "' may hold only letters, digits, '-', '_' and '.'");
        }
    }
    if (!(std::abs(settings.latitude) <= 90))
        throw MeasurementError("the latitude must lie from -90 to 90 degrees");
    if (!(std::abs(settings.longitude) <= 360))
        throw MeasurementError("the longitude must lie from -360 to 360 degrees");
}

} // namespace Demagora
