#pragma once

#include "measurements/measurementsettings.h"

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace Demagora {

// The measurement files of demagora-batch and the options that shape them.
struct MeasurementOptions
{
    std::optional<std::string> magicFolder;
    std::optional<std::string> puffinPlotPath;
    std::optional<std::string> utrechtPath; // as given; utrechtFileName adds ".TH"
    MeasurementSettings settings; // the noise seed is the run's, set when the run is known
    std::set<std::string> given; // the options read so far

    bool hasOutput() const { return magicFolder || puffinPlotPath || utrechtPath; }
};

// Reads one option of the measurement files when name is one (--steps, --magic, --ppl,
// --utrecht, --scale, --volume, --noise, --prefix, --latitude, --longitude), taking its value
// from value(); returns false for any other name. Throws BatchError for a value that cannot
// be used or an option given twice.
bool readMeasurementOption(const std::string &name, const std::function<std::string()> &value,
    MeasurementOptions &options);

// Checks what only the whole command line shows: shaping options without a measurement file,
// a file named "-" or named like the scenario. Throws BatchError.
void checkMeasurementOptions(const MeasurementOptions &options, const std::string &scenarioPath);

// The lines of the usage text for these options.
std::string measurementUsage();

} // namespace Demagora
