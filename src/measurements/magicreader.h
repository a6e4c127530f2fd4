#pragma once

#include "measurements/measurementset.h"

#include <string>
#include <vector>

namespace Demagora {

// MagIC tables: a 3.0 folder (measurements.txt with the optional specimens, samples and sites
// tables beside it), one of its tables, a combined contribution file (tables between
// ">>>>>>>>>>" lines), and 2.5 magic_measurements with its er_ tables. Directions are in
// specimen coordinates; temperatures in kelvin and fields in tesla become degrees Celsius and
// mT. Throws MeasurementError naming the file and line on bad input.
MeasurementSet readMagic(const std::string &path, const ReadOptions &options);

// Whether text starts as a MagIC table or contribution file ("tab" then a table name).
bool looksLikeMagic(const std::string &text);

// The measurements tables of a MagIC folder: measurements.txt and the older
// magic_measurements.txt, those of the two it holds.
std::vector<std::string> magicMeasurementFilesIn(const std::string &folder);

} // namespace Demagora
