#include "model/populations.h"

#include <cmath>

namespace Demagora {

RunRange computeRunRange(const ComponentPopulations &populations)
{
    const TVector &first = populations.front().front();
    auto low = static_cast<std::int32_t>(std::floor(first.BlockLow));
    auto high = static_cast<std::int32_t>(std::floor(first.BlockHigh));
    for (std::size_t i = 1; i < populations.size(); ++i) {
        const TVector &c = populations[i].front();
        if (c.BlockLow < low)
            low = static_cast<std::int32_t>(std::floor(c.BlockLow));
        if (c.BlockHigh > high)
            high = static_cast<std::int32_t>(std::floor(c.BlockHigh));
    }
    return RunRange { low, high, high - low };
}

} // namespace Demagora
