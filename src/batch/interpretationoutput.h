#pragma once

#include "analysis/interpretationbatch.h"
#include "analysis/interpretationlist.h"
#include "batch/batchoptions.h"
#include "batch/batchrun.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Demagora {

// The list of --interpretations, read before the run so that a bad list stops it early; a
// MagIC table's fits are taken for the frame given. Throws BatchError naming the file (and the
// line) when it cannot be opened or read.
InterpretationList readBatchInterpretations(
    const std::string &path, CoordinateSystem frame = CoordinateSystem::Specimen);

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
    int absentSpecimens = 0; // fits of a MagIC table's specimens without measurements
};

// Fits the list over the specimens. The fits of a MagIC table whose specimens have no
// measurements are passed over and counted; a CSV list's specimen that the specimens do not
// hold throws BatchError.
BatchInterpretations interpretSpecimens(const InterpretationList &list,
    const std::vector<NamedSteps> &specimens, const std::string &listPath);

// One line for standard error on what a MagIC table's list gave: its fits per frame and what
// was passed over. Nothing for a CSV list.
void reportInterpretationList(std::ostream &err, const std::string &listPath,
    const InterpretationList &list, const BatchInterpretations &fitted, CoordinateSystem frame);

} // namespace Demagora
