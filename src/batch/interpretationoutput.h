#pragma once

#include "analysis/interpretationbatch.h"
#include "analysis/interpretationlist.h"
#include "batch/batchoptions.h"
#include "batch/batchrun.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Demagora {

// The list of --interpretations, read before the run so that a bad list stops it early.
// Throws BatchError naming the file (and the line) when it cannot be opened or read.
std::vector<InterpretationRequest> readBatchInterpretations(const std::string &path);

// Every member of a simulated run as a specimen, named as the measurement files name it (the
// prefix and the zero-padded member index), all in one site named by the prefix: every whole
// degree, or with --steps or --noise the measurements the files hold (the run's seed).
std::vector<NamedSteps> simulatedSpecimens(
    const BatchOptions &options, const BatchRun &run, std::uint64_t seed);

// The listed interpretations fitted, and the site means they give.
struct BatchInterpretations
{
    std::vector<InterpretationResult> fits;
    std::vector<SiteResult> sites;
};

// Fits the list over the specimens. Throws BatchError for a specimen the list names and the
// specimens do not hold.
BatchInterpretations interpretSpecimens(const std::vector<InterpretationRequest> &list,
    const std::vector<NamedSteps> &specimens, const std::string &listPath);

} // namespace Demagora
