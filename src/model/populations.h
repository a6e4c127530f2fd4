#pragma once

#include "model/tresultvectors.h"
#include "model/tvector.h"

#include <cstdint>
#include <vector>

namespace Demagora {

// Member 0 is the component as entered, members 1..N its scattered copies.
using Population = std::vector<TVector>;
// One population per entered component, in entry order; all hold the same member count.
using ComponentPopulations = std::vector<Population>;
// One demagnetization curve, in increasing temperature.
using ResultSeriesEntry = std::vector<TResultVectors>;
// One curve per member index.
using ResultSeries = std::vector<ResultSeriesEntry>;

// The temperatures a run covers, in whole degrees.
struct RunRange
{
    std::int32_t low = 0;
    std::int32_t high = 0;
    std::int32_t pointCount = 0; // high - low

    bool operator==(const RunRange &) const = default;
};

// Floor of the lowest lower and of the highest upper blocking temperature over the first
// member of every population, compared in entry order against the whole numbers so far.
// Throws ModelError without a population, for a population without members, and for a
// blocking temperature beyond MaxBlockingTemperature (or not finite) that it has to floor.
RunRange computeRunRange(const ComponentPopulations &populations);

// The highest upper blocking temperature over the first member of every population: above it
// every component is removed. The run ends at its whole degree, so a step measured above the
// run's end measures nothing. Infinity without a population: nothing is known to be removed.
double highestBlockHigh(const ComponentPopulations &populations);

} // namespace Demagora
