#include "unmixing/siteunmixing.h"

#include "analysis/fisher.h"
#include "model/paralleltasks.h"
#include "unmixing/componentfit.h"
#include "unmixing/refinefixed.h"
#include "unmixing/sitebootstrap.h"
#include "unmixing/sitefit.h"
#include "unmixing/unmixbootstrap.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace Demagora {

namespace {

SiteFitOutcome refineSiteRanges(const std::vector<FitData> &data, const SiteParameters &start,
    const std::function<bool()> &stop, unsigned threads, SiteRanges ranges)
{
    switch (start.directions.size()) {
    case 1:
        return refineSiteFixed<1>(data, start, stop, threads, ranges);
    case 2:
        return refineSiteFixed<2>(data, start, stop, threads, ranges);
    case 3:
        return refineSiteFixed<3>(data, start, stop, threads, ranges);
    case 4:
        return refineSiteFixed<4>(data, start, stop, threads, ranges);
    default:
        return { start, 0, 0, false, false };
    }
}

} // namespace

SiteFitOutcome refineSite(const std::vector<FitData> &data, const SiteParameters &start,
    const std::function<bool()> &stop, unsigned threads)
{
    SiteFitOutcome free = refineSiteRanges(data, start, stop, threads, SiteRanges::Free);
    if (free.moved || (stop && stop()))
        return free;
    const SiteFitOutcome held = refineSiteRanges(data, start, stop, threads, SiteRanges::Held);
    if (stop && stop())
        return free;
    SiteFitOutcome freed = refineSiteRanges(data, held.fitted, stop, threads, SiteRanges::Free);
    return freed.objective < free.objective ? freed : free;
}

namespace {

// A specimen's own component further than this from its cluster's mean does not start the
// site's fit where it lies.
constexpr double StrayDegrees = 45;

// A noise this small against the largest moment is taken as an exact fit, so that the weights
// stay finite on data without noise.
constexpr double ExactFitNoise = 1e-9;

// The specimen's steps weighted by the noise its own unmixing found: the stated errors scaled
// by its misfit where every step has one, else the noise of its residuals.
FitData weightedData(const std::vector<UnmixStep> &steps, const UnmixResult &single)
{
    FitData data = unmixFitData(steps);
    if (data.withErrors) {
        for (double &w : data.weights)
            w /= single.noiseScale;
    } else {
        const double sigma = std::max(single.noise / data.scale, ExactFitNoise);
        std::fill(data.weights.begin(), data.weights.end(), 1 / sigma);
    }
    return data;
}

// The specimen's own chosen fit where it has at most k components and chosen is true (the site
// may add lacking ones); else its closest fit of k components, else its chosen one. In scaled
// units.
std::vector<ComponentParameters> ownStart(
    const UnmixResult &single, int k, double scale, bool chosen)
{
    const UnmixCandidate *best = &single.best;
    if (int(best->components.size()) > k || !chosen) {
        const UnmixCandidate *exact = nullptr;
        for (const UnmixCandidate &c : single.candidates)
            if (int(c.components.size()) == k && (!exact || c.rms < exact->rms))
                exact = &c;
        best = exact ? exact : int(best->components.size()) <= k ? best : nullptr;
    }
    std::vector<ComponentParameters> own;
    if (best)
        for (const UnmixComponent &c : best->components)
            own.push_back(componentParameters(c, scale));
    return own;
}

double median(std::vector<double> values)
{
    return values.empty() ? 0 : percentile(std::move(values), 0.5);
}

std::vector<RangeEndVariance> rangeEndVariances(
    const FitData &data, const std::vector<ComponentParameters> &fitted)
{
    switch (fitted.size()) {
    case 1:
        return rangeEndVariances<1>(data, fitted);
    case 2:
        return rangeEndVariances<2>(data, fitted);
    case 3:
        return rangeEndVariances<3>(data, fitted);
    case 4:
        return rangeEndVariances<4>(data, fitted);
    default:
        return {};
    }
}

// The fewest specimens carrying a component whose ranges say how far its ranges spread.
constexpr int MinSpecimensForRangeSpread = 3;

// Where the ranges of a component's specimens lie, from their own fits' ends: the medians, and
// how far the ends spread from specimen to specimen. The ends' robust scatter (1.4826 times the
// median absolute deviation, the standard deviation were they normal) holds each specimen's own
// error as well as the site's spread: the median of their own fits' variances (ownVariances,
// possibly fewer than the ends) is taken off its square, and what is left, at least a hundredth
// of the heating range, is the spread. None from fewer than MinSpecimensForRangeSpread
// specimens.
std::optional<SiteParameters::Range> siteRange(const std::vector<double> &lows,
    const std::vector<double> &highs, const std::vector<RangeEndVariance> &ownVariances,
    double span)
{
    if (int(lows.size()) < MinSpecimensForRangeSpread)
        return std::nullopt;
    const auto spread = [&](std::vector<double> ends, double centre, double ownVariance) {
        for (double &end : ends)
            end = std::abs(end - centre);
        const double scatter = 1.4826 * median(std::move(ends));
        return std::max(std::sqrt(std::max(scatter * scatter - ownVariance, 0.0)), 0.01 * span);
    };
    std::vector<double> lowVariances, highVariances;
    for (const RangeEndVariance &v : ownVariances) {
        lowVariances.push_back(v.low);
        highVariances.push_back(v.high);
    }
    SiteParameters::Range range;
    range.low = median(lows);
    range.high = median(highs);
    range.lowSpread = spread(lows, range.low, median(lowVariances));
    range.highSpread = spread(highs, range.high, median(highVariances));
    return range;
}

// The starting site: each specimen's own fit of k components (padded with lacking ones where
// it has fewer), matched to the specimen with the most signal against its noise, then twice to
// the clusters' means; each site direction the Fisher mean of its cluster, k its precision.
SiteParameters siteStart(const std::vector<FitData> &data,
    const std::vector<const UnmixResult *> &singles, int k, UnmixShapes shapes, bool chosen,
    std::vector<std::vector<ComponentParameters>> &stray)
{
    const std::size_t specimens = data.size();
    const SpectrumShape padShape
        = shapes == UnmixShapes::Rectangular ? SpectrumShape::Rectangular : SpectrumShape::Gauss;
    std::vector<std::vector<ComponentParameters>> own(specimens);
    std::size_t reference = 0;
    double clearest = -1;
    for (std::size_t s = 0; s < specimens; ++s) {
        own[s] = ownStart(*singles[s], k, data[s].scale, chosen);
        const double clearness = data[s].weights.front(); // weights are the inverse noise
        if (int(own[s].size()) == k && clearness > clearest) {
            clearest = clearness;
            reference = s;
        }
        while (int(own[s].size()) < k)
            own[s].push_back({ padShape, {} });
    }
    const double span = data[reference].highBound - data[reference].lowBound;
    std::vector<ComponentParameters> centres = own[reference];
    SiteParameters site;
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t s = 0; s < specimens; ++s)
            own[s] = matchedComponents(centres, own[s], span);
        site.directions.assign(std::size_t(k), {});
        site.precisions.assign(std::size_t(k), 1);
        for (int j = 0; j < k; ++j) {
            std::vector<Vector3> directions;
            std::vector<double> lows, widths;
            for (std::size_t s = 0; s < specimens; ++s) {
                const auto &v = own[s][j].values;
                const Vector3 moment { v[0], v[1], v[2] };
                if (norm(moment) > 0) {
                    directions.push_back(moment);
                    lows.push_back(v[3]);
                    widths.push_back(v[4]);
                }
            }
            if (directions.empty()) {
                site.directions.clear();
                return site; // no specimen has a component here
            }
            const FisherStatistics statistics = fisherStatistics(directions);
            const Vector3 mean = statistics.mean
                ? unitVector(statistics.mean->declination, statistics.mean->inclination)
                : Vector3 { 0, 0, 1 };
            site.directions[j] = mean;
            site.precisions[j] = sitePrecision(directions, 1);
            centres[j].values = { mean.x, mean.y, mean.z, median(lows), median(widths) };
        }
    }
    site.specimens = own; // as the specimens' own fits left them: the second start
    // A component far from its cluster's mean is one the specimen's own fit got wrong (two
    // components swapped or split): it starts at the site's direction and its cluster's range,
    // keeping its height, and k is that of the rest. A lacking component starts there too.
    for (int j = 0; j < k; ++j) {
        std::vector<Vector3> kept;
        for (std::size_t s = 0; s < specimens; ++s) {
            auto &v = own[s][j].values;
            const Vector3 moment { v[0], v[1], v[2] };
            const double height = norm(moment);
            if (height > 0 && angleBetween(moment, site.directions[j]) <= StrayDegrees) {
                kept.push_back(moment);
                continue;
            }
            const Vector3 u = height * site.directions[j];
            v = { u.x, u.y, u.z, centres[j].values[3], centres[j].values[4] };
        }
        if (kept.size() >= 2) {
            const FisherStatistics statistics = fisherStatistics(kept);
            site.directions[j]
                = unitVector(statistics.mean->declination, statistics.mean->inclination);
            site.precisions[j] = sitePrecision(kept, site.precisions[j]);
        }
    }
    // Where the specimens' ranges lie and how far they spread, from their own fits' ends
    // (strays at their cluster's) and the variances of the own fits' ends, as k comes from the
    // directions'.
    std::vector<std::vector<RangeEndVariance>> variances(specimens);
    for (std::size_t s = 0; s < specimens; ++s)
        variances[s] = rangeEndVariances(data[s], site.specimens[s]);
    for (int j = 0; j < k; ++j) {
        std::vector<double> lows, highs;
        std::vector<RangeEndVariance> ownVariances;
        for (std::size_t s = 0; s < specimens; ++s) {
            const auto &v = own[s][j].values;
            if (norm(Vector3 { v[0], v[1], v[2] }) <= 0)
                continue;
            lows.push_back(v[3]);
            highs.push_back(v[3] + v[4]);
            const auto &fit = site.specimens[s][std::size_t(j)].values;
            if (std::size_t(j) < variances[s].size() && norm(Vector3 { fit[0], fit[1], fit[2] }) > 0
                && std::isfinite(variances[s][std::size_t(j)].low)
                && std::isfinite(variances[s][std::size_t(j)].high))
                ownVariances.push_back(variances[s][std::size_t(j)]);
        }
        site.ranges.push_back(siteRange(lows, highs, ownVariances, span));
    }
    std::swap(site.specimens, own);
    stray = std::move(own);
    return site;
}

// Gives every specimen's component j the shape most specimens carrying it have (Gauss where as
// many have either); whether any shape changed.
bool sameShapes(std::vector<std::vector<ComponentParameters>> &specimens, int k)
{
    bool changed = false;
    for (int j = 0; j < k; ++j) {
        int gauss = 0, rectangular = 0;
        for (const auto &components : specimens) {
            const ComponentParameters &c = components[std::size_t(j)];
            if (norm(Vector3 { c.values[0], c.values[1], c.values[2] }) > 0)
                ++(c.shape == SpectrumShape::Gauss ? gauss : rectangular);
        }
        const SpectrumShape most
            = gauss >= rectangular ? SpectrumShape::Gauss : SpectrumShape::Rectangular;
        for (auto &components : specimens) {
            ComponentParameters &c = components[std::size_t(j)];
            changed = changed || c.shape != most;
            c.shape = most;
        }
    }
    return changed;
}

// The fit of k components from the start, at the precisions the options fix, else at those of
// the specimens' own directions about their clusters' means (strays left out). Those include
// each specimen's noise, so they understate the site's k and the pull errs towards each
// specimen's own steps; k estimated again from the pulled directions would overstate it, and
// refitting at that k round by round runs away towards one direction for all (tried on the
// simulated sites of the benchmark: the site's error grew by a third).
SiteFitOutcome fitSite(const std::vector<FitData> &data,
    const std::vector<const UnmixResult *> &singles, int k, const SiteUnmixOptions &options,
    unsigned threads)
{
    // From the fits each specimen's unmixing chose, lacking components added; where no specimen
    // has a component for one of the site's, from their fits of k components.
    std::vector<std::vector<ComponentParameters>> own;
    SiteParameters start = siteStart(data, singles, k, options.shapes, true, own);
    if (start.directions.empty())
        start = siteStart(data, singles, k, options.shapes, false, own);
    if (start.directions.empty())
        throw UnmixingError("no specimen has " + std::to_string(k) + " components");
    // A precision the options fix ties the directions as asked and leaves the ranges free.
    if (options.precision) {
        start.precisions.assign(std::size_t(k), *options.precision);
        start.ranges.clear();
    }
    SiteFitOutcome outcome = refineSite(data, start, options.stopRequested, threads);
    // The specimens' own fits as they lie, strays and all, as a second start at the same
    // precisions: where the site's pull cannot undo a swap, the own fit may be the better one.
    if (own != start.specimens) {
        SiteParameters second = start;
        second.specimens = std::move(own);
        SiteFitOutcome other = refineSite(data, second, options.stopRequested, threads);
        if (other.objective < outcome.objective)
            outcome = std::move(other);
    }
    // The specimens of a site share their spectra's shape, as they share their directions: one
    // specimen's own fit may have taken the other shape for a component on its noise. So the
    // fit is tried again from where it lies with each component's shape that of most specimens
    // carrying it, the lower objective kept.
    SiteParameters alike = outcome.fitted;
    if (sameShapes(alike.specimens, k)) {
        SiteFitOutcome other = refineSite(data, alike, options.stopRequested, threads);
        if (other.objective < outcome.objective)
            outcome = std::move(other);
    }
    return outcome;
}

// The fit as a candidate BIC chooses from. The site's likelihood is that of every specimen's
// steps under its own noise (weighted chi-square); the parameters those of every specimen's
// components (direction, height and range: five each), the site's directions (two each) and
// precisions.
UnmixCandidate siteCandidate(const std::vector<FitData> &data, const SiteFitOutcome &outcome)
{
    const std::size_t k = outcome.fitted.directions.size();
    double numbers = 0;
    UnmixCandidate candidate;
    candidate.converged = outcome.converged;
    candidate.cancellation = 0;
    candidate.fewestSteps = std::numeric_limits<int>::max();
    for (std::size_t s = 0; s < data.size(); ++s) {
        numbers += 3.0 * double(data[s].temperatures.size());
        std::vector<UnmixComponent> carried;
        for (const ComponentParameters &c : outcome.fitted.specimens[s]) {
            if (!carries(data[s], c))
                continue;
            carried.push_back(unmixComponent(c, data[s].scale));
            const double low = c.values[3], high = c.values[3] + c.values[4];
            candidate.fewestSteps = std::min(candidate.fewestSteps,
                int(std::count_if(data[s].temperatures.begin(), data[s].temperatures.end(),
                    [&](double t) { return t >= low && t <= high; })));
        }
        candidate.cancellation
            = std::max(candidate.cancellation, unmixCancellation(carried, data[s].temperatures));
    }
    const double parameters = double(k) * (5.0 * double(data.size()) + 3.0);
    candidate.bic = outcome.cost + parameters * std::log(numbers);
    candidate.rms = std::sqrt(outcome.cost / numbers);
    for (std::size_t j = 0; j < k; ++j) {
        const AngularDirection d = directionOf(outcome.fitted.directions[j]);
        std::vector<double> lows, highs;
        for (std::size_t s = 0; s < data.size(); ++s) {
            const auto &v = outcome.fitted.specimens[s][j].values;
            lows.push_back(v[3]);
            highs.push_back(v[3] + v[4]);
        }
        candidate.components.push_back(
            { SpectrumShape::Gauss, d.declination, d.inclination, 0, median(lows), median(highs) });
    }
    return candidate;
}

} // namespace

SiteUnmixResult unmixSite(const std::string &site, const std::vector<SiteUnmixSpecimen> &specimens,
    const SiteUnmixOptions &options)
{
    if (options.components < 0 || options.components > MaxUnmixComponents)
        throw UnmixingError(
            site + ": the number of components must be 1 to " + std::to_string(MaxUnmixComponents));
    if (options.precision && !(*options.precision > 0 && *options.precision <= MaxSitePrecision))
        throw UnmixingError(site + ": the precision k must be above 0 and at most 1e10");
    const auto stop = [&] { return options.stopRequested && options.stopRequested(); };
    const auto stopIfAsked = [&] {
        if (stop())
            throw UnmixingError(site + ": the unmixing was stopped");
    };
    const unsigned threads
        = options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    const int most = options.components > 0
        ? options.components
        : std::clamp(options.maxComponents, 1, MaxUnmixComponents);
    std::vector<int> counts;
    for (int k = options.components > 0 ? options.components : 1; k <= most; ++k)
        counts.push_back(k);
    const int total = int(specimens.size() + counts.size()) + options.bootstrap;
    int done = 0;
    const auto finished = [&] {
        ++done;
        if (options.progress)
            options.progress(done, total);
    };

    // Each specimen on its own, in parallel: the starts and the noise of the joint fit.
    std::vector<std::optional<UnmixResult>> singles(specimens.size());
    std::vector<std::string> refusals(specimens.size());
    UnmixOptions single;
    single.maxComponents = most;
    single.shapes = options.shapes;
    single.bootstrap = 0;
    single.stopRequested = options.stopRequested;
    const auto unmixOne = [&](std::size_t s) {
        try {
            singles[s] = unmixSpecimen(specimens[s].name, specimens[s].steps, single);
        } catch (const UnmixingError &error) {
            refusals[s] = error.what();
        }
    };
    if (!runParallelTasks(specimens.size(), threads, unmixOne, finished, stop))
        throw UnmixingError(site + ": the unmixing was stopped");
    stopIfAsked();

    SiteUnmixResult result;
    result.site = site;
    std::vector<FitData> data;
    std::vector<const UnmixResult *> kept;
    std::vector<std::size_t> keptIndex;
    for (std::size_t s = 0; s < specimens.size(); ++s) {
        if (!singles[s]) {
            result.refusals.push_back(refusals[s]);
            continue;
        }
        data.push_back(weightedData(specimens[s].steps, *singles[s]));
        kept.push_back(&*singles[s]);
        keptIndex.push_back(s);
    }
    if (data.size() < 2)
        throw UnmixingError(site + ": " + std::to_string(data.size()) + " of its "
            + std::to_string(specimens.size())
            + " specimens could be unmixed; a site's fit needs at least two"
            + (result.refusals.empty() ? "" : " (" + result.refusals.front() + ")"));

    std::vector<SiteFitOutcome> outcomes;
    for (const int k : counts) {
        stopIfAsked();
        outcomes.push_back(fitSite(data, kept, k, options, threads));
        stopIfAsked();
        result.candidates.push_back(siteCandidate(data, outcomes.back()));
        finished();
    }
    result.chosen = chosenCandidate(result.candidates);
    const SiteFitOutcome &best = outcomes[result.chosen];

    std::optional<SiteBootstrapSummary> intervals;
    if (options.bootstrap > 0)
        intervals = bootstrapSite(site, data, best.fitted, !options.precision, options, finished);
    if (intervals) {
        result.bootstrapRefits = intervals->refits;
        result.bootstrapNotConverged = intervals->notConverged;
    }

    const UnmixCandidate &chosen = result.candidates[result.chosen];
    for (std::size_t j = 0; j < best.fitted.directions.size(); ++j) {
        SiteComponent c;
        c.declination = chosen.components[j].declination;
        c.inclination = chosen.components[j].inclination;
        c.low = chosen.components[j].low;
        c.high = chosen.components[j].high;
        const std::vector<Vector3> carried = carriedDirections(data, best.fitted, j);
        c.specimens = int(carried.size());
        if (options.precision)
            c.k = *options.precision;
        else if (carried.size() >= 2)
            c.k = sitePrecision(carried, best.fitted.precisions[j]);
        if (intervals) {
            c.alpha95 = intervals->alpha95[j];
            c.kLow = options.precision ? *c.k : intervals->kLow[j];
            c.kHigh = options.precision ? *c.k : intervals->kHigh[j];
        }
        result.components.push_back(c);
    }
    for (std::size_t s = 0; s < data.size(); ++s) {
        SiteSpecimenFit fit;
        fit.name = specimens[keptIndex[s]].name;
        for (std::size_t j = 0; j < best.fitted.directions.size(); ++j) {
            const ComponentParameters &p = best.fitted.specimens[s][j];
            UnmixComponent c = unmixComponent(p, data[s].scale);
            if (!carries(data[s], p)) {
                c.height = 0;
                c.declination = result.components[j].declination;
                c.inclination = result.components[j].inclination;
            }
            fit.components.push_back(c);
        }
        if (intervals)
            fit.alpha95 = intervals->specimenAlpha95[s];
        fit.rms = std::sqrt(plainCost(data[s], best.fitted.specimens[s])
                      / (3.0 * double(data[s].temperatures.size())))
            * data[s].scale;
        fit.single = std::move(*singles[keptIndex[s]]);
        result.specimens.push_back(std::move(fit));
    }
    return result;
}

} // namespace Demagora
