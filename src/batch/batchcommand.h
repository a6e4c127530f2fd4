#pragma once

#include <ostream>
#include <span>
#include <string>

namespace Demagora {

// Exit statuses of demagora-batch.
inline constexpr int BatchSuccess = 0;
inline constexpr int BatchInternalFailure = 1;
inline constexpr int BatchBadInput = 2;

// The whole of demagora-batch: reads the options and the scenario, runs it and writes the
// outputs asked for. Messages go to err as one line each. Returns the exit status.
int runBatchCommand(std::span<const std::string> arguments, std::ostream &out, std::ostream &err);

} // namespace Demagora
