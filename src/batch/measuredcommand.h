#pragma once

#include <ostream>
#include <span>
#include <string>

namespace Demagora {

// demagora-batch --measured PATH: reads a measurement file instead of running a scenario and
// writes its steps. Used by runBatchCommand when the arguments hold --measured.
bool isMeasuredCommand(std::span<const std::string> arguments);

// Returns the exit status: 0, or 2 with one line on err naming the file, line or option.
// A summary of what the reader left out goes to err as well.
int runMeasuredCommand(
    std::span<const std::string> arguments, std::ostream &out, std::ostream &err);

// The lines of --help for --measured.
std::string measuredUsage();

} // namespace Demagora
