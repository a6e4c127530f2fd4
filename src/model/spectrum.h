#pragma once

#include <cmath>

namespace Demagora {

// The arithmetic of one 0.1-degree slice of a blocking spectrum, shared by
// TVector::Remaining and the run's spectrum tables so that both give the same bits.

// Width of a slice, and the step by which the sample temperature moves down.
inline constexpr double SliceWidth = 0.1;

// The Gauss density uses this 13-digit decimal, not the computed sqrt(2 pi).
inline constexpr double GaussNormalisation = 2.506628274631;

// The part of a Gauss slice that does not depend on the height: the density at the sample
// temperature b. A slice is gaussDensity(...) * gaussSliceWeight(amplitude), multiplied
// in this order.
inline double gaussDensity(double b, double midpoint, double sigma)
{
    const double z = (b - midpoint) / sigma;
    return std::exp(-(z * z) / 2) * (1 / (sigma * GaussNormalisation));
}

// A Gauss spectrum so narrow that its density cannot be represented (a width near or at 0)
// remains nothing at every temperature, as a spectrum of zero width does.
inline bool gaussTooNarrow(double sigma)
{
    return !std::isfinite(1 / (sigma * GaussNormalisation));
}

inline double gaussSliceWeight(double amplitude)
{
    return amplitude * SliceWidth;
}

inline double rectangularSlice(double height)
{
    return SliceWidth * height;
}

} // namespace Demagora
