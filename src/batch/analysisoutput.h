#pragma once

#include "analysis/runanalysis.h"
#include "batch/batchoptions.h"
#include "batch/batchrun.h"

namespace Demagora {

// The fits that --fit asks for, over every whole degree of the run. Throws BatchError naming
// the interval when it holds too few steps for the fit type.
RunAnalysis analyseBatchRun(const BatchOptions &options, const BatchRun &run);

} // namespace Demagora
