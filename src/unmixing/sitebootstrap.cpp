#include "unmixing/sitebootstrap.h"

#include "analysis/fisher.h"
#include "measurements/measurementnoise.h"
#include "model/paralleltasks.h"
#include "model/randomsource.h"
#include "unmixing/continuousspectrum.h"
#include "unmixing/unmixbootstrap.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace Demagora {

bool carries(const FitData &data, const ComponentParameters &component)
{
    const auto &v = component.values;
    const double height = norm(Vector3 { v[0], v[1], v[2] });
    const double whole = continuousRemaining(component.shape, height, v[3], v[3] + v[4], v[3] - 1);
    double sum = 0;
    for (const double w : data.weights)
        sum += 1 / (w * w);
    const double noise = std::sqrt(sum / double(std::max<std::size_t>(data.weights.size(), 1)));
    return whole > 3 * noise;
}

std::vector<Vector3> carriedDirections(
    const std::vector<FitData> &data, const SiteParameters &site, std::size_t j)
{
    std::vector<Vector3> directions;
    for (std::size_t s = 0; s < data.size(); ++s) {
        const ComponentParameters &c = site.specimens[s][j];
        if (carries(data[s], c))
            directions.push_back({ c.values[0], c.values[1], c.values[2] });
    }
    return directions;
}

double sitePrecision(const std::vector<Vector3> &directions, double fallback)
{
    if (directions.size() < 2)
        return fallback;
    const FisherStatistics statistics = fisherStatistics(directions);
    const double k = statistics.k.value_or(MaxSitePrecision);
    return std::clamp(std::isfinite(k) ? k : MaxSitePrecision, 1.0, MaxSitePrecision);
}

SiteBootstrapSummary bootstrapSite(const std::string &site, const std::vector<FitData> &data,
    const SiteParameters &fitted, bool estimatePrecision, const SiteUnmixOptions &options,
    const std::function<void()> &finished)
{
    const int count = options.bootstrap;
    const std::size_t specimens = data.size();
    const std::size_t components = fitted.directions.size();
    std::vector<std::vector<std::array<double, 3>>> predicted;
    // The noise each specimen's steps are drawn with: its own unmixing's (the inverse of the
    // weights), scaled up where the site's fit leaves it larger residuals, as the misfit
    // scales stated errors: the site's pull costs each specimen some of its fit.
    std::vector<double> noiseScale;
    for (std::size_t s = 0; s < specimens; ++s) {
        predicted.push_back(predictScaled(data[s], fitted.specimens[s]));
        const double freedom
            = std::max(3.0 * double(data[s].temperatures.size()) - 5.0 * double(components), 1.0);
        noiseScale.push_back(
            std::max(1.0, std::sqrt(weightedCost(data[s], fitted.specimens[s]) / freedom)));
    }
    struct Refit
    {
        std::vector<std::size_t> drawn;
        SiteFitOutcome outcome;
    };
    std::vector<Refit> refits { std::size_t(count) };
    const auto task = [&](std::size_t b) {
        MersenneTwisterSource random(specimenNoiseSeed(options.seed, b));
        GaussianNoise gaussian(random);
        Refit &refit = refits[b];
        for (std::size_t s = 0; s < specimens; ++s) {
            const std::size_t drawn = options.resampleSpecimens
                ? std::min(std::size_t(random.uniform() * double(specimens)), specimens - 1)
                : s;
            refit.drawn.push_back(drawn);
        }
        std::vector<FitData> resampled;
        SiteParameters start;
        start.directions = fitted.directions;
        start.precisions = fitted.precisions;
        for (const std::size_t s : refit.drawn) {
            FitData d = data[s];
            for (std::size_t i = 0; i < d.moments.size(); ++i)
                for (int a = 0; a < 3; ++a)
                    d.moments[i][a]
                        = predicted[s][i][a] + gaussian.next(noiseScale[s] / d.weights[i]);
            resampled.push_back(std::move(d));
            start.specimens.push_back(fitted.specimens[s]);
        }
        refit.outcome = refineSite(resampled, start, options.stopRequested, 1);
        if (estimatePrecision)
            for (std::size_t j = 0; j < components; ++j)
                refit.outcome.fitted.precisions[j] = sitePrecision(
                    carriedDirections(resampled, refit.outcome.fitted, j), fitted.precisions[j]);
    };
    const auto stop = [&] { return options.stopRequested && options.stopRequested(); };
    const unsigned threads
        = options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    if (!runParallelTasks(std::size_t(count), threads, task, finished, stop))
        throw UnmixingError(site + ": the unmixing was stopped");

    SiteBootstrapSummary summary;
    summary.refits = count;
    summary.notConverged = int(std::count_if(
        refits.begin(), refits.end(), [](const Refit &r) { return !r.outcome.converged; }));
    for (std::size_t j = 0; j < components; ++j) {
        std::vector<double> angles, precisions;
        std::vector<Vector3> directions;
        for (const Refit &r : refits) {
            angles.push_back(angleBetween(r.outcome.fitted.directions[j], fitted.directions[j]));
            precisions.push_back(r.outcome.fitted.precisions[j]);
            directions.push_back(r.outcome.fitted.directions[j]);
        }
        const std::optional<AngularDirection> refitted = fisherStatistics(directions).mean;
        const double bias = refitted
            ? angleBetween(
                unitVector(refitted->declination, refitted->inclination), fitted.directions[j])
            : 0.0;
        // Drawn with replacement, n specimens spread their mean by sqrt((n - 1) / n) of what
        // n new ones would: the angles are widened by the inverse.
        const double spread = options.resampleSpecimens && specimens > 1
            ? std::sqrt(double(specimens) / double(specimens - 1))
            : 1.0;
        summary.alpha95.push_back(spread * percentile(angles, 0.95) + bias);
        summary.kLow.push_back(percentile(precisions, 0.025));
        summary.kHigh.push_back(percentile(precisions, 0.975));
    }
    for (std::size_t s = 0; s < specimens; ++s) {
        std::vector<double> cones;
        for (std::size_t j = 0; j < components; ++j) {
            const ComponentParameters &f = fitted.specimens[s][j];
            const Vector3 own = norm(Vector3 { f.values[0], f.values[1], f.values[2] }) > 0
                ? Vector3 { f.values[0], f.values[1], f.values[2] }
                : fitted.directions[j];
            std::vector<double> angles;
            for (const Refit &r : refits) {
                const auto at = std::find(r.drawn.begin(), r.drawn.end(), s);
                if (at == r.drawn.end())
                    continue;
                const auto &c = r.outcome.fitted.specimens[std::size_t(at - r.drawn.begin())][j];
                const Vector3 v { c.values[0], c.values[1], c.values[2] };
                angles.push_back(norm(v) > 0 ? angleBetween(v, own) : 180.0);
            }
            cones.push_back(angles.empty() ? 180.0 : percentile(angles, 0.95));
        }
        summary.specimenAlpha95.push_back(std::move(cones));
    }
    return summary;
}

} // namespace Demagora
