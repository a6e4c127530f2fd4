#pragma once

#include "batch/unmixoptions.h"
#include "measurements/measurementsettings.h"
#include "model/populations.h"
#include "unmixing/unmixing.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Demagora {

// One specimen's steps under its name, from a measurement file or a measured run.
struct UnmixSpecimenSteps
{
    std::string name;
    std::vector<UnmixStep> steps;
};

struct UnmixedSpecimen
{
    std::string name;
    UnmixResult result;
};

// Every member of a run measured as the measurement files measure it: the schedule, the scale
// and the noise of the settings, the noise drawn from seed; removedAbove is highestBlockHigh of
// the run's populations.
std::vector<UnmixSpecimenSteps> measuredRunSteps(const ResultSeries &series,
    MeasurementSettings settings, std::uint64_t seed, double removedAbove);

// Fits every specimen in turn, the bootstrap of each on every core from seed. Throws BatchError
// naming the specimen that cannot be unmixed.
std::vector<UnmixedSpecimen> unmixSpecimens(
    const std::vector<UnmixSpecimenSteps> &specimens, const UnmixBatchOptions &options, std::uint64_t seed);

// One row per fitted component; with entered components (a simulated run) also the angle from
// each fitted direction to each entered one. Intervals are empty without bootstrap.
void writeUnmixCsv(std::ostream &out, const std::vector<UnmixedSpecimen> &specimens,
    const std::vector<TVector> &entered);

} // namespace Demagora
