#pragma once

#include "measurements/measuredseries.h"

#include <ostream>
#include <string>

namespace Demagora {

// A file in the Utrecht format for thermal data: a title line; per specimen a line with its
// quoted name, orientation (core azimuth 0, core dip 90: unrotated), volume in cm3 and
// bedding (0, 0), then one row per step with the moment in pico A m2 and "9999"; after the
// last specimen's "9999", "END". Readers split the specimens at "9999" and expect exactly
// "END" after the last one.
void writeUtrechtFile(std::ostream &stream, const SpecimenSource &measured);

// The name with ".TH" added unless it already ends in .th in any letter case.
std::string utrechtFileName(const std::string &name);

} // namespace Demagora
