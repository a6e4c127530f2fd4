#include "analysis/runanalysis.h"

#include "analysis/analysiserror.h"
#include "model/run.h"
#include "model/scatter.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

using namespace Demagora;
using Demagora::Testing::component;

namespace {

// A Gauss component from 150 to 350 degrees overlapping a rectangular one from 300 to 580,
// each scattered into ten specimens.
struct ScatteredRun
{
    ComponentPopulations populations;
    ResultSeries series;

    ScatteredRun()
    {
        MersenneTwisterSource random(7);
        for (const TVector &entered : { component(350, 60, 8, 150, 350),
                 component(170, -40, 5, 300, 580, SpectrumShape::Rectangular) }) {
            Population population;
            ScatterComponent(entered, 10, population, entered.Shape, false, 30, 0, random);
            populations.push_back(std::move(population));
        }
        const RunRange range = computeRunRange(populations);
        RunDemagnetization(range.pointCount, range.low, range.high, series, populations);
    }
};

} // namespace

TEST(RunAnalysisTest, FitsApproachTheComponentAwayFromTheOverlap)
{
    const ScatteredRun run;
    const MemberSteps steps = stepsOfSeries(run.series);
    const RunAnalysis overlap = analyseRun(steps, run.populations, FitType::Free, 300, 350);
    const RunAnalysis beyond = analyseRun(steps, run.populations, FitType::Free, 400, 550);
    ASSERT_EQ(beyond.fits.size(), 11u);
    ASSERT_TRUE(overlap.meanAnglesToComponents[1] && beyond.meanAnglesToComponents[1]);
    EXPECT_GT(*overlap.meanAnglesToComponents[1], 3);
    EXPECT_LT(*beyond.meanAnglesToComponents[1], *overlap.meanAnglesToComponents[1]);

    // Beyond the overlap each specimen's line is its own copy of the second component.
    for (const MemberFit &fit : beyond.fits) {
        SCOPED_TRACE(fit.member);
        EXPECT_EQ(fit.n, 151);
        EXPECT_EQ(fit.from, 400);
        EXPECT_EQ(fit.to, 550);
        ASSERT_TRUE(fit.fit);
        const TVector &copy = run.populations[1][fit.member];
        EXPECT_NEAR(
            angleBetween(fit.fit->direction, unitVector(copy.Declination, copy.Inclination)), 0,
            1e-6);
        EXPECT_NEAR(fit.anglesToComponents[1],
            angleBetween(unitVector(copy.Declination, copy.Inclination), unitVector(170, -40)),
            1e-6);
    }
    // So the fitted set and the second population's drawn set are the same ten specimens.
    ASSERT_EQ(beyond.sets.size(), 3u);
    EXPECT_EQ(beyond.sets[0].name, "fitted");
    EXPECT_EQ(beyond.sets[2].name, "component_2");
    const FisherStatistics &fitted = *beyond.sets[0].fisher;
    const FisherStatistics &drawn = *beyond.sets[2].fisher;
    EXPECT_EQ(fitted.n, 10);
    EXPECT_EQ(drawn.n, 10);
    EXPECT_NEAR(fitted.mean->declination, drawn.mean->declination, 1e-6);
    EXPECT_NEAR(fitted.mean->inclination, drawn.mean->inclination, 1e-6);
    EXPECT_NEAR(*fitted.k, *drawn.k, 1e-3);
}

TEST(RunAnalysisTest, RefusesIntervalsWithTooFewSteps)
{
    const ScatteredRun run;
    const MemberSteps steps = stepsOfSeries(run.series);
    struct Row
    {
        FitType type;
        double from, to;
        const char *message;
    };
    const Row rows[] = {
        { FitType::Free, 300, 300,
            "the interval 300 to 300 holds 1 step; a line needs at least 2" },
        { FitType::Plane, 300, 301,
            "the interval 300 to 301 holds 2 steps; a plane needs at least 3" },
        { FitType::Anchored, 600, 700,
            "the interval 600 to 700 holds 0 steps; a line needs at least 2" },
        { FitType::Free, 400, 300, "the interval 400 to 300 ends below its start" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.message);
        try {
            analyseRun(steps, run.populations, row.type, row.from, row.to);
            ADD_FAILURE() << "not refused";
        } catch (const AnalysisError &error) {
            EXPECT_STREQ(error.what(), row.message);
        }
    }
}

TEST(RunAnalysisTest, MemberWithoutFitKeepsItsRowAndReason)
{
    // Past 580 nothing is left: a plane through zero moments has no answer.
    const ScatteredRun run;
    const RunAnalysis analysis
        = analyseRun(stepsOfSeries(run.series), run.populations, FitType::Plane, 570, 580);
    for (const MemberFit &fit : analysis.fits) {
        SCOPED_TRACE(fit.member);
        EXPECT_FALSE(fit.fit);
        EXPECT_EQ(fit.n, 11);
        EXPECT_EQ(fit.refusal,
            "the step at 580 degrees has no moment left and so no direction; no plane can be "
            "fitted");
    }
    EXPECT_FALSE(analysis.sets[0].fisher);
    EXPECT_FALSE(analysis.meanAnglesToComponents[0]);
}
