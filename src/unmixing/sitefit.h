#pragma once

#include "unmixing/componentfit.h"

#include <functional>
#include <optional>
#include <vector>

namespace Demagora {

// A site's components as the joint solver varies them: a direction shared by the site and the
// precision k of its specimens' scatter about it for every component, and for every specimen
// its own components (direction, height, range and shape), one per site component in the same
// order. A specimen's component whose moment is nothing lacks it.
struct SiteParameters
{
    std::vector<Vector3> directions; // unit vectors
    std::vector<double> precisions;
    // Per component, where its specimens' ranges lie and how far they spread: each specimen's
    // ends are drawn towards these, the negative log-density of a normal prior of that spread
    // added to the objective. None (or none given): no such pull.
    struct Range
    {
        double low = 0, high = 0; // degrees
        double lowSpread = 0, highSpread = 0; // degrees, > 0
    };
    std::vector<std::optional<Range>> ranges;
    std::vector<std::vector<ComponentParameters>> specimens;
};

struct SiteFitOutcome
{
    SiteParameters fitted;
    double cost = 0; // the specimens' weighted sums of squared residuals, the penalties left out
    double objective = 0; // what the solver minimized: the cost plus twice the penalties
    bool converged = false;
    bool moved = false; // whether the solver lowered the objective by more than a billionth
};

// Whether refineSiteFixed varies the specimens' ranges (Free) or keeps them where they start
// while the directions and heights move (Held).
enum class SiteRanges { Free, Held };

// One least-squares problem over every specimen's steps (data[s], weighted by its noise) and
// the Fisher log-density of each specimen's direction about the site's, k (1 - cos angle) for
// each specimen and component, at the precisions of start, which stay as they are, and the
// normal log-density of each specimen's range ends about the site's (start.ranges). Heights
// stay >= 0 and each range inside its specimen's bounds, as refineComponents keeps them.
// stop is asked after every iteration; a stop ends the solver early, not converged.
// A range whose end lies on a step's temperature (where the prediction of a rectangular
// spectrum has a kink, and where a specimen's own fit often ends) stops the solver: every step
// it tries leans on the kink's one-sided slope and is refused, and the specimen's direction
// stays where the kink holds it, short of the site's pull. So where the solver cannot move from
// the start, the ranges are held where they start while the directions and heights move, then
// freed again.
SiteFitOutcome refineSite(const std::vector<FitData> &data, const SiteParameters &start,
    const std::function<bool()> &stop = {}, unsigned threads = 1);

// refineSite for exactly K components, each K compiled in a file of its own as refineFixed is.
template <int K>
SiteFitOutcome refineSiteFixed(const std::vector<FitData> &data, const SiteParameters &start,
    const std::function<bool()> &stop, unsigned threads, SiteRanges ranges);

extern template SiteFitOutcome refineSiteFixed<1>(const std::vector<FitData> &,
    const SiteParameters &, const std::function<bool()> &, unsigned, SiteRanges);
extern template SiteFitOutcome refineSiteFixed<2>(const std::vector<FitData> &,
    const SiteParameters &, const std::function<bool()> &, unsigned, SiteRanges);
extern template SiteFitOutcome refineSiteFixed<3>(const std::vector<FitData> &,
    const SiteParameters &, const std::function<bool()> &, unsigned, SiteRanges);
extern template SiteFitOutcome refineSiteFixed<4>(const std::vector<FitData> &,
    const SiteParameters &, const std::function<bool()> &, unsigned, SiteRanges);

} // namespace Demagora
