#pragma once

#include <cstdint>

namespace Demagora {

// Shape code of a blocking spectrum, in the order of the main window's shape choice.
// Any code other than Gauss is evaluated as rectangular.
enum class SpectrumShape : std::uint8_t { Gauss = 0, Rectangular = 1 };

// Every component's Gauss spectrum spans this many standard deviations on each side of its
// midpoint, so that its blocking range is six of them wide.
inline constexpr std::int32_t GaussSigmasEachSide = 3;

// One magnetization component, or one member of a component's population: a direction,
// a blocking-temperature spectrum and the temperature at which it is currently evaluated.
// Nothing is checked: reversed ranges, zero or negative heights are computed as they stand.
class TVector
{
public:
    std::int32_t SigmaCount = 0;
    double Declination = 0; // degrees
    double Inclination = 0; // degrees
    double BlockLow = 0; // degrees
    double BlockHigh = 0; // degrees
    double Height = 0; // magnetization per degree
    double Temperature = 0; // degrees, where GetX/GetY/GetZ evaluate
    bool DifferentLengths = false;
    SpectrumShape Shape = SpectrumShape::Gauss;

    void SetTemperature(double t) { Temperature = t; }
    double GetTemperature() const { return Temperature; }

    double Midpoint() const;
    double Sigma() const;
    double Amplitude() const;

    // Magnetization left after heating to t degrees: a sum over slices of 0.1 degree,
    // sampled downwards from BlockHigh while the sample lies strictly above t. The cost
    // grows with BlockHigh - max(t, BlockLow); callers keep blocking temperatures within
    // MaxBlockingTemperature (model/inputchecks.h).
    double Remaining(double t) const;

    double GetX() const;
    double GetY() const;
    double GetZ() const;

    // The direction cosines that GetX, GetY and GetZ multiply with the remaining
    // magnetization, each rounded to 14 decimals.
    double northCosine() const;
    double eastCosine() const;
    double downCosine() const;
};

} // namespace Demagora
