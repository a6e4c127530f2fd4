#pragma once

#include "measurements/measurementschedule.h"

#include <cstdint>
#include <string>

namespace Demagora {

// Everything an export of simulated measurements is asked for, apart from its target: the
// schedule, the units, the noise and the names. The defaults are the program's defaults.
struct MeasurementSettings
{
    MeasurementSchedule schedule;
    double scaleAPerM = 1e-3; // A/m per unit of the model's magnetization
    double volumeCm3 = 10; // specimen volume
    double noiseAPerM = 0; // standard deviation per axis; 0: no noise
    std::uint64_t noiseSeed = 0;
    std::string prefix = "sim"; // specimen names are the prefix and the member index
    double latitude = 0; // degrees, of the site and location
    double longitude = 0;

    bool operator==(const MeasurementSettings &) const = default;
};

// The longest specimen name prefix accepted.
inline constexpr std::size_t MaxPrefixLength = 40;

// Scale, volume and noise beyond this magnitude are refused, and so is a scale times volume
// beyond it: such settings only overflow the moments to infinity.
inline constexpr double MaxMeasurementFactor = 1e100;
// The largest magnetization (A/m, per axis) or moment (pico A m2, per axis) an export writes:
// the sums of squares behind intensities and directions stay far inside the range of a double.
inline constexpr double MaxMeasuredValue = 1e150;

// Throws MeasurementError when a setting cannot be exported: a scale or volume that is not a
// positive finite number at most MaxMeasurementFactor (their product too), a negative or
// non-finite noise or one above MaxMeasurementFactor, an empty prefix or one with characters
// other than letters, digits, '-', '_' and '.', or a latitude outside -90..90 or longitude outside
// -360..360.
void checkMeasurementSettings(const MeasurementSettings &settings);

} // namespace Demagora
