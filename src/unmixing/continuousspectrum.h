#pragma once

#include "model/tvector.h"

#include <cmath>

namespace Demagora {

// The magnetization a blocking spectrum keeps after heating to t, as the area of the spectrum
// between t and its upper end, continuous in every parameter, so that a least-squares solver
// can take derivatives. The Gauss spectrum has its peak `height` at the middle of [low, high]
// and three standard deviations in each half of the range; the rectangle is `height` over the
// whole range.
// The model sums slices of 0.1 degree sampled at the temperatures high, high - 0.1, ... that lie
// above t, each sample standing for the slice centred on it; so the area is taken from half a
// slice above t to half a slice above high. That matches the sums to a ten-thousandth of a
// slice; where the samples' rounding puts one just above a step's temperature, the model takes
// that sample too and the two differ by that one slice.
// Scalar is double or an automatic-differentiation type with erf, exp and comparisons.
// low < high is the caller's to keep; t is a plain temperature in degrees.
template <typename Scalar>
Scalar continuousRemaining(
    SpectrumShape shape, const Scalar &height, const Scalar &low, const Scalar &high, double t)
{
    if (!(Scalar(t) < high))
        return Scalar(0);
    // Below the lower end the component is whole: it is evaluated at the lower end.
    const bool whole = !(low < Scalar(t));
    if (shape != SpectrumShape::Gauss)
        return whole ? height * (high - low) : height * (high - Scalar(t));
    using std::erf;
    using std::sqrt;
    constexpr double CutSigmas = GaussSigmasEachSide;
    constexpr double HalfSlice = 0.05;
    const Scalar sigma = (high - low) / (2 * CutSigmas);
    const Scalar midpoint = (high + low) / 2.0;
    const Scalar from = whole ? low + HalfSlice : Scalar(t + HalfSlice);
    // Area of a Gauss curve of peak height between two places z1 < z2 in standard deviations:
    // height * sigma * sqrt(pi / 2) * (erf(z2 / sqrt 2) - erf(z1 / sqrt 2)).
    const double sqrtHalfPi = std::sqrt(std::acos(-1.0) / 2);
    const Scalar scale = sigma * sqrt(2.0);
    return height * sigma * sqrtHalfPi
        * (erf((high + HalfSlice - midpoint) / scale) - erf((from - midpoint) / scale));
}

} // namespace Demagora
