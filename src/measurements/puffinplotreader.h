#pragma once

#include "measurements/measurementset.h"

#include <string>

namespace Demagora {

// PuffinPlot files, versions 2 and 3: "PuffinPlot file. Version N", a tab-separated header,
// one row per measurement up to the first empty line. Moments X_MOMENT, Y_MOMENT, Z_MOMENT are
// magnetizations in A/m; AF fields are in tesla; the x axis has azimuth SAMPLE_AZ and dip
// SAMPLE_DIP - 90; FORM_AZ and FORM_DIP are the bedding's dip direction and dip. Throws
// MeasurementError naming the file and line on bad input.
MeasurementSet readPuffinPlot(const std::string &path, const ReadOptions &options);

} // namespace Demagora
