#pragma once

#include "analysis/runanalysis.h"
#include "batch/batchoptions.h"
#include "batch/batchrun.h"

#include <cstdint>

namespace Demagora {

// The fits that --fit asks for, over every whole degree of the run or, with --steps or --noise,
// over the measurements the measurement files hold (the same noise, from the run's seed).
// Throws BatchError naming the interval when it holds too few steps for the fit type.
RunAnalysis analyseBatchRun(const BatchOptions &options, const BatchRun &run, std::uint64_t seed);

} // namespace Demagora
