#pragma once

#include "unmixing/componentfit.h"
#include "unmixing/unmixing.h"

#include <vector>

namespace Demagora {

struct BootstrapSummary
{
    std::vector<ComponentInterval> intervals;
    int refits = 0;
    int notConverged = 0;
    int jackknifeRefits = 0;
};

// The parametric bootstrap of a fit and its jackknife, on options.threads threads. The
// bootstrap: options.bootstrap times, the fitted model's moments plus Gauss noise of the given
// deviation per step and axis (scaled units), refitted from the fitted components; each refit
// draws from its own seed, mixed from options.seed and its index, so the intervals do not
// depend on the number of threads. The jackknife: once for every step, the other steps refitted
// from the fitted components. Refitted components are matched to the fitted ones by direction
// and range before they are counted. scale turns heights back into the specimen's unit.
// options.progress counts the refits of both. Throws UnmixingError when stopped.
// The value below which the fraction (0 to 1) of the values lies, between neighbours linearly.
// The values must not be empty.
double percentile(std::vector<double> values, double fraction);

BootstrapSummary bootstrapComponents(const FitData &data,
    const std::vector<ComponentParameters> &fitted, const std::vector<double> &noise, double scale,
    const UnmixOptions &options);

} // namespace Demagora
