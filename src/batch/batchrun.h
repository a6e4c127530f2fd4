#pragma once

#include "document/scenario.h"
#include "document/scenariopopulations.h"
#include "model/inputchecks.h"
#include "model/populations.h"
#include "model/randomsource.h"

#include <cstdint>
#include <ostream>

namespace Demagora {

// The largest number of result points (members times temperature steps) a batch run
// computes: about 1.6 GB of results. Beyond it the run is refused instead of exhausting memory.
inline constexpr std::uint64_t MaxBatchResultPoints = MaxRunResultPoints;

// Whether runScenario computes the curves and keeps them, or leaves each to be computed
// when the series writes its rows.
enum class CurvesKept { Yes, No };

// A finished batch run: the populations as scattered, the run range and the curves (none
// when they were not kept).
struct BatchRun
{
    ComponentPopulations populations;
    RunRange range;
    ResultSeries series;
    CurvesKept curvesKept = CurvesKept::Yes;
};

// Refuses, with a BatchError, a scenario whose run holds no step or would be too large in
// result points, work or memory; runScenario makes the same checks.
void checkScenarioRun(const Scenario &scenario);

// Members of each population of the scenario's run: its resulting vectors.
std::uint64_t scenarioMembers(const Scenario &scenario);

// Members times steps of the scenario's run.
std::uint64_t scenarioResultPoints(const Scenario &scenario);

// Builds the populations and runs the demagnetization over the run range of all components.
// Throws BatchError when the range holds no step or the run would be too large.
BatchRun runScenario(
    const Scenario &scenario, RandomSource &random, CurvesKept curvesKept = CurvesKept::Yes);

// The series CSV of a run, from its kept curves or, when they were not kept, computed member
// by member as the rows are written.
void writeBatchSeries(std::ostream &out, const BatchRun &run);

} // namespace Demagora
