#pragma once

#include <cstdint>

namespace Demagora {

// Blocking temperatures beyond this magnitude are refused: the 0.1-degree slices of the
// spectrum sum cannot step down from such a value, and the run would never end.
inline constexpr double MaxBlockingTemperature = 100000;

// Members a component may be scattered into: more would fill the memory before any run.
inline constexpr int MaxRandomPoints = 100000;

// Result points (members times steps) a run may produce, about 1.6 GB of results.
inline constexpr std::uint64_t MaxRunResultPoints = 50'000'000;

// Each check throws ModelError with a message for the user when the value is refused.
void checkBlockingTemperature(double degrees);
void checkFisherK(double k);
void checkRandomPoints(int count);
void checkRunSize(std::uint64_t memberCount, std::uint64_t stepCount);

} // namespace Demagora
