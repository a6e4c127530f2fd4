#pragma once

#include <cmath>
#include <numbers>

namespace Demagora {

// Degrees and radians are converted by multiplying with one double constant each way,
// always in this form, so that every build gives the same last bit.
inline constexpr double DegToRad = std::numbers::pi / 180.0;
inline constexpr double RadToDeg = 180.0 / std::numbers::pi;

// Rounds a direction cosine to 14 decimals (ties to even). Turns the remainders of
// cos 90 and sin 180 into exact zeros, so due east has X exactly 0.
inline double round14(double v)
{
    return std::nearbyint(v / 1e-14) * 1e-14;
}

} // namespace Demagora
