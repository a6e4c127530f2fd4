#include "model/populations.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Demagora {

namespace {

// Floor as a whole number of degrees. A value beyond the blocking-temperature limit is
// refused rather than converted, which for a huge or NaN value would be undefined.
std::int32_t floorDegrees(double degrees)
{
    checkBlockingTemperature(degrees);
    return static_cast<std::int32_t>(std::floor(degrees));
}

} // namespace

RunRange computeRunRange(const ComponentPopulations &populations)
{
    for (const Population &p : populations) {
        if (p.empty())
            throw ModelError("A component has no members to calculate");
    }
    if (populations.empty())
        throw ModelError("There is no component to calculate: add at least one component");
    const TVector &first = populations.front().front();
    std::int32_t low = floorDegrees(first.BlockLow);
    std::int32_t high = floorDegrees(first.BlockHigh);
    for (std::size_t i = 1; i < populations.size(); ++i) {
        const TVector &c = populations[i].front();
        if (c.BlockLow < low)
            low = floorDegrees(c.BlockLow);
        if (c.BlockHigh > high)
            high = floorDegrees(c.BlockHigh);
    }
    return RunRange { low, high, high - low };
}

double highestBlockHigh(const ComponentPopulations &populations)
{
    if (populations.empty())
        return std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    for (const Population &p : populations)
        if (!p.empty())
            highest = std::max(highest, p.front().BlockHigh);
    return highest;
}

} // namespace Demagora
