#pragma once

#include "measurements/measurementset.h"

#include <string>

namespace Demagora {

// Caltech (CIT) files: the .sam file (site, then latitude, longitude and declination, then one
// specimen name a line) and one file per specimen beside it. Moments in emu become A m2; the
// orientation line's core strike and dip give the x axis (azimuth strike - 90, dip -dip), its
// bedding strike and dip the bedding (dip direction strike + 90). A specimen file opened alone
// is read as the one specimen named by the file, with the declination and site of a .sam file
// beside it that lists it, or else without a declination (said in a note). Throws
// MeasurementError naming the file and line on bad input.
MeasurementSet readCit(const std::string &path, const ReadOptions &options);

// Whether the start of a file is that of a CIT specimen file: a header line, an orientation
// line of at least five numbers, then an NRM, thermal or AF step with the values after it.
bool looksLikeCitSpecimen(const std::string &bytes);

} // namespace Demagora
