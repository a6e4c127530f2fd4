#pragma once

#include "model/tvector.h"

namespace Demagora::Testing {

// A component with the main window's default SigmaCount of 3 and its current temperature
// left at 0. Where a test needs it as the main window or a scenario file hands it over,
// evaluated at BlockLow, the test sets that temperature itself.
inline TVector component(double declination, double inclination, double height, double blockLow,
    double blockHigh, SpectrumShape shape = SpectrumShape::Gauss)
{
    TVector v;
    v.SigmaCount = 3;
    v.Declination = declination;
    v.Inclination = inclination;
    v.Height = height;
    v.BlockLow = blockLow;
    v.BlockHigh = blockHigh;
    v.Shape = shape;
    return v;
}

} // namespace Demagora::Testing
