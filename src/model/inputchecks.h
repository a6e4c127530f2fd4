#pragma once

#include "model/tvector.h"

#include <cstdint>
#include <vector>

namespace Demagora {

// Blocking temperatures beyond this magnitude are refused: the 0.1-degree slices of the
// spectrum sum cannot step down from such a value, and the run would never end.
inline constexpr double MaxBlockingTemperature = 100000;

// Members a component may be scattered into: more would fill the memory before any run.
inline constexpr int MaxRandomPoints = 100000;

// Result points (members times steps) a run may produce, about 1.6 GB of results.
inline constexpr std::uint64_t MaxRunResultPoints = 50'000'000;

// Spectrum heights and their standard deviation beyond this magnitude are refused: with
// them the summed vectors and their squared lengths stay far inside the range of a double.
inline constexpr double MaxHeight = 1e100;

// Component evaluations (components times members times steps) a run may take: about half
// a minute on two cores. Beyond it a run is refused rather than left to run for hours.
inline constexpr std::uint64_t MaxRunEvaluations = 5'000'000'000;

// Memory the run's tables of blocking spectra may take (one per distinct spectrum).
inline constexpr std::uint64_t MaxSpectrumTableBytes = 1'000'000'000;

// Each check throws ModelError with a message for the user when the value is refused.
void checkBlockingTemperature(double degrees);
void checkFisherK(double k);
void checkRandomPoints(int count);
void checkRunSize(std::uint64_t memberCount, std::uint64_t stepCount);
void checkHeight(double height);
void checkHeightStdDev(double deviation);
// The work and table memory of a run of components (as entered: scattering keeps every
// blocking range) with memberCount members over stepCount steps; skippedDraws, the random
// numbers skipped before the members are drawn, count as one evaluation each.
void checkRunCost(const std::vector<TVector> &components, std::uint64_t memberCount,
    std::uint64_t stepCount, std::uint64_t skippedDraws = 0);

} // namespace Demagora
