#pragma once

#include "model/tvector.h"

#include <cmath>

namespace Demagora {

// The magnetization a blocking spectrum keeps after heating to t, as the area of the spectrum
// between t and its upper end: the quantity the model's 0.1-degree sums approximate, but
// continuous in every parameter, so that a least-squares solver can take derivatives. The Gauss
// spectrum has its peak `height` at the middle of [low, high] and three standard deviations in
// each half of the range, cut off at both ends; the rectangle is `height` over the whole range.
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
    constexpr double CutSigmas = 3;
    const Scalar sigma = (high - low) / (2 * CutSigmas);
    const Scalar midpoint = (high + low) / 2.0;
    // Area of a Gauss curve of peak height between z and the cut at +3 sigma:
    // height * sigma * sqrt(2 pi) * (Phi(3) - Phi(z)) = height * sigma * sqrt(pi / 2) *
    // (erf(3 / sqrt 2) - erf(z / sqrt 2)).
    const double sqrtHalfPi = std::sqrt(std::acos(-1.0) / 2);
    const double upper = std::erf(CutSigmas / std::sqrt(2.0));
    const Scalar lowerErf
        = whole ? Scalar(-upper) : erf((Scalar(t) - midpoint) / (sigma * sqrt(2.0)));
    return height * sigma * sqrtHalfPi * (Scalar(upper) - lowerErf);
}

} // namespace Demagora
