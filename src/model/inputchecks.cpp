#include "model/inputchecks.h"

#include "model/modelerror.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace Demagora {

namespace {
std::string shortText(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}
} // namespace

void checkBlockingTemperature(double degrees)
{
    if (!(std::fabs(degrees) <= MaxBlockingTemperature)) {
        throw ModelError("The blocking temperature " + shortText(degrees)
            + " is out of range: blocking temperatures must lie between -100000 and 100000 "
              "degrees");
    }
}

void checkFisherK(double k)
{
    if (!(k > 0)) {
        throw ModelError("Fisher's k must be greater than 0 (it is " + shortText(k) + ")");
    }
}

void checkRandomPoints(int count)
{
    if (count < 1) {
        throw ModelError("Random points must be at least 1 (it is " + std::to_string(count) + ")");
    }
    if (count > MaxRandomPoints) {
        throw ModelError("Random points must be at most " + std::to_string(MaxRandomPoints)
            + " (it is " + std::to_string(count) + ")");
    }
}

void checkRunSize(std::uint64_t memberCount, std::uint64_t stepCount)
{
    // Compared as a quotient so that the product cannot overflow.
    if (stepCount > 0 && memberCount > MaxRunResultPoints / stepCount) {
        throw ModelError("The run is too large: " + std::to_string(memberCount) + " members times "
            + std::to_string(stepCount) + " steps exceed " + std::to_string(MaxRunResultPoints)
            + " result points");
    }
}

void checkHeight(double height)
{
    if (!(std::fabs(height) <= MaxHeight)) {
        throw ModelError("The height " + shortText(height)
            + " is out of range: spectrum heights must lie between -1e100 and 1e100");
    }
}

void checkHeightStdDev(double deviation)
{
    if (!(std::fabs(deviation) <= MaxHeight)) {
        throw ModelError("StdDev (heights) " + shortText(deviation)
            + " is out of range: it must lie between -1e100 and 1e100");
    }
}

void checkRunCost(const std::vector<TVector> &components, std::uint64_t memberCount,
    std::uint64_t stepCount, std::uint64_t skippedDraws)
{
    // Besides the run itself, the Initial report sums every member's whole magnetization
    // (its spectrum from BlockHigh down to 0 degrees) slice by slice.
    double wholeSlices = 0;
    for (const TVector &component : components)
        wholeSlices
            += std::max(0.0, (component.BlockHigh - std::max(0.0, component.BlockLow)) * 10);
    const double evaluations = static_cast<double>(components.size())
            * static_cast<double>(memberCount) * static_cast<double>(stepCount)
        + static_cast<double>(memberCount) * wholeSlices + static_cast<double>(skippedDraws);
    if (evaluations > static_cast<double>(MaxRunEvaluations)) {
        throw ModelError("The run is too large: " + std::to_string(components.size())
            + " components times " + std::to_string(memberCount) + " members times "
            + std::to_string(stepCount) + " steps, with the whole magnetization of every member"
            + (skippedDraws > 0 ? " and " + std::to_string(skippedDraws) + " skipped draws" : "")
            + ", need " + std::to_string(static_cast<std::uint64_t>(evaluations))
            + " evaluations, more than " + std::to_string(MaxRunEvaluations));
    }
    // One table per distinct spectrum: a count per step, and for a Gauss spectrum a density
    // per 0.1-degree slice of its range.
    double bytes = 0;
    std::vector<const TVector *> distinct;
    for (const TVector &component : components) {
        bool seen = false;
        for (const TVector *other : distinct) {
            seen = seen
                || (other->BlockLow == component.BlockLow && other->BlockHigh == component.BlockHigh
                    && other->Shape == component.Shape);
        }
        if (seen)
            continue;
        distinct.push_back(&component);
        bytes += 8.0 * static_cast<double>(stepCount);
        if (component.Shape == SpectrumShape::Gauss)
            bytes += 8.0 * std::max(0.0, (component.BlockHigh - component.BlockLow) * 10 + 1);
    }
    if (bytes > static_cast<double>(MaxSpectrumTableBytes)) {
        throw ModelError("The run is too large: the tables of its "
            + std::to_string(distinct.size()) + " distinct blocking spectra need "
            + std::to_string(static_cast<std::uint64_t>(bytes / 1e6)) + " MB, more than "
            + std::to_string(MaxSpectrumTableBytes / 1'000'000)
            + " MB; use fewer distinct blocking ranges or narrower ones");
    }
}

} // namespace Demagora
