#include "model/run.h"

#include "model/modelerror.h"
#include "modelfixtures.h"
#include "support/componentfixtures.h"
#include "support/workedexample.h"

#include <gtest/gtest.h>

#include <span>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Demagora;
using Demagora::Fixtures::expectDigits;
using Demagora::Testing::component;

namespace {

// Records the progress calls and can ask for a stop after a number of advances.
class RecordingObserver : public RunObserver
{
public:
    void setMaximum(int maximum) override { calls.push_back("max " + std::to_string(maximum)); }
    void advance() override
    {
        calls.push_back("advance");
        ++advances;
    }
    void reset() override { calls.push_back("reset"); }
    bool stopRequested() const override { return advances >= stopAfter; }

    std::vector<std::string> calls;
    int advances = 0;
    int stopAfter = 1 << 30;
};

ComponentPopulations twoComponents()
{
    return { { component(0, 0, 10, 100, 200, SpectrumShape::Gauss) },
        { component(90, 0, 5, 150, 250, SpectrumShape::Rectangular) } };
}

// n members per population, each a slightly turned copy.
ComponentPopulations populationsOf(std::size_t n)
{
    ComponentPopulations populations(2);
    for (std::size_t m = 0; m < n; ++m) {
        populations[0].push_back(component(10.0 * m, 20, 4 + m, 100, 160));
        populations[1].push_back(
            component(200, -30.0 + m, 2, 120, 180.5, SpectrumShape::Rectangular));
    }
    return populations;
}

const unsigned ThreadCounts[] = { 1, 2, 3 };

} // namespace

TEST(RunDemagnetizationTest, WorkedExampleOfTwoComponents)
{
    for (const unsigned threads : ThreadCounts) {
        SCOPED_TRACE(threads);
        ComponentPopulations populations = twoComponents();
        ResultSeries series;
        RunDemagnetization(150, 100, 250, series, populations, nullptr, threads);
        ASSERT_EQ(series.size(), 1u);
        ASSERT_EQ(series[0].size(), 151u);
        EXPECT_EQ(series[0].front().Temperature, 100);
        EXPECT_EQ(series[0].back().Temperature, 250);

        // The steps up to 175 degrees; those from 200 on are checked exactly below.
        for (const Testing::WorkedRunRow &row : std::span(Testing::WorkedRunRows).first(3)) {
            SCOPED_TRACE(row.temperature);
            const TResultVectors &r = series[0][row.temperature - 100];
            EXPECT_EQ(r.Temperature, row.temperature);
            expectDigits(r.X, row.x);
            expectDigits(r.Y, row.y);
            EXPECT_EQ(r.Z, 0);
            expectDigits(r.Length(), row.length);
            expectDigits(r.Declination(), row.declination);
            EXPECT_EQ(r.Inclination(), 0);
        }
        const TResultVectors &at200 = series[0][100];
        EXPECT_EQ(at200.X, 0);
        EXPECT_EQ(at200.Y, 250.5);
        EXPECT_EQ(at200.Declination(), 90);
        const TResultVectors &at249 = series[0][149];
        EXPECT_EQ(at249.X, 0);
        expectDigits(at249.Y, 5.5);
        EXPECT_EQ(at249.Declination(), 90);
        const TResultVectors &at250 = series[0][150];
        EXPECT_EQ(at250.X, 0);
        EXPECT_EQ(at250.Y, 0);
        EXPECT_EQ(at250.Length(), 0);
        EXPECT_EQ(at250.Declination(), 0);
    }
}

TEST(RunDemagnetizationTest, LargerStepStopsAtLastStepWithinRange)
{
    ComponentPopulations populations
        = { { component(0, 0, 1, 100, 600) }, { component(0, 0, 1, 200, 300) } };
    ResultSeries series;
    RunDemagnetization(3, 100, 600, series, populations, nullptr, 1);
    ASSERT_EQ(series.size(), 1u);
    std::vector<double> temperatures;
    for (const TResultVectors &r : series[0])
        temperatures.push_back(r.Temperature);
    EXPECT_EQ(temperatures, (std::vector<double> { 100, 266, 432, 598 }));
    EXPECT_EQ(populations[0][0].Temperature, 598);
    EXPECT_EQ(populations[1][0].Temperature, 598);
}

TEST(RunDemagnetizationTest, ComponentsBelowOrAboveTheStep)
{
    // At 300 the first component is gone and the second is whole.
    ComponentPopulations populations
        = { { component(0, 0, 7, 100, 200, SpectrumShape::Rectangular) },
              { component(90, 0, 2, 400, 500, SpectrumShape::Rectangular) } };
    ResultSeries series;
    RunDemagnetization(400, 100, 500, series, populations, nullptr, 1);
    const TResultVectors &at300 = series[0][200];
    EXPECT_EQ(at300.X, 0);
    EXPECT_EQ(at300.Y, populations[1][0].Remaining(0));
    EXPECT_EQ(series[0][0].X, populations[0][0].Remaining(0));
}

TEST(RunDemagnetizationTest, OneCurvePerMemberAndEveryMemberLeftAtLastStep)
{
    for (const unsigned threads : ThreadCounts) {
        SCOPED_TRACE(threads);
        ComponentPopulations populations = populationsOf(5);
        ResultSeries series { ResultSeriesEntry(3) };
        RunDemagnetization(80, 100, 180, series, populations, nullptr, threads);
        ASSERT_EQ(series.size(), 5u);
        for (const ResultSeriesEntry &entry : series)
            EXPECT_EQ(entry.size(), 81u);
        // Member 1 differs from member 0 in direction and height.
        EXPECT_NE(series[0][10].X, series[1][10].X);
        for (const Population &p : populations) {
            for (const TVector &member : p)
                EXPECT_EQ(member.Temperature, 180);
        }
    }
}

TEST(RunDemagnetizationTest, ReportsEveryMemberThenResetsOnce)
{
    // Members are computed in groups of four: whole groups, and a last group that is smaller.
    for (const std::size_t members : { 4, 5, 9 }) {
        for (const unsigned threads : ThreadCounts) {
            SCOPED_TRACE(std::to_string(members) + " members, threads " + std::to_string(threads));
            ComponentPopulations populations = populationsOf(members);
            ResultSeries series;
            RecordingObserver observer;
            RunDemagnetization(80, 100, 180, series, populations, &observer, threads);
            std::vector<std::string> expected;
            for (std::size_t m = 0; m < members; ++m)
                expected.insert(expected.end(), { "max " + std::to_string(members), "advance" });
            expected.push_back("reset");
            EXPECT_EQ(observer.calls, expected);
            EXPECT_EQ(series.size(), members);
        }
    }
}

TEST(RunDemagnetizationTest, StopRequestLeavesSeriesEmpty)
{
    for (const unsigned threads : ThreadCounts) {
        for (const int stopAfter : { 0, 2 }) {
            SCOPED_TRACE(testing::Message() << threads << " threads, stop after " << stopAfter);
            ComponentPopulations populations = populationsOf(6);
            ResultSeries series;
            RecordingObserver observer;
            observer.stopAfter = stopAfter;
            RunDemagnetization(80, 100, 180, series, populations, &observer, threads);
            EXPECT_TRUE(series.empty());
            EXPECT_LE(observer.advances, 6);
            ASSERT_FALSE(observer.calls.empty());
            EXPECT_EQ(observer.calls.back(), "reset");
        }
    }
}

TEST(RunDemagnetizationTest, FailingObserverEndsRunWithoutResults)
{
    class Failing : public RunObserver
    {
    public:
        void advance() override { throw std::runtime_error("progress display gone"); }
    };
    for (const unsigned threads : ThreadCounts) {
        SCOPED_TRACE(threads);
        ComponentPopulations populations = populationsOf(6);
        ResultSeries series;
        Failing observer;
        EXPECT_THROW(RunDemagnetization(80, 100, 180, series, populations, &observer, threads),
            std::runtime_error);
        EXPECT_TRUE(series.empty());
    }
}

TEST(RunDemagnetizationTest, RefusesRunsThatCannotBeCarriedOut)
{
    struct Case
    {
        const char *what;
        ComponentPopulations populations;
        std::int32_t pointCount, low, high;
        std::string message;
    };
    const TVector c = component(0, 0, 1, 100, 200);
    const Case cases[] = {
        { "no population", {}, 100, 100, 200,
            "There is no component to calculate: add at least one component" },
        { "empty population", { {} }, 100, 100, 200, "A component has no members to calculate" },
        { "differing member counts", { { c, c }, { c } }, 100, 100, 200,
            "All components must have the same number of members" },
        { "zero range", { { c }, { c } }, 0, 200, 200,
            "The run needs a temperature range of at least one degree" },
        { "reversed range", { { c } }, -100, 200, 100,
            "The run needs a temperature range of at least one degree" },
        { "more steps than degrees", { { c } }, 101, 100, 200,
            "The run cannot take 101 steps over a range of 100 degrees" },
        { "run range too wide", { { c } }, 100, -150000, 200,
            "The run from -150000 to 200 degrees is out of range: run temperatures must lie "
            "between -100000 and 100000 degrees" },
        { "blocking temperature too high", { { component(0, 0, 1, 100, 1e9) } }, 100, 100, 200,
            "The blocking temperature 1000000000 is out of range: blocking temperatures must lie "
            "between -100000 and 100000 degrees" },
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        ComponentPopulations populations = test.populations;
        ResultSeries series { ResultSeriesEntry(2) };
        RecordingObserver observer;
        try {
            RunDemagnetization(
                test.pointCount, test.low, test.high, series, populations, &observer);
            ADD_FAILURE() << "the run was not refused";
        } catch (const ModelError &error) {
            EXPECT_EQ(std::string(error.what()), test.message);
        }
        EXPECT_EQ(series.size(), 1u) << "earlier results are kept";
        EXPECT_TRUE(observer.calls.empty());
    }
}

TEST(RunDemagnetizationTest, ExtremeRunRangeDoesNotOverflow)
{
    ComponentPopulations populations
        = { { component(0, 0, 1, -100000, 100000, SpectrumShape::Rectangular) } };
    ResultSeries series;
    RunDemagnetization(2, -100000, 100000, series, populations, nullptr, 1);
    ASSERT_EQ(series[0].size(), 3u);
    EXPECT_EQ(series[0][2].Temperature, 100000);
    EXPECT_EQ(series[0][2].X, 0);
    EXPECT_EQ(series[0][1].X, populations[0][0].Remaining(0));
}
