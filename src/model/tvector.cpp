#include "model/tvector.h"

#include "model/angles.h"

#include <cmath>

namespace Demagora {

namespace {
// The Gauss density inside Remaining uses this 13-digit decimal, not the computed sqrt(2 pi).
constexpr double GaussNormalisation = 2.506628274631;
constexpr double SliceWidth = 0.1;
} // namespace

double TVector::Midpoint() const
{
    return BlockHigh - (BlockHigh - BlockLow) / 2;
}

double TVector::Sigma() const
{
    return (BlockHigh - Midpoint()) / SigmaCount;
}

double TVector::Amplitude() const
{
    return Height / (1 / (std::sqrt(2 * std::numbers::pi) * Sigma()));
}

double TVector::Remaining(double t) const
{
    if (t < BlockLow)
        return Remaining(BlockLow);
    if (t > BlockHigh)
        return 0;
    double b = BlockHigh;
    double sum = 0;
    if (Shape == SpectrumShape::Gauss) {
        while (b > t) {
            const double sigma = Sigma();
            const double amplitude = Amplitude();
            const double z = (b - Midpoint()) / sigma;
            const double term
                = std::exp(-(z * z) / 2) * (1 / (sigma * GaussNormalisation)) * (amplitude * SliceWidth);
            sum = term + sum;
            b = b - SliceWidth;
        }
    } else {
        while (b > t) {
            sum = SliceWidth * Height + sum;
            b = b - SliceWidth;
        }
    }
    return sum;
}

double TVector::GetX() const
{
    const double inc = Inclination * DegToRad;
    const double dec = Declination * DegToRad;
    return round14(std::cos(inc) * std::cos(dec)) * Remaining(GetTemperature());
}

double TVector::GetY() const
{
    const double inc = Inclination * DegToRad;
    const double dec = Declination * DegToRad;
    return round14(std::cos(inc) * std::sin(dec)) * Remaining(GetTemperature());
}

double TVector::GetZ() const
{
    return round14(std::sin(Inclination * DegToRad)) * Remaining(GetTemperature());
}

} // namespace Demagora
