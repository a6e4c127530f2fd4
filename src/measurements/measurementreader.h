#pragma once

#include "measurements/measurementset.h"

#include <string>

namespace Demagora {

// The one entry point to the measurement readers: the format from options.format, or detected
// from the content and the name (a folder is a MagIC folder, or a folder of 2G files).
// Returns every specimen with at least one kept step, and what was left out. Throws
// MeasurementError with the file, the line and what was expected; nothing is half-read.
MeasurementSet readMeasurements(const std::string &path, const ReadOptions &options = {});

// The format detected for path. Throws MeasurementError naming the file when none fits.
MeasurementFormat detectMeasurementFormat(const std::string &path);

} // namespace Demagora
