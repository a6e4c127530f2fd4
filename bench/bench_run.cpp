// The demagnetization run: the literal step-by-step sums against the table-based run, and
// the table-based run on a large scattered sample (scenario H).

#include "model/paralleltasks.h"
#include "model/populations.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "model/scatter.h"
#include "model/literalrun.h"

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace Demagora;

namespace {

struct Scenario
{
    ComponentPopulations populations;
    RunRange range;
};

// componentCount Gauss components whose ranges are spread evenly over 0 to highest
// degrees, each scattered into randomPoints copies with drawn heights.
Scenario scatteredScenario(int componentCount, double highest, int randomPoints)
{
    MersenneTwisterSource random(20261207);
    Scenario scenario;
    const double width = highest / componentCount * 2;
    const double stride = (highest - width) / (componentCount - 1);
    for (int i = 0; i < componentCount; ++i) {
        TVector component;
        component.SigmaCount = 3;
        component.Declination = 37.0 * i;
        component.Inclination = 60 - 12.0 * i;
        component.Height = 5 + i;
        component.BlockLow = stride * i;
        component.BlockHigh = stride * i + width;
        Population population;
        ScatterComponent(
            component, randomPoints, population, SpectrumShape::Gauss, true, 30, 2, random);
        scenario.populations.push_back(std::move(population));
    }
    scenario.range = computeRunRange(scenario.populations);
    return scenario;
}

const Scenario &smallScenario()
{
    static const Scenario scenario = scatteredScenario(4, 700, 3);
    return scenario;
}

const Scenario &scenarioH()
{
    static const Scenario scenario = scatteredScenario(10, 700, 100);
    return scenario;
}

void literalRun(benchmark::State &state, const Scenario &source)
{
    ComponentPopulations populations = source.populations;
    for (auto _ : state) {
        ResultSeries series;
        Literal::run(
            source.range.pointCount, source.range.low, source.range.high, series, populations);
        benchmark::DoNotOptimize(series.data());
    }
}

// threads 0: as the program runs it, on as many threads as the run thinks worth it.
void fastRun(benchmark::State &state, const Scenario &source, unsigned threads)
{
    ComponentPopulations populations = source.populations;
    const RunRange &range = source.range;
    for (auto _ : state) {
        ResultSeries series;
        if (threads == 0) {
            RunDemagnetization(range.pointCount, range.low, range.high, series, populations);
        } else {
            RunDemagnetization(
                range.pointCount, range.low, range.high, series, populations, nullptr, threads);
        }
        benchmark::DoNotOptimize(series.data());
    }
}

void BM_SmallLiteral(benchmark::State &state)
{
    literalRun(state, smallScenario());
}

void BM_SmallFast(benchmark::State &state)
{
    fastRun(state, smallScenario(), 0);
}

void BM_ScenarioHFast(benchmark::State &state)
{
    fastRun(state, scenarioH(), 0);
}

void BM_ScenarioHFastOneThread(benchmark::State &state)
{
    fastRun(state, scenarioH(), 1);
}

void BM_ScenarioHFastAllCores(benchmark::State &state)
{
    fastRun(state, scenarioH(), coreCount());
}

} // namespace

BENCHMARK(BM_SmallLiteral)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SmallFast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioHFast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioHFastOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioHFastAllCores)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
