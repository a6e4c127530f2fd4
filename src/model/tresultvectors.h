#pragma once

#include "model/angles.h"

#include <cmath>

namespace Demagora {

// One point of a demagnetization curve: a whole-degree temperature and the magnetization
// vector summed over all components (X north, Y east, Z down).
class TResultVectors
{
public:
    double Temperature = 0;
    double X = 0;
    double Y = 0;
    double Z = 0;

    // Inline, as the diagrams and the series ask for them at every point of the largest runs.
    double Length() const { return std::sqrt((X * X + Y * Y) + Z * Z); }
    // Degrees, in (-90, 270].
    double Declination() const
    {
        if (X > 0)
            return std::atan(Y / X) * RadToDeg;
        if (X < 0)
            return std::atan(Y / X) * RadToDeg + 180;
        if (Y > 0)
            return 90;
        if (Y < 0)
            return 270;
        return 0;
    }
    // Degrees, in [-90, 90]; 0 for a zero vector.
    double Inclination() const { return InclinationOf(Z, Length()); }

    // The inclination of a vector with down part z and length length, as Inclination()
    // gives it; for callers that have the length already.
    static double InclinationOf(double z, double length)
    {
        return length > 0 ? std::asin(z / length) * RadToDeg : 0;
    }
};

} // namespace Demagora
