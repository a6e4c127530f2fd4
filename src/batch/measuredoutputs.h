#pragma once

#include "analysis/runanalysis.h"
#include "batch/batchoptions.h"
#include "batch/interpretationoutput.h"
#include "batch/siteunmixoutput.h"
#include "batch/unmixoutput.h"
#include "document/scenario.h"
#include "measurements/specimen.h"
#include "measurements/specimencoordinates.h"

#include <optional>
#include <vector>

namespace Demagora {

class OutputFiles;

// What the outputs of a run hold for measured specimens: the fits of --fit, the interpretations
// and site means, the unmixed components and the first specimen's twin.
struct MeasuredResults
{
    std::optional<RunAnalysis> analysis;
    std::optional<BatchInterpretations> interpretations;
    std::vector<UnmixedSpecimen> unmixed;
    std::vector<UnmixedSite> sites; // --unmix-site

    std::optional<Scenario> twin;
};

// Registers the outputs of a run asked for in batch (--png of the first specimen, --fits,
// --fisher, --site-means, --unmix-out, --twin, the measurement files) over the specimens, in
// the frame of system. Throws BatchError or OutputError.
void addMeasuredOutputs(OutputFiles &files, const BatchOptions &batch, CoordinateSystem system,
    const std::vector<Specimen> &framed, const MeasuredResults &results);

} // namespace Demagora
