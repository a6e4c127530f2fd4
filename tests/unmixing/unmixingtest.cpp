#include "unmixing/unmixing.h"

#include "model/vector3.h"
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
using Fixtures::exactSteps;
using Fixtures::simulatedSteps;

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
        // 170 degrees apart, the inner peak 2.5 times the outer's: the components cancel 6.2
        // times in what remains, 2.0 times in what the steps remove; still the true model.
        { "nested Gauss nearly opposite", UnmixShapes::Gauss,
            { { SpectrumShape::Gauss, 0, 0, 2e-3, 100, 600 },
                { SpectrumShape::Gauss, 170, 0, 5e-3, 300, 450 } } },
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

// BIC chooses among the sound fits: a lower BIC from a fit that did not converge, whose
// components cancel beyond MaxUnmixCancellation or with a component of fewer than three steps
// inside its range is passed over, unless no fit is sound.
TEST(UnmixingTest, ChoosesTheLeastBicAmongSoundFits)
{
    struct Fit
    {
        double bic;
        bool converged;
        double cancellation;
        int fewestSteps = 5;
    };
    const struct
    {
        const char *name;
        std::vector<Fit> fits;
        std::size_t expected;
    } cases[] = {
        { "all sound", { { 10, true, 1 }, { -3, true, 1.2 }, { 4, true, 1 } }, 1 },
        { "the least does not converge", { { 10, true, 1 }, { -3, false, 1 }, { 4, true, 1 } }, 2 },
        { "the least cancels", { { 10, true, 1 }, { -3, true, 3.01 }, { 4, true, 1 } }, 2 },
        { "cancelling exactly at the limit is sound", { { 10, true, 1 }, { -3, true, 3 } }, 1 },
        { "a cancelling fit that never converged", { { 2, true, 1 }, { -9, false, 80 } }, 0 },
        { "a component on two steps", { { 10, true, 1 }, { -3, true, 1, 2 }, { 4, true, 1 } }, 2 },
        { "three steps carry a component", { { 10, true, 1 }, { -3, true, 1, 3 } }, 1 },
        { "none sound: the least of all", { { 10, false, 1 }, { -3, true, 9 }, { 4, true, 1, 0 } },
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
            candidate.fewestSteps = fit.fewestSteps;
            candidates.push_back(candidate);
        }
        EXPECT_EQ(chosenCandidate(candidates), c.expected);
    }
}

// The true models of nested spectra pointing nearly opposite stay under the line; two of nearly
// one range pointing apart, as a fit of a slowly turning real specimen gave them, go over it.
// A measure over what remains rather than what each step removes puts the nested ones at 6.
TEST(UnmixingTest, CancellationTellsNestedFromCoincidentRanges)
{
    const auto gauss = [](double declination, double height, double low, double high) {
        return UnmixComponent { SpectrumShape::Gauss, declination, 0, height, low, high };
    };
    const auto rectangle
        = [](double declination, double inclination, double height, double low, double high) {
              return UnmixComponent { SpectrumShape::Rectangular, declination, inclination, height,
                  low, high };
          };
    const struct
    {
        const char *name;
        std::vector<UnmixComponent> components;
        double least, most;
    } cases[] = {
        { "one direction", { gauss(40, 2, 100, 600), gauss(40, 5, 300, 450) }, 1, 1 + 1e-12 },
        { "nested, 90 degrees apart", { gauss(0, 2, 100, 600), gauss(90, 5, 300, 450) }, 1.1, 1.5 },
        { "nested, 170 apart, inner 2.5 times", { gauss(0, 2, 100, 600), gauss(170, 5, 300, 450) },
            1.8, 2.2 },
        { "nested, opposite, inner weaker", { gauss(0, 2, 100, 600), gauss(180, 1, 300, 450) }, 1.2,
            1.5 },
        { "nearly one range pointing apart",
            { rectangle(122.7, 61.6, 4.8, 126, 578.5), rectangle(281.1, -56.6, 4.2, 153, 576.4) },
            MaxUnmixCancellation, 20 },
    };
    const auto temperatures = everyDegrees(0, 650, 25);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const double value = unmixCancellation(
            c.components, std::vector<double>(temperatures.begin(), temperatures.end()));
        EXPECT_GE(value, c.least);
        EXPECT_LE(value, c.most);
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
    // 90 % is the aim; 21 of 24 allows for the small sample.
    EXPECT_GE(covered, cones * 7 / 8) << covered << " of " << cones;
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
        EXPECT_LT(norm(again[i].moment - predicted[i]), 1e-4 * 0.1 * 4 * scale);
        const double off = norm(again[i].moment - steps[i].moment);
        sum += off * off;
    }
    const double rms = std::sqrt(sum / (3.0 * double(steps.size())));
    EXPECT_NEAR(rms, result.twinRms, 1e-4 * result.twinRms);
    EXPECT_LT(result.twinRms, 1.02 * result.best.rms);
}

// Steps of the components with Gauss noise of sigma per axis, each given the error angle that
// states noise of statedSigma per axis.
std::vector<UnmixStep> noisySteps(
    const std::vector<TVector> &components, double sigma, double statedSigma, std::uint64_t seed)
{
    MersenneTwisterSource random(seed);
    auto steps = simulatedSteps(components, everyDegrees(0, 650, 25), 1, sigma, &random);
    const double radius = std::sqrt(-2 * std::log(0.05));
    for (UnmixStep &s : steps)
        s.errorDegrees = std::atan(statedSigma * radius / norm(s.moment)) * 180 / std::acos(-1.0);
    return steps;
}

// The misfit is chi-square per degree of freedom against the stated errors. Errors that hold
// keep the noise and the cones; errors five times too small are scaled up to the residuals,
// so the noise and the cones come out as with the true errors, not five times narrower.
TEST(UnmixingTest, NoiseFollowsTheMisfit)
{
    const TVector a = component(SpectrumShape::Gauss, 30, 50, 10, 100, 450);
    const TVector b = component(SpectrumShape::Gauss, 210, -20, 10, 300, 600);
    const double sigma = 0.02 * a.Remaining(0);
    const UnmixResult honest = unmixSpecimen(
        "S1", noisySteps({ a, b }, sigma, sigma, 4), fixed(2, UnmixShapes::Gauss, 40));
    const UnmixResult understated = unmixSpecimen(
        "S1", noisySteps({ a, b }, sigma, sigma / 5, 4), fixed(2, UnmixShapes::Gauss, 40));
    ASSERT_TRUE(honest.misfit && understated.misfit);
    EXPECT_GE(*honest.misfit, honest.misfitLow);
    EXPECT_LE(*honest.misfit, honest.misfitHigh);
    EXPECT_EQ(honest.noiseScale, 1);
    EXPECT_NEAR(honest.noise, sigma, 1e-9 * sigma) << "the stated errors, kept";

    EXPECT_GT(*understated.misfit, understated.misfitHigh);
    EXPECT_NEAR(*understated.misfit, 25 * *honest.misfit, 1e-3 * *understated.misfit);
    // Weights five times larger leave the fit as it was: the scaled noise is the residuals'.
    EXPECT_NEAR(understated.noise, sigma * std::sqrt(*honest.misfit), 1e-3 * sigma);
    for (std::size_t j = 0; j < 2; ++j) {
        SCOPED_TRACE(j);
        const double ratio
            = understated.intervals[j].bootstrapAlpha95 / honest.intervals[j].bootstrapAlpha95;
        EXPECT_GT(ratio, 0.7);
        EXPECT_LT(ratio, 1.4);
    }

    auto withoutErrors = noisySteps({ a, b }, sigma, sigma, 4);
    for (UnmixStep &s : withoutErrors)
        s.errorDegrees.reset();
    EXPECT_FALSE(unmixSpecimen("S1", withoutErrors, fixed(2, UnmixShapes::Gauss)).misfit);
}

// A component that the last step has not removed wants a range far beyond the steps; the fit
// and every refit stop at the bound, a tenth of the heating range past the first and last step.
TEST(UnmixingTest, RangesKeepWithinTheBoundInFitAndRefits)
{
    const TVector low = component(SpectrumShape::Rectangular, 30, 50, 10, 50, 300);
    const TVector unremoved = component(SpectrumShape::Rectangular, 210, -20, 3, 250, 1800);
    MersenneTwisterSource random(4);
    const auto steps = simulatedSteps(
        { low, unremoved }, everyDegrees(100, 600, 25), 1, 0.02 * low.Remaining(0), &random);
    const UnmixResult result = unmixSpecimen("S1", steps, fixed(2, UnmixShapes::Rectangular, 40));
    for (const UnmixCandidate &candidate : result.candidates)
        for (const UnmixComponent &c : candidate.components) {
            EXPECT_GE(c.low, 50);
            EXPECT_LE(c.high, 650);
        }
    ASSERT_FALSE(result.intervals.empty());
    EXPECT_GT(std::max(result.best.components[0].high, result.best.components[1].high), 600)
        << "the fit reaches past the last step";
    for (const ComponentInterval &interval : result.intervals) {
        EXPECT_GE(interval.lowLow, 50);
        EXPECT_LE(interval.highHigh, 650);
    }
}

// A step thrown off by twenty times the noise (at 500 degrees, inside the second range only)
// turns the second component when it is left out, further than the bootstrap's cone: that
// component is marked unstable and its cone widened to the turn; the first stays as it was.
TEST(UnmixingTest, JackknifeMarksComponentsOneStepTurns)
{
    const TVector a = component(SpectrumShape::Gauss, 30, 50, 10, 100, 450);
    const TVector b = component(SpectrumShape::Gauss, 210, -20, 10, 300, 600);
    const double sigma = 0.02 * a.Remaining(0);
    const struct
    {
        const char *name;
        double thrownOff;
        bool secondStable;
    } cases[] = { { "noise alone", 0, true }, { "one step thrown off", 20 * sigma, false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto steps = noisySteps({ a, b }, sigma, sigma, 4);
        for (UnmixStep &s : steps)
            s.errorDegrees.reset();
        ASSERT_EQ(steps[20].temperature, 500);
        steps[20].moment.z += c.thrownOff;
        const UnmixResult result = unmixSpecimen("S1", steps, fixed(2, UnmixShapes::Gauss, 40));
        EXPECT_EQ(result.jackknifeRefits, int(steps.size()));
        ASSERT_EQ(result.intervals.size(), 2u);
        const auto &fitted = result.best.components;
        const std::size_t second
            = std::size_t(&closest(fitted, b.Declination, b.Inclination) - fitted.data());
        for (std::size_t j = 0; j < 2; ++j) {
            SCOPED_TRACE(j);
            const ComponentInterval &interval = result.intervals[j];
            const bool stable = j == second ? c.secondStable : true;
            EXPECT_EQ(interval.stable, stable);
            EXPECT_GT(interval.jackknife, 0);
            EXPECT_EQ(interval.alpha95, stable ? interval.bootstrapAlpha95 : interval.jackknife);
        }
    }
}

// One component measured every 100 degrees: two components asked for cannot each have three
// steps inside their ranges, so the fit gives way to one, the two-component fits kept among
// the candidates as not sound.
TEST(UnmixingTest, FewerComponentsWhereTheStepsCarryFewer)
{
    const auto steps = exactSteps(
        { { SpectrumShape::Gauss, 10, 60, 2e-3, 80, 420 } }, everyDegrees(0, 600, 100));
    const UnmixResult result = unmixSpecimen("S1", steps, fixed(2, UnmixShapes::Any));
    ASSERT_EQ(result.best.components.size(), 1u);
    EXPECT_LT(angle(result.best.components[0], 10, 60), 1e-3);
    const auto twos = std::count_if(result.candidates.begin(), result.candidates.end(),
        [](const UnmixCandidate &c) { return c.components.size() == 2; });
    EXPECT_GE(twos, 1);
    for (const UnmixCandidate &c : result.candidates) {
        if (c.components.size() == 2) {
            EXPECT_LT(c.fewestSteps, MinUnmixStepsInRange);
        }
    }
}

TEST(UnmixingTest, RefusesSpecimensItCannotUnmix)
{
    const auto good
        = exactSteps({ { SpectrumShape::Gauss, 10, 60, 2e-3, 80, 420 } }, everyDegrees(0, 500, 50));
    auto zero = good;
    for (UnmixStep &s : zero)
        s.moment = {};
    auto backwards = good;
    std::swap(backwards[3], backwards[4]);
    auto notFinite = good;
    notFinite[2].moment.y = std::nan("");
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
