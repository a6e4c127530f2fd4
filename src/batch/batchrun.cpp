#include "batch/batchrun.h"

#include "batch/batcherror.h"
#include "batch/seriescsv.h"
#include "model/modelerror.h"
#include "model/run.h"

#include <algorithm>
#include <cctype>

namespace Demagora {

namespace {

// The run range of the components as entered; scattering leaves the blocking temperatures
// alone, so the populations give the same range.
RunRange entryRunRange(const Scenario &scenario)
{
    ComponentPopulations entered;
    entered.reserve(scenario.components.size());
    for (const TVector &component : scenario.components)
        entered.push_back(Population { component });
    return computeRunRange(entered);
}

void checkRunSize(const Scenario &scenario, const RunRange &range)
{
    const std::uint64_t members = scenario.population
        ? static_cast<std::uint64_t>(scenario.population->randomPoints) + 1
        : 1;
    const std::uint64_t steps = static_cast<std::uint64_t>(range.pointCount) + 1;
    const std::uint64_t rows = std::max<std::uint64_t>(steps, scenario.components.size());
    if (members * rows > MaxBatchResultPoints) {
        throw BatchError("the run is too large: " + std::to_string(members) + " members times "
            + std::to_string(rows) + " steps exceed " + std::to_string(MaxBatchResultPoints)
            + " result points");
    }
    try {
        std::uint64_t skipped = 0;
        for (const ComponentDraw &draw : scenario.draws)
            skipped += draw.skippedDraws;
        checkRunCost(scenario.components, members, steps, skipped);
    } catch (const ModelError &error) {
        std::string message = error.what();
        message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
        throw BatchError(message);
    }
}

} // namespace

std::uint64_t scenarioMembers(const Scenario &scenario)
{
    return scenario.population ? static_cast<std::uint64_t>(scenario.population->randomPoints) + 1
                               : 1;
}

std::uint64_t scenarioResultPoints(const Scenario &scenario)
{
    const std::uint64_t members = scenario.population
        ? static_cast<std::uint64_t>(scenario.population->randomPoints) + 1
        : 1;
    return members * (static_cast<std::uint64_t>(entryRunRange(scenario).pointCount) + 1);
}

void checkScenarioRun(const Scenario &scenario)
{
    if (scenario.components.empty())
        throw BatchError("the scenario has no component");
    const RunRange range = entryRunRange(scenario);
    if (range.pointCount < 1) {
        throw BatchError("the run range from " + std::to_string(range.low) + " to "
            + std::to_string(range.high)
            + " degrees holds no step: the highest upper blocking temperature must lie at least "
              "one whole degree above the lowest lower one");
    }
    checkRunSize(scenario, range);
}

BatchRun runScenario(const Scenario &scenario, RandomSource &random, CurvesKept curvesKept)
{
    checkScenarioRun(scenario);
    BatchRun run;
    run.range = entryRunRange(scenario);
    run.populations = buildPopulations(scenario, random);
    run.curvesKept = curvesKept;
    if (curvesKept == CurvesKept::No)
        return run;
    try {
        RunDemagnetization(
            run.range.pointCount, run.range.low, run.range.high, run.series, run.populations);
    } catch (const ModelError &error) {
        throw BatchError(error.what());
    }
    return run;
}

void writeBatchSeries(std::ostream &out, const BatchRun &run)
{
    if (run.curvesKept == CurvesKept::Yes) {
        writeSeriesCsv(out, run.series);
        return;
    }
    try {
        const PreparedRun prepared(
            run.range.pointCount, run.range.low, run.range.high, run.populations);
        writeSeriesCsv(out, prepared);
    } catch (const ModelError &error) {
        throw BatchError(error.what());
    }
}

} // namespace Demagora
