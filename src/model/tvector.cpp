#include "model/tvector.h"

#include "model/angles.h"
#include "model/spectrum.h"

#include <cmath>
#include <numbers>

namespace Demagora {

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
    // b steps down by 0.1 in double precision, with no integer counter: its drift away from
    // the decimal grid decides whether the sample next to t is taken.
    double b = BlockHigh;
    double sum = 0;
    if (Shape == SpectrumShape::Gauss) {
        if (gaussTooNarrow(Sigma()))
            return 0;
        while (b > t) {
            const double term
                = gaussDensity(b, Midpoint(), Sigma()) * gaussSliceWeight(Amplitude());
            sum = term + sum;
            b = b - SliceWidth;
        }
    } else {
        while (b > t) {
            sum = rectangularSlice(Height) + sum;
            b = b - SliceWidth;
        }
    }
    return sum;
}

double TVector::northCosine() const
{
    const double inc = Inclination * DegToRad;
    const double dec = Declination * DegToRad;
    return round14(std::cos(inc) * std::cos(dec));
}

double TVector::eastCosine() const
{
    const double inc = Inclination * DegToRad;
    const double dec = Declination * DegToRad;
    return round14(std::cos(inc) * std::sin(dec));
}

double TVector::downCosine() const
{
    return round14(std::sin(Inclination * DegToRad));
}

double TVector::GetX() const
{
    return northCosine() * Remaining(GetTemperature());
}

double TVector::GetY() const
{
    return eastCosine() * Remaining(GetTemperature());
}

double TVector::GetZ() const
{
    return downCosine() * Remaining(GetTemperature());
}

} // namespace Demagora
