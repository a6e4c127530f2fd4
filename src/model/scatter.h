#pragma once

#include "model/populations.h"
#include "model/randomsource.h"
#include "model/tvector.h"

namespace Demagora {

struct Direction
{
    double declination = 0; // degrees, in [-180, 180]
    double inclination = 0; // degrees
};

// Turns a deviation placed about the vertical (elevation e, azimuth phi, degrees) so that
// the vertical goes to the mean direction (D, I).
Direction RotateDeviation(double D, double I, double e, double phi);

// Appends N + 1 members to population: member 0 a copy of component, then N copies whose
// directions scatter about it with Fisher's k (the drawn angle halved) and, with
// differentLengths, heights drawn normally about the component's height with spread
// heightStdDev. Draws per member: phi, R, then the normal pairs. With N > 0, a k that is
// not greater than 0 throws ModelError before anything is appended.
void ScatterComponent(const TVector &component, int N, Population &population, SpectrumShape shape,
    bool differentLengths, double k, double heightStdDev, RandomSource &random);

} // namespace Demagora
