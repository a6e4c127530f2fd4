#include "unmixing/unmixing.h"

#include "analysis/vector3.h"
#include "model/randomsource.h"
#include "unmixing/twinscenario.h"
#include "unmixing/unmixingerror.h"
#include "unmixingfixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace Demagora {
namespace {

using Fixtures::component;
using Fixtures::everyDegrees;
using Fixtures::simulatedSteps;

// Steps computed from the continuous spectra themselves: data the model can fit exactly.
std::vector<UnmixStep> exactSteps(
    const std::vector<UnmixComponent> &components, const std::vector<std::int32_t> &temperatures)
{
    std::vector<double> t(temperatures.begin(), temperatures.end());
    const auto moments = predictedMoments(components, t);
    std::vector<UnmixStep> steps;
    for (std::size_t i = 0; i < t.size(); ++i)
        steps.push_back({ t[i], moments[i].x, moments[i].y, moments[i].z, {} });
    return steps;
}

double angle(const UnmixComponent &a, double declination, double inclination)
{
    return angleBetween(
        unitVector(a.declination, a.inclination), unitVector(declination, inclination));
}

// The fitted component closest in direction to the given one.
const UnmixComponent &closest(
    const std::vector<UnmixComponent> &fitted, double declination, double inclination)
{
    return *std::min_element(fitted.begin(), fitted.end(), [&](const auto &a, const auto &b) {
        return angle(a, declination, inclination) < angle(b, declination, inclination);
    });
}

UnmixOptions fixed(int components, UnmixShapes shapes, int bootstrap = 0)
{
    UnmixOptions options;
    options.components = components;
    options.shapes = shapes;
    options.bootstrap = bootstrap;
    options.threads = 2;
    return options;
}

TEST(UnmixingTest, RecoversKnownComponentsWithoutNoise)
{
    const struct
    {
        const char *name;
        UnmixShapes shapes;
        std::vector<UnmixComponent> truth;
        std::int32_t everyDegrees = 25;
    } cases[] = {
        { "overlapping Gauss", UnmixShapes::Gauss,
            { { SpectrumShape::Gauss, 10, 60, 2e-3, 80, 420 },
                { SpectrumShape::Gauss, 200, -30, 3e-3, 300, 590 } } },
        { "nested Gauss", UnmixShapes::Gauss,
            { { SpectrumShape::Gauss, 350, 50, 1e-3, 100, 600 },
                { SpectrumShape::Gauss, 160, -40, 4e-3, 290, 430 } } },
        { "Gauss beside a rectangle", UnmixShapes::Any,
            { { SpectrumShape::Rectangular, 45, 20, 1e-3, 110, 340 },
                { SpectrumShape::Gauss, 250, 70, 2e-3, 260, 560 } } },
        // 326 steps: more than the starting ranges take as ends.
        { "nested Gauss every 2 degrees", UnmixShapes::Gauss,
            { { SpectrumShape::Gauss, 350, 50, 1e-3, 100, 600 },
                { SpectrumShape::Gauss, 160, -40, 4e-3, 290, 430 } },
            2 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto steps = exactSteps(c.truth, everyDegrees(0, 650, c.everyDegrees));
        const UnmixResult result = unmixSpecimen("S1", steps, fixed(2, c.shapes));
        ASSERT_EQ(result.best.components.size(), 2u);
        for (const UnmixComponent &truth : c.truth) {
            const UnmixComponent &fit
                = closest(result.best.components, truth.declination, truth.inclination);
            EXPECT_EQ(fit.shape, truth.shape);
            EXPECT_LT(angle(fit, truth.declination, truth.inclination), 1e-6);
            EXPECT_NEAR(fit.low, truth.low, 0.01);
            EXPECT_NEAR(fit.high, truth.high, 0.01);
            EXPECT_NEAR(fit.height, truth.height, 1e-6 * truth.height);
        }
    }
}

TEST(UnmixingTest, InformationCriterionCountsClearComponents)
{
    const TVector a = component(SpectrumShape::Gauss, 20, 40, 10, 100, 400);
    const TVector b = component(SpectrumShape::Gauss, 200, -50, 10, 350, 600);
    const struct
    {
        const char *name;
        std::vector<TVector> components;
        std::size_t expected;
    } cases[] = { { "one", { a }, 1 }, { "two", { a, b }, 2 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MersenneTwisterSource random(7);
        // Noise of 2 % of the first component's moment per axis.
        const auto steps = simulatedSteps(
            c.components, everyDegrees(0, 650, 25), 1e-3, 0.02 * a.Remaining(0) * 1e-3, &random);
        UnmixOptions options;
        options.bootstrap = 0;
        const UnmixResult result = unmixSpecimen("S1", steps, options);
        EXPECT_EQ(result.best.components.size(), c.expected);
        EXPECT_GE(result.candidates.size(), 4u) << "a candidate for every count of components";
    }
}

// BIC chooses among the sound fits: a lower BIC from a fit that did not converge or whose
// components cancel beyond MaxUnmixCancellation is passed over, unless no fit is sound.
TEST(UnmixingTest, ChoosesTheLeastBicAmongSoundFits)
{
    struct Fit
    {
        double bic;
        bool converged;
        double cancellation;
    };
    const struct
    {
        const char *name;
        std::vector<Fit> fits;
        std::size_t expected;
    } cases[] = {
        { "all sound", { { 10, true, 1 }, { -3, true, 1.2 }, { 4, true, 1 } }, 1 },
        { "the least does not converge", { { 10, true, 1 }, { -3, false, 1 }, { 4, true, 1 } }, 2 },
        { "the least cancels", { { 10, true, 1 }, { -3, true, 5.01 }, { 4, true, 1 } }, 2 },
        { "cancelling exactly at the limit is sound", { { 10, true, 1 }, { -3, true, 5 } }, 1 },
        { "a cancelling fit that never converged", { { 2, true, 1 }, { -9, false, 80 } }, 0 },
        { "none sound: the least of all", { { 10, false, 1 }, { -3, true, 9 }, { 4, false, 1 } },
            1 },
        { "equal BICs: the first", { { 7, true, 1 }, { 5, true, 1 }, { 5, true, 1 } }, 1 },
        { "one fit", { { 3, false, 50 } }, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<UnmixCandidate> candidates;
        for (const Fit &fit : c.fits) {
            UnmixCandidate candidate;
            candidate.bic = fit.bic;
            candidate.converged = fit.converged;
            candidate.cancellation = fit.cancellation;
            candidates.push_back(candidate);
        }
        EXPECT_EQ(chosenCandidate(candidates), c.expected);
    }
}

// Of specimens drawn with known components and noise, the bootstrap's alpha95 must hold the
// true direction in most; a cone that ignored the noise or was computed around the wrong
// component would miss far more often.
TEST(UnmixingTest, BootstrapConesCoverTheTrueDirections)
{
    const TVector a = component(SpectrumShape::Gauss, 30, 50, 10, 100, 450);
    const TVector b = component(SpectrumShape::Gauss, 210, -20, 10, 300, 600);
    const int specimens = 12;
    int covered = 0;
    int cones = 0;
    for (int s = 0; s < specimens; ++s) {
        MersenneTwisterSource random(100 + s);
        const auto steps = simulatedSteps(
            { a, b }, everyDegrees(0, 650, 25), 1e-3, 0.02 * a.Remaining(0) * 1e-3, &random);
        UnmixOptions options = fixed(2, UnmixShapes::Gauss, 60);
        options.seed = 1 + s;
        const UnmixResult result = unmixSpecimen("S" + std::to_string(s), steps, options);
        ASSERT_EQ(result.intervals.size(), 2u);
        EXPECT_EQ(result.bootstrapRefits, 60);
        for (const TVector &truth : { a, b }) {
            const auto &fitted = result.best.components;
            const auto at = std::find_if(fitted.begin(), fitted.end(),
                [&](const auto &f) { return angle(f, truth.Declination, truth.Inclination) < 45; });
            ASSERT_NE(at, fitted.end());
            const double alpha95 = result.intervals[std::size_t(at - fitted.begin())].alpha95;
            EXPECT_GT(alpha95, 0);
            ++cones;
            if (angle(*at, truth.Declination, truth.Inclination) <= alpha95)
                ++covered;
        }
    }
    EXPECT_GE(covered, cones * 3 / 4) << covered << " of " << cones;
}

// A stop is heard inside the first fit (the counts, the starts and the solver's iterations),
// not only between bootstrap refits: after the first yes the fit ends within an ask or two.
TEST(UnmixingTest, StopEndsTheFirstFitPromptly)
{
    const TVector a = component(SpectrumShape::Gauss, 20, 40, 10, 100, 400);
    const TVector b = component(SpectrumShape::Gauss, 200, -50, 10, 350, 600);
    MersenneTwisterSource random(7);
    const auto steps = simulatedSteps(
        { a, b }, everyDegrees(0, 650, 25), 1e-3, 0.02 * a.Remaining(0) * 1e-3, &random);
    for (const int stopAt : { 1, 3, 30 }) {
        SCOPED_TRACE(stopAt);
        int asked = 0;
        UnmixOptions options = fixed(0, UnmixShapes::Any, 0);
        options.stopRequested = [&] { return ++asked >= stopAt; };
        try {
            unmixSpecimen("S1", steps, options);
            ADD_FAILURE() << "not stopped; asked " << asked << " times";
        } catch (const UnmixingError &error) {
            EXPECT_EQ(std::string(error.what()), "S1: the unmixing was stopped");
        }
        EXPECT_LE(asked, stopAt + 1);
    }
}

// The twin run by the simulator gives back the twin's own prediction, to far below one
// 0.1-degree slice at every step, those above its ranges too, so it reproduces the noisy
// specimen as closely as the fit does.
TEST(UnmixingTest, TwinScenarioReproducesItsSpecimen)
{
    const double scale = 2e-3;
    const std::vector<TVector> entered = { component(SpectrumShape::Gauss, 15, 35, 4, 150, 480),
        component(SpectrumShape::Rectangular, 190, -25, 1.5, 420, 590) };
    const auto temperatures = everyDegrees(0, 650, 25);
    MersenneTwisterSource random(8);
    const auto steps = simulatedSteps(entered, temperatures, scale, 0.05 * scale, &random);
    const UnmixResult result = unmixSpecimen("S1", steps, fixed(2, UnmixShapes::Any));
    const Scenario twin = twinScenario(result.twin, scale);
    ASSERT_EQ(twin.components.size(), 2u);
    const auto again = simulatedSteps(twin.components, temperatures, scale);
    const auto predicted = predictedMoments(
        result.twin, std::vector<double>(temperatures.begin(), temperatures.end()));
    ASSERT_EQ(again.size(), steps.size());
    double sum = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].temperature);
        // A ten-thousandth of a slice of the taller spectrum.
        EXPECT_LT(std::hypot(again[i].x - predicted[i].x, again[i].y - predicted[i].y,
                      again[i].z - predicted[i].z),
            1e-4 * 0.1 * 4 * scale);
        sum += std::pow(again[i].x - steps[i].x, 2) + std::pow(again[i].y - steps[i].y, 2)
            + std::pow(again[i].z - steps[i].z, 2);
    }
    const double rms = std::sqrt(sum / (3.0 * double(steps.size())));
    EXPECT_NEAR(rms, result.twinRms, 1e-4 * result.twinRms);
    EXPECT_LT(result.twinRms, 1.02 * result.best.rms);
}

TEST(UnmixingTest, RefusesSpecimensItCannotUnmix)
{
    const auto good
        = exactSteps({ { SpectrumShape::Gauss, 10, 60, 2e-3, 80, 420 } }, everyDegrees(0, 500, 50));
    auto zero = good;
    for (UnmixStep &s : zero)
        s.x = s.y = s.z = 0;
    auto backwards = good;
    std::swap(backwards[3], backwards[4]);
    auto notFinite = good;
    notFinite[2].y = std::nan("");
    const struct
    {
        const char *name;
        std::vector<UnmixStep> steps;
        int components;
        std::string message;
    } cases[] = {
        { "too few steps", { good.begin(), good.begin() + 2 }, 0,
            "S7: 2 steps are too few to unmix; 1 component(s) need at least 3" },
        { "one step", { good.begin(), good.begin() + 1 }, 0,
            "S7: 1 step is too few to unmix; 1 component(s) need at least 3" },
        { "too few for four", { good.begin(), good.begin() + 6 }, 4,
            "S7: 6 steps are too few to unmix; 4 component(s) need at least 8" },
        { "no moment", zero, 0, "S7: no step has a moment; there is nothing to unmix" },
        { "temperatures going down", backwards, 0,
            "S7, step 5 (150): temperatures must increase from step to step" },
        { "not a number", notFinite, 0,
            "S7, step 3 (100): the temperature and the moment must be finite numbers" },
        { "too many steps",
            exactSteps(
                { { SpectrumShape::Gauss, 10, 60, 2e-3, 80, 420 } }, everyDegrees(0, 1000, 1)),
            0, "S7: 1001 steps are more than the 1000 the unmixing of one specimen takes" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            unmixSpecimen("S7", c.steps, fixed(c.components, UnmixShapes::Any));
            ADD_FAILURE() << "not refused";
        } catch (const UnmixingError &error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

} // namespace
} // namespace Demagora
