#pragma once

#include "measurements/measurementset.h"

#include <string>

namespace Demagora {

// Caltech (CIT) files: the .sam file (site, then latitude, longitude and declination, then one
// specimen name a line) and one file per specimen beside it. Moments in emu become A m2; the
// orientation line's core strike and dip give the x axis (azimuth strike - 90, dip -dip), its
// bedding strike and dip the bedding (dip direction strike + 90). Throws MeasurementError
// naming the file and line on bad input.
MeasurementSet readCit(const std::string &samPath, const ReadOptions &options);

} // namespace Demagora
