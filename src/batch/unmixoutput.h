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
    UnmixResult result; // empty when refused
    // Why the specimen could not be unmixed (too few steps, a step without moment...), naming
    // it; empty when it was.
    std::string refusal;
};

// The first specimen that was unmixed, nullptr when none was.
const UnmixedSpecimen *firstUnmixed(const std::vector<UnmixedSpecimen> &specimens);

// One line per refused specimen, for standard error: "PROGRAM: --unmix: left out ...", or
// "PROGRAM: --unmix: FILE: left out ..." for specimens read from a file.
void reportUnmixRefusals(std::ostream &err, const char *program,
    const std::vector<UnmixedSpecimen> &specimens, const std::string &file = {});

// One line per specimen whose direction turns along the whole path, for standard error:
// "SPECIMEN: the direction turns along the whole path; the components describe the path".
void reportTurningPaths(std::ostream &err, const std::vector<UnmixedSpecimen> &specimens);

// Every member of a run measured as the measurement files measure it: the schedule, the scale
// and the noise of the settings, the noise drawn from seed; removedAbove is highestBlockHigh of
// the run's populations.
std::vector<UnmixSpecimenSteps> measuredRunSteps(const ResultSeries &series,
    MeasurementSettings settings, std::uint64_t seed, double removedAbove);

// Fits every specimen in turn, the bootstrap of each on every core from seed. A specimen that
// cannot be unmixed keeps its place with the refusal, so that one short specimen does not stop
// a whole file; when none can be unmixed, throws BatchError with the first refusal.
std::vector<UnmixedSpecimen> unmixSpecimens(const std::vector<UnmixSpecimenSteps> &specimens,
    const UnmixBatchOptions &options, std::uint64_t seed);

// One row per fitted component; with entered components (a simulated run) also the angle from
// each fitted direction to each entered one. Intervals and stability are empty without
// bootstrap, the misfit without error angles. A refused
// specimen has one row: its name, 0 components and every other field empty.
void writeUnmixCsv(std::ostream &out, const std::vector<UnmixedSpecimen> &specimens,
    const std::vector<TVector> &entered);

} // namespace Demagora
