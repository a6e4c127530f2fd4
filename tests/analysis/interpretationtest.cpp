#include "analysis/interpretation.h"

#include "analysis/analysiserror.h"

#include <gtest/gtest.h>

using namespace Demagora;

namespace {

// Steps along the x axis towards the origin, the one at 200 degrees thrown off the line.
std::vector<FitStep> stepsWithOutlier()
{
    return { { 0, { 4, 0, 0 } }, { 100, { 3, 0, 0 } }, { 200, { 2, 1, 0 } }, { 300, { 1, 0, 0 } },
        { 400, { 0.5, 0, 0 } } };
}

} // namespace

TEST(InterpretationTest, ChosenStepsLeaveOutTheOnesBetween)
{
    const std::vector<FitStep> steps = stepsWithOutlier();
    InterpretedComponent skipping { "HT", FitType::Free, { 4, 0, 3, 1, 3 },
        CoordinateSystem::Specimen, {} };
    const ComponentFit fit = fitComponent(steps, skipping);
    ASSERT_TRUE(fit.fit) << fit.refusal;
    EXPECT_EQ(fit.n, 4);
    EXPECT_EQ(fit.from, 0);
    EXPECT_EQ(fit.to, 400);
    EXPECT_NEAR(fit.fit->mad, 0, 1e-6);
    EXPECT_NEAR(fit.fit->angles.declination, 0, 1e-9);
    EXPECT_NEAR(fit.fit->angles.inclination, 0, 1e-9);

    // The interval with the outlier in it is no longer a straight line.
    InterpretedComponent interval { "HT", FitType::Free, stepsBetween(steps, 0, 400),
        CoordinateSystem::Specimen, {} };
    EXPECT_EQ(interval.steps, (std::vector<int> { 0, 1, 2, 3, 4 }));
    EXPECT_GT(fitComponent(steps, interval).fit->mad, 5);
}

TEST(InterpretationTest, RefitKeepsEveryComponentInOrderWithItsRefusal)
{
    const std::vector<FitStep> steps = stepsWithOutlier();
    SpecimenInterpretation interpretation { "a1", "A",
        { { "LT", FitType::Free, { 0, 1 }, CoordinateSystem::Specimen, {} },
            { "GC", FitType::Plane, { 3, 4 }, CoordinateSystem::Geographic, {} },
            { "HT", FitType::Anchored, { 3, 4 }, CoordinateSystem::Specimen, {} } },
        {}, {} };
    const std::vector<ComponentFit> fits = refit(steps, interpretation);
    ASSERT_EQ(fits.size(), 3u);
    EXPECT_TRUE(fits[0].fit);
    EXPECT_FALSE(fits[0].alpha95FromMad); // a free line through two steps leaves no freedom
    EXPECT_FALSE(fits[1].fit);
    EXPECT_EQ(fits[1].refusal, "a plane needs at least 3 steps; the interval holds 2");
    ASSERT_TRUE(fits[2].fit);
    EXPECT_EQ(fits[2].from, 300);
    // Two steps: the isotropic cone has freedom left, the published factors start at three.
    EXPECT_TRUE(fits[2].alpha95Isotropic);
    EXPECT_FALSE(fits[2].alpha95FromMad);
}

TEST(InterpretationTest, StepOutsideTheSpecimenIsRefusedByItsNumber)
{
    const std::vector<FitStep> steps = stepsWithOutlier();
    for (const int index : { 5, -1 }) {
        SCOPED_TRACE(index);
        InterpretedComponent component { "X", FitType::Free, { 0, index },
            CoordinateSystem::Specimen, {} };
        try {
            fitComponent(steps, component);
            FAIL() << "no error";
        } catch (const AnalysisError &error) {
            EXPECT_EQ(std::string(error.what()),
                "step " + std::to_string(index + 1) + " is not among the specimen's 5 steps");
        }
    }
}

// Kirschvink's anchored line is the principal axis of the steps about the origin. Here the
// steps (2,0,0) and (0,1,0) give the axis x (tensor diag(4,1,0)), MAD atan(1/2) = 26.565
// degrees; the vector mean of the steps would point 26.565 degrees east of it instead.
TEST(InterpretationTest, AnchoredLineIsTheAxisThroughTheOriginNotTheVectorMean)
{
    const std::vector<FitStep> steps = { { 100, { 2, 0, 0 } }, { 200, { 0, 1, 0 } } };
    const ComponentFit fit
        = fitComponent(steps, { "A", FitType::Anchored, { 0, 1 }, CoordinateSystem::Specimen, {} });
    ASSERT_TRUE(fit.fit);
    EXPECT_NEAR(fit.fit->angles.declination, 0, 1e-9);
    EXPECT_NEAR(fit.fit->angles.inclination, 0, 1e-9);
    EXPECT_NEAR(fit.fit->mad, 26.565051177077990, 1e-9);
    EXPECT_NEAR(*fit.fit->dang, 26.565051177077990, 1e-9);
}

TEST(InterpretationTest, ThermalStepsKeepTheNrmAtZeroAndLeaveOtherTreatmentsOut)
{
    Specimen specimen;
    specimen.steps = { { Treatment::Nrm, 0, 1, 2, 3, std::nullopt },
        { Treatment::AlternatingField, 10, 9, 9, 9, std::nullopt },
        { Treatment::Thermal, 250, 0.5, 1, 1.5, std::nullopt },
        { Treatment::Thermal, 250, 0.4, 1, 1.5, std::nullopt } };
    const std::vector<FitStep> steps = thermalSteps(specimen);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].temperature, 0);
    EXPECT_EQ(steps[0].moment, (Vector3 { 1, 2, 3 }));
    EXPECT_EQ(steps[1].temperature, 250);
    EXPECT_EQ(steps[2].moment, (Vector3 { 0.4, 1, 1.5 }));
}
