#pragma once

#include "measurements/measurementset.h"

#include <string>
#include <vector>

namespace Demagora {

// 2G Enterprises binary measurement files, one specimen each: a header (name, volume, date,
// core azimuth, core dip, bedding strike and dip, declination correction) and one record a
// step (label, directions in three frames, intensity, then X, Y, Z in emu with their spreads),
// every value stored as text between NUL bytes. Moments become A m2; the x axis has azimuth
// core azimuth + declination correction and dip core dip - 90. Throws MeasurementError naming
// the file and the record on bad input.
MeasurementSet readTwoG(const std::vector<std::string> &paths, const ReadOptions &options);

// Whether the bytes look like a 2G binary file: NUL bytes and a step record "NRM" or "..C".
bool looksLikeTwoG(const std::string &bytes);

// Every .dat entry of a folder, sorted by name, whatever it is: one that is no regular file (a
// pipe, a dangling link) is refused when it is read rather than passed over, so that no file of
// the folder goes unread.
std::vector<std::string> twoGFilesIn(const std::string &folder);

} // namespace Demagora
