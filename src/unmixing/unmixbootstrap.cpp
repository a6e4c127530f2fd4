#include "unmixing/unmixbootstrap.h"

#include "model/vector3.h"
#include "measurements/measurementnoise.h"
#include "model/paralleltasks.h"
#include "model/randomsource.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <thread>

namespace Demagora {

namespace {

Vector3 moment(const ComponentParameters &p)
{
    return { p.values[0], p.values[1], p.values[2] };
}

} // namespace

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const double at = fraction * double(values.size() - 1);
    const std::size_t below = std::size_t(std::floor(at));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (at - double(below)) * (values[above] - values[below]);
}

BootstrapSummary bootstrapComponents(const FitData &data,
    const std::vector<ComponentParameters> &fitted, const std::vector<double> &noise, double scale,
    const UnmixOptions &options)
{
    const int count = options.bootstrap;
    const int steps = int(data.temperatures.size());
    const int total = count + steps;
    const auto predicted = predictScaled(data, fitted);
    std::vector<std::vector<ComponentParameters>> refits { std::size_t(count) };
    std::vector<std::vector<ComponentParameters>> leftOut { std::size_t(steps) };
    std::vector<char> converged(std::size_t(count), 0);
    const double span = data.highBound - data.lowBound;
    const auto task = [&](std::size_t b) {
        if (b >= std::size_t(count)) {
            const std::size_t drop = b - std::size_t(count);
            FitData fewer = data;
            fewer.temperatures.erase(fewer.temperatures.begin() + std::ptrdiff_t(drop));
            fewer.moments.erase(fewer.moments.begin() + std::ptrdiff_t(drop));
            fewer.weights.erase(fewer.weights.begin() + std::ptrdiff_t(drop));
            leftOut[drop] = matchedComponents(
                fitted, refineComponents(fewer, fitted, options.stopRequested).components, span);
            return;
        }
        MersenneTwisterSource random(specimenNoiseSeed(options.seed, b));
        GaussianNoise gaussian(random);
        FitData resampled = data;
        for (std::size_t i = 0; i < predicted.size(); ++i)
            for (int a = 0; a < 3; ++a)
                resampled.moments[i][a] = predicted[i][a] + gaussian.next(noise[i]);
        FitOutcome outcome = refineComponents(resampled, fitted, options.stopRequested);
        converged[b] = outcome.converged ? 1 : 0;
        refits[b] = matchedComponents(fitted, outcome.components, span);
    };
    int done = 0;
    const auto finished = [&] {
        ++done;
        if (options.progress)
            options.progress(done, total);
    };
    const auto stop = [&] { return options.stopRequested && options.stopRequested(); };
    const unsigned threads
        = options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    if (!runParallelTasks(std::size_t(total), threads, task, finished, stop))
        throw UnmixingError("The unmixing was stopped");

    BootstrapSummary summary;
    summary.refits = count;
    summary.notConverged = int(std::count(converged.begin(), converged.end(), 0));
    summary.jackknifeRefits = steps;
    for (std::size_t j = 0; j < fitted.size(); ++j) {
        std::vector<double> angles, heights, lows, highs;
        for (const auto &refit : refits) {
            const ComponentParameters &r = refit[j];
            angles.push_back(angleOrFlat(moment(fitted[j]), moment(r)));
            heights.push_back(norm(moment(r)) * scale);
            lows.push_back(r.values[3]);
            highs.push_back(r.values[3] + r.values[4]);
        }
        ComponentInterval interval;
        interval.bootstrapAlpha95 = percentile(angles, 0.95);
        for (const auto &refit : leftOut)
            interval.jackknife
                = std::max(interval.jackknife, angleOrFlat(moment(fitted[j]), moment(refit[j])));
        interval.stable = interval.jackknife <= interval.bootstrapAlpha95;
        interval.alpha95 = std::max(interval.bootstrapAlpha95, interval.jackknife);
        interval.heightLow = percentile(heights, 0.025);
        interval.heightHigh = percentile(heights, 0.975);
        interval.lowLow = percentile(lows, 0.025);
        interval.lowHigh = percentile(lows, 0.975);
        interval.highLow = percentile(highs, 0.025);
        interval.highHigh = percentile(highs, 0.975);
        summary.intervals.push_back(interval);
    }
    return summary;
}

} // namespace Demagora
