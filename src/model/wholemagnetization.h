#pragma once

#include "model/populations.h"

#include <vector>

namespace Demagora {

// The whole magnetization of every member of every population, per population in member
// order: remaining[p][m] := populations[p][m].Remaining(0), bit for bit. Members that share a
// spectrum are summed side by side over one spectrum table, and the members are split over
// up to threadCount threads (0: one per core), so that the Initial report of a large run is
// ready in a second rather than minutes. Members whose blocking range a table cannot walk
// (not finite or beyond MaxBlockingTemperature) are summed by Remaining itself.
std::vector<std::vector<double>> wholeMagnetizations(
    const ComponentPopulations &populations, unsigned threadCount = 0);

} // namespace Demagora
