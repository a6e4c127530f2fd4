#pragma once

#include "measurements/measurementset.h"
#include "measurements/specimencoordinates.h"

#include <ostream>
#include <span>

namespace Demagora {

// The steps of the specimens as a CSV table, in the frame given (a specimen without the
// orientation it needs is written in its own):
// specimen,treatment,level,x,y,z,unit,declination,inclination,intensity, each number in the
// shortest text that reads back to the same double.
void writeStepsCsv(
    std::ostream &stream, std::span<const Specimen *const> specimens, CoordinateSystem system);

} // namespace Demagora
