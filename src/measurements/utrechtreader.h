#pragma once

#include "measurements/measurementset.h"

#include <string>

namespace Demagora {

// Utrecht files (.TH thermal, .AF alternating field): a comment line, then per specimen a
// header "name",steps,core azimuth,core dip,volume (cm3),bedding strike,bedding dip and one line
// per step level,a,b,c,... with moments in pico A m2 on the axes a = -z, b = -x, c = y;
// specimens end at "9999", the file at "END" (both optional at the very end). Level 0 is the
// NRM. The x axis has azimuth core azimuth and dip core dip - 90. Throws MeasurementError naming
// the file and line on bad input.
MeasurementSet readUtrecht(const std::string &path, const ReadOptions &options);

} // namespace Demagora
