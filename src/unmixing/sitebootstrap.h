#pragma once

#include "unmixing/sitefit.h"
#include "unmixing/siteunmixing.h"

#include <functional>
#include <vector>

namespace Demagora {

struct SiteBootstrapSummary
{
    std::vector<double> alpha95; // per site component, degrees
    std::vector<double> kLow, kHigh; // per site component
    std::vector<std::vector<double>> specimenAlpha95; // per specimen and component, degrees
    int refits = 0;
    int notConverged = 0;
};

// The bootstrap of a joint site fit, options.bootstrap refits on options.threads threads. Each
// refit draws the site's specimens with replacement (all of them, each once, without
// options.resampleSpecimens), adds Gauss noise of each step's deviation (the inverse of its
// weight, scaled units, times the square root of the specimen's chi-square per degree of
// freedom in the site's fit where that is above 1) to the fitted prediction of each drawn
// specimen and refits from the fitted values at the fitted precisions, each specimen's ranges
// free of the pull of the site's (so that the refits spread by the ranges' own errors as
// well). A site direction's
// alpha95 is the angle around it holding 95 % of the refitted ones (with the specimens drawn,
// times sqrt(n / (n - 1)) for n specimens, the spread a mean's bootstrap lacks), widened by the
// angle between the refits' Fisher mean and the fitted direction (the fit's bias as the refits
// show it, which the spread about the fit alone does not cover); k's interval
// the 2.5 and 97.5 percentiles of the refits' precisions (estimatePrecision), else the fixed
// precision; a specimen's alpha95 is over the refits that drew it. Each refit draws from its own
// seed, mixed from options.seed and its index, so the result does not depend on the number of
// threads. finished() is called on the calling thread after each refit. Throws UnmixingError naming
// the site when stopped.
SiteBootstrapSummary bootstrapSite(const std::string &site, const std::vector<FitData> &data,
    const SiteParameters &fitted, bool estimatePrecision, const SiteUnmixOptions &options,
    const std::function<void()> &finished);

// The precision (N - 1) / (N - R) of the directions, within [1, MaxSitePrecision]; fallback
// for fewer than two directions.
double sitePrecision(const std::vector<Vector3> &directions, double fallback);

// The directions of the specimens' components that carry component j: whose whole moment is
// more than three times the noise per axis of their steps (the inverse of the weights, their
// root mean square).
std::vector<Vector3> carriedDirections(
    const std::vector<FitData> &data, const SiteParameters &site, std::size_t j);

// Whether the component carries anything against the noise of the specimen's steps.
bool carries(const FitData &data, const ComponentParameters &component);

} // namespace Demagora
