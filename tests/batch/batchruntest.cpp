#include "batch/batchrun.h"

#include "batch/batcherror.h"
#include "support/workedexample.h"
#include "model/paralleltasks.h"
#include "model/scatter.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace Demagora;
using Demagora::Testing::component;

namespace {

// A scenario of the components as the scenario reader hands them over: each evaluated at its
// lower blocking temperature.
Scenario scenarioOf(std::vector<TVector> components)
{
    for (TVector &c : components)
        c.SetTemperature(c.BlockLow);
    Scenario scenario;
    scenario.components = std::move(components);
    return scenario;
}

Scenario twoComponents()
{
    return scenarioOf({ component(0, 0, 10, 100, 200, SpectrumShape::Gauss),
        component(90, 0, 5, 150, 250, SpectrumShape::Rectangular) });
}

// Ten significant digits, as the worked example gives them.
std::string tenDigits(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9e", value);
    return buffer;
}

// Counts the numbers drawn, so tests see how much of the sequence the scattering used.
class CountingSource : public RandomSource
{
public:
    explicit CountingSource(std::uint64_t seed)
        : m_source(seed)
    { }
    double uniform() override
    {
        ++draws;
        return m_source.uniform();
    }
    int draws = 0;

private:
    MersenneTwisterSource m_source;
};

std::string refusal(const Scenario &scenario)
{
    MersenneTwisterSource random(1);
    try {
        runScenario(scenario, random);
    } catch (const BatchError &error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(BatchRunTest, TwoComponentsGiveTheWorkedExample)
{
    MersenneTwisterSource random(7);
    const BatchRun run = runScenario(twoComponents(), random);
    EXPECT_EQ(run.range, (RunRange { 100, 250, 150 }));
    ASSERT_EQ(run.series.size(), 1u);
    const ResultSeriesEntry &curve = run.series[0];
    ASSERT_EQ(curve.size(), 151u);

    for (const Testing::WorkedRunRow &row : Testing::WorkedRunRows) {
        SCOPED_TRACE(row.temperature);
        const TResultVectors &point = curve[static_cast<std::size_t>(row.temperature - 100)];
        EXPECT_EQ(point.Temperature, row.temperature);
        EXPECT_EQ(tenDigits(point.X), tenDigits(row.x));
        EXPECT_EQ(tenDigits(point.Y), tenDigits(row.y));
        EXPECT_EQ(point.Z, 0);
        EXPECT_EQ(tenDigits(point.Length()), tenDigits(row.length));
        EXPECT_EQ(tenDigits(point.Declination()), tenDigits(row.declination));
        EXPECT_EQ(point.Inclination(), 0);
        if (row.temperature >= 200) {
            EXPECT_EQ(point.X, 0);
        }
    }
}

// The series alone is computed piece by piece as it is written, without keeping the curves:
// the same text as from the kept curves, for many members in groups (pieces of up to 16,384
// rows, more of them than the ring of buffers holds) and for curves longer than a piece,
// written in parts.
TEST(BatchRunTest, SeriesWithoutKeptCurvesEqualsTheKeptSeries)
{
    const std::uint64_t rows = 4 * 16384 * coreCount();
    struct Case
    {
        const char *name;
        double blockHigh;
        std::int32_t randomPoints;
    };
    for (const Case &c : { Case { "short curves", 210, static_cast<std::int32_t>(rows / 61) },
             Case { "long curves", 20150, 2 } }) {
        SCOPED_TRACE(c.name);
        Scenario scenario = scenarioOf({ component(350, 60, 8, 150, 190, SpectrumShape::Gauss),
            component(170, -40, 5, 160, c.blockHigh, SpectrumShape::Rectangular) });
        scenario.population = PopulationSettings { c.randomPoints, 30, true, 1.5 };
        std::string texts[2];
        for (const CurvesKept kept : { CurvesKept::Yes, CurvesKept::No }) {
            MersenneTwisterSource random(11);
            const BatchRun run = runScenario(scenario, random, kept);
            EXPECT_EQ(run.series.empty(), kept == CurvesKept::No);
            std::ostringstream out;
            writeBatchSeries(out, run);
            texts[kept == CurvesKept::Yes ? 0 : 1] = out.str();
        }
        EXPECT_GT(texts[0].size(), 60000 * 100);
        EXPECT_TRUE(texts[0] == texts[1]) << "the texts differ";
    }
}

TEST(BatchRunTest, RunRangeCoversAllComponentsEvenASingleOne)
{
    const Scenario single = scenarioOf({ component(0, 0, 1, 99.7, 580.9, SpectrumShape::Gauss) });
    MersenneTwisterSource random(1);
    const BatchRun run = runScenario(single, random);
    EXPECT_EQ(run.range, (RunRange { 99, 580, 481 }));
    ASSERT_EQ(run.series.size(), 1u);
    EXPECT_EQ(run.series[0].size(), 482u);
    EXPECT_EQ(run.series[0].front().Temperature, 99);
    EXPECT_EQ(run.series[0].back().Temperature, 580);

    const Scenario two = scenarioOf({ component(0, 0, 1, 150, 500.2, SpectrumShape::Gauss),
        component(0, 0, 1, 99.7, 580.9, SpectrumShape::Gauss) });
    EXPECT_EQ(runScenario(two, random).range, (RunRange { 99, 580, 481 }));
}

TEST(BatchRunTest, RefusesARangeWithoutAStep)
{
    const Scenario sameDegree = scenarioOf({ component(0, 0, 1, 200, 200.9, SpectrumShape::Gauss),
        component(0, 0, 1, 200.5, 200.2, SpectrumShape::Gauss) });
    EXPECT_EQ(refusal(sameDegree),
        "the run range from 200 to 200 degrees holds no step: the highest upper blocking "
        "temperature must lie at least one whole degree above the lowest lower one");

    const Scenario reversed = scenarioOf({ component(0, 0, 1, 300, 100, SpectrumShape::Gauss) });
    EXPECT_EQ(refusal(reversed).substr(0, 42), "the run range from 300 to 100 degrees hold");
}

TEST(BatchRunTest, RefusesARunTooLargeForMemory)
{
    Scenario scenario = twoComponents();
    scenario.population = PopulationSettings { 2147483647, 30, false, 3 };
    EXPECT_EQ(refusal(scenario),
        "the run is too large: 2147483648 members times 151 steps exceed 50000000 result points");
}

TEST(BatchRunTest, WithoutPopulationEachComponentIsOneMember)
{
    CountingSource random(3);
    const ComponentPopulations populations = buildPopulations(twoComponents(), random);
    ASSERT_EQ(populations.size(), 2u);
    for (const Population &population : populations)
        ASSERT_EQ(population.size(), 1u);
    EXPECT_EQ(populations[1][0].Declination, 90);
    EXPECT_EQ(populations[1][0].Shape, SpectrumShape::Rectangular);
    EXPECT_EQ(random.draws, 0);
}

TEST(BatchRunTest, ScattersInFileOrderFromOneSequence)
{
    Scenario scenario = twoComponents();
    scenario.population = PopulationSettings { 4, 30, true, 2 };
    CountingSource random(42);
    const ComponentPopulations populations = buildPopulations(scenario, random);

    // The same calls, by hand, on one source seeded alike.
    MersenneTwisterSource expectedRandom(42);
    ComponentPopulations expected(2);
    for (std::size_t i = 0; i < 2; ++i) {
        ScatterComponent(scenario.components[i], 4, expected[i], scenario.components[i].Shape, true,
            30, 2, expectedRandom);
    }

    ASSERT_EQ(populations.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(populations[i].size(), 5u);
        EXPECT_EQ(populations[i][0].Declination, scenario.components[i].Declination);
        EXPECT_EQ(populations[i][0].Height, scenario.components[i].Height);
        for (std::size_t m = 0; m < 5; ++m) {
            SCOPED_TRACE(m);
            const TVector &member = populations[i][m];
            EXPECT_EQ(member.Shape, scenario.components[i].Shape);
            EXPECT_TRUE(member.DifferentLengths);
            EXPECT_EQ(member.Declination, expected[i][m].Declination);
            EXPECT_EQ(member.Inclination, expected[i][m].Inclination);
            EXPECT_EQ(member.Height, expected[i][m].Height);
        }
    }
    // Two numbers per member for the direction and at least two for each drawn height.
    EXPECT_GE(random.draws, 2 * 4 * 4);
    EXPECT_NE(populations[0][1].Height, 10);
}

TEST(BatchRunTest, SameSeedSameMembers)
{
    Scenario scenario = twoComponents();
    scenario.population = PopulationSettings { 5, 10, true, 3 };
    MersenneTwisterSource first(2024);
    MersenneTwisterSource second(2024);
    MersenneTwisterSource other(2025);
    const BatchRun a = runScenario(scenario, first);
    const BatchRun b = runScenario(scenario, second);
    const BatchRun c = runScenario(scenario, other);
    ASSERT_EQ(a.series.size(), 6u);
    ASSERT_EQ(b.series.size(), 6u);
    bool differs = false;
    for (std::size_t m = 0; m < a.series.size(); ++m) {
        for (std::size_t s = 0; s < a.series[m].size(); ++s) {
            EXPECT_EQ(a.series[m][s].X, b.series[m][s].X);
            EXPECT_EQ(a.series[m][s].Y, b.series[m][s].Y);
            EXPECT_EQ(a.series[m][s].Z, b.series[m][s].Z);
            differs = differs || a.series[m][s].X != c.series[m][s].X;
        }
    }
    EXPECT_TRUE(differs);
    // Member 0 is the components as entered, whatever the seed.
    EXPECT_EQ(a.series[0][0].X, c.series[0][0].X);
}
