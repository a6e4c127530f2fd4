#include "unmixing/siteunmixing.h"

#include "model/randomsource.h"
#include "model/vector3.h"
#include "unmixing/unmixingerror.h"
#include "unmixingfixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <string>

namespace Demagora {
namespace {

using Fixtures::component;
using Fixtures::everyDegrees;
using Fixtures::exactSteps;
using Fixtures::simulatedSteps;

double angle(double d1, double i1, double d2, double i2)
{
    return angleBetween(unitVector(d1, i1), unitVector(d2, i2));
}

// The index of the component closest in direction to the given one.
template <typename Component>
std::size_t closest(const std::vector<Component> &fitted, double declination, double inclination)
{
    std::size_t best = 0;
    for (std::size_t j = 1; j < fitted.size(); ++j)
        if (angle(fitted[j].declination, fitted[j].inclination, declination, inclination)
            < angle(fitted[best].declination, fitted[best].inclination, declination, inclination))
            best = j;
    return best;
}

SiteUnmixOptions siteOptions(int components, int bootstrap = 0)
{
    SiteUnmixOptions options;
    options.components = components;
    options.shapes = UnmixShapes::Gauss;
    options.bootstrap = bootstrap;
    options.threads = 2;
    return options;
}

// An outer Gauss spectrum over about 100-600 pointing (10, 50) and an inner one over about
// 300-450 pointing (200, -30), heights and ranges varied from specimen to specimen; inner
// heights of 0 leave the inner component out.
std::vector<SiteUnmixSpecimen> exactSite(const std::vector<double> &innerHeights)
{
    std::vector<SiteUnmixSpecimen> site;
    for (std::size_t s = 0; s < innerHeights.size(); ++s) {
        const double shift = 10.0 * double(s % 3) - 10;
        std::vector<UnmixComponent> components = { { SpectrumShape::Gauss, 10, 50,
            0.01 + 0.002 * double(s), 100 + shift, 600 - shift } };
        if (innerHeights[s] > 0)
            components.push_back(
                { SpectrumShape::Gauss, 200, -30, innerHeights[s], 300 - shift, 450 + shift });
        site.push_back(
            { "S" + std::to_string(s + 1), exactSteps(components, everyDegrees(0, 650, 25)) });
    }
    return site;
}

TEST(SiteUnmixingTest, RecoversSharedDirectionsAndEachSpecimensSpectraWithoutNoise)
{
    const std::vector<double> inner = { 0.03, 0.02, 0.025, 0.035 };
    const SiteUnmixResult result = unmixSite("A", exactSite(inner), siteOptions(2));
    ASSERT_EQ(result.components.size(), 2u);
    const std::size_t outer = closest(result.components, 10, 50);
    const std::size_t in = closest(result.components, 200, -30);
    EXPECT_LT(
        angle(result.components[outer].declination, result.components[outer].inclination, 10, 50),
        0.01);
    EXPECT_LT(angle(result.components[in].declination, result.components[in].inclination, 200, -30),
        0.01);
    ASSERT_EQ(result.specimens.size(), inner.size());
    for (std::size_t s = 0; s < inner.size(); ++s) {
        SCOPED_TRACE(result.specimens[s].name);
        const double shift = 10.0 * double(s % 3) - 10;
        const UnmixComponent &o = result.specimens[s].components[outer];
        const UnmixComponent &i = result.specimens[s].components[in];
        EXPECT_NEAR(o.height, 0.01 + 0.002 * double(s), 1e-5);
        EXPECT_NEAR(i.height, inner[s], 1e-5);
        EXPECT_NEAR(i.low, 300 - shift, 0.05);
        EXPECT_NEAR(i.high, 450 + shift, 0.05);
        EXPECT_NEAR(o.low, 100 + shift, 0.05);
    }
}

TEST(SiteUnmixingTest, ASpecimenLackingAComponentGetsNoneAndTheOthersKeepTheirs)
{
    const std::vector<double> inner = { 0.03, 0.02, 0, 0.035 };
    const SiteUnmixResult result = unmixSite("A", exactSite(inner), siteOptions(2));
    ASSERT_EQ(result.components.size(), 2u);
    const std::size_t in = closest(result.components, 200, -30);
    EXPECT_LT(angle(result.components[in].declination, result.components[in].inclination, 200, -30),
        0.01);
    EXPECT_EQ(result.components[in].specimens, 3);
    EXPECT_EQ(result.components[1 - in].specimens, 4);
    for (std::size_t s = 0; s < inner.size(); ++s) {
        SCOPED_TRACE(result.specimens[s].name);
        EXPECT_NEAR(result.specimens[s].components[in].height, inner[s], 1e-5);
        EXPECT_NEAR(result.specimens[s].components[1 - in].height, 0.01 + 0.002 * double(s), 1e-5);
    }
}

// Four specimens whose two directions lie 6 degrees from the site's (10, 20) and (200, -30),
// each its own way, over about 100-600 and 300-450; the noise per axis in the scaled moment
// (0.1 is about 2 % of the NRM). Fitted with rectangular spectra, each specimen's own ranges
// end on step temperatures, where the prediction has a kink.
std::vector<SiteUnmixSpecimen> scatteredSite(SpectrumShape shape, double noise = 0.15e-3)
{
    MersenneTwisterSource random(11);
    std::vector<SiteUnmixSpecimen> site;
    const double offsets[4][2] = { { 6, 0 }, { -6, 0 }, { 0, 6 }, { 0, -6 } };
    for (int s = 0; s < 4; ++s) {
        const double dd = offsets[s][0], di = offsets[s][1];
        site.push_back({ "S" + std::to_string(s + 1),
            simulatedSteps({ component(shape, 10 + dd, 20 + di, 10, 100, 600),
                               component(shape, 200 + dd, -30 + di, 20, 300, 450) },
                everyDegrees(0, 650, 25), 1e-3, noise, &random) });
    }
    return site;
}

TEST(SiteUnmixingTest, APrecisionTiesTheSpecimensDirectionsToTheSitesAsFarAsItIsLarge)
{
    struct Case
    {
        double precision;
        bool tied;
    };
    for (const Case c : { Case { 1e10, true }, Case { 1e-3, false } }) {
        SCOPED_TRACE(c.precision);
        SiteUnmixOptions options = siteOptions(2);
        options.precision = c.precision;
        const SiteUnmixResult result = unmixSite("A", scatteredSite(SpectrumShape::Gauss), options);
        ASSERT_EQ(result.components.size(), 2u);
        for (const SiteSpecimenFit &fit : result.specimens)
            for (std::size_t j = 0; j < 2; ++j) {
                const UnmixComponent &own = fit.components[j];
                const double toSite = angle(own.declination, own.inclination,
                    result.components[j].declination, result.components[j].inclination);
                const auto &single = fit.single.best.components;
                ASSERT_EQ(single.size(), 2u);
                const UnmixComponent &alone
                    = single[closest(single, own.declination, own.inclination)];
                const double toAlone
                    = angle(own.declination, own.inclination, alone.declination, alone.inclination);
                // Six degrees of scatter drawn in to a few hundredths of its size.
                if (c.tied) {
                    EXPECT_LT(toSite, 0.3);
                } else {
                    EXPECT_GT(toSite, 2);
                    EXPECT_LT(toAlone, 0.05);
                }
            }
    }
}

TEST(SiteUnmixingTest, AWeakPullMovesRectangularSpecimensWhoseRangesEndOnSteps)
{
    // Noise of 2 % of the NRM and k = 10: each specimen's direction moves a little towards the
    // site's, although its own fit (the second start) holds its ranges on the kinks.
    SiteUnmixOptions options = siteOptions(2);
    options.shapes = UnmixShapes::Rectangular;
    options.precision = 10;
    const SiteUnmixResult result
        = unmixSite("A", scatteredSite(SpectrumShape::Rectangular, 0.1), options);
    ASSERT_EQ(result.components.size(), 2u);
    for (const SiteSpecimenFit &fit : result.specimens)
        for (const UnmixComponent &own : fit.components) {
            SCOPED_TRACE(fit.name);
            const auto &single = fit.single.best.components;
            const UnmixComponent &alone = single[closest(single, own.declination, own.inclination)];
            EXPECT_GT(angle(own.declination, own.inclination, alone.declination, alone.inclination),
                0.01);
        }
}

TEST(SiteUnmixingTest, TheSitesRangesDrawItsSpecimensRangesTogether)
{
    // Six specimens of one outer and one inner Gauss spectrum with the same ranges, noise of
    // about 2 % of the NRM. Fitted each on its own, and jointly without the pull of the site's
    // ranges, the ends of the inner range spread over 80 degrees from specimen to specimen.
    MersenneTwisterSource random(5);
    std::vector<SiteUnmixSpecimen> site;
    for (int s = 0; s < 6; ++s)
        site.push_back({ "S" + std::to_string(s + 1),
            simulatedSteps({ component(SpectrumShape::Gauss, 10, 20, 10, 100, 600),
                               component(SpectrumShape::Gauss, 200, -30, 20, 300, 450) },
                everyDegrees(0, 650, 25), 1e-3, 0.1, &random) });
    const SiteUnmixResult result = unmixSite("A", site, siteOptions(2));
    ASSERT_EQ(result.components.size(), 2u);
    const std::size_t in = closest(result.components, 200, -30);
    std::vector<double> lows, highs;
    for (const SiteSpecimenFit &fit : result.specimens) {
        lows.push_back(fit.components[in].low);
        highs.push_back(fit.components[in].high);
    }
    EXPECT_LT(
        *std::max_element(lows.begin(), lows.end()) - *std::min_element(lows.begin(), lows.end()),
        20);
    EXPECT_LT(*std::max_element(highs.begin(), highs.end())
            - *std::min_element(highs.begin(), highs.end()),
        40);
}

TEST(SiteUnmixingTest, BicChoosesTheNumberOfComponentsEverySpecimenCarries)
{
    struct Case
    {
        const char *name;
        bool inner;
    };
    for (const Case c : { Case { "two", true }, Case { "one", false } }) {
        SCOPED_TRACE(c.name);
        MersenneTwisterSource random(5);
        std::vector<SiteUnmixSpecimen> site;
        for (int s = 0; s < 4; ++s) {
            std::vector<TVector> components
                = { component(SpectrumShape::Gauss, 10, 50, 10 + s, 100 + 5 * s, 600 - 5 * s) };
            if (c.inner)
                components.push_back(
                    component(SpectrumShape::Gauss, 200, -30, 30 - 2 * s, 300, 450 - 5 * s));
            site.push_back({ "S" + std::to_string(s + 1),
                simulatedSteps(components, everyDegrees(0, 650, 40), 1e-3, 0.2e-3, &random) });
        }
        SiteUnmixOptions options = siteOptions(0);
        options.maxComponents = 3;
        const SiteUnmixResult result = unmixSite("A", site, options);
        EXPECT_EQ(result.candidates.size(), 3u);
        EXPECT_EQ(result.components.size(), c.inner ? 2u : 1u);
    }
}

// Twelve sites of four specimens that carry the same two directions (drawn anew for each site)
// with heights and ranges of their own and noise of 2 % of the NRM: the bootstrap of noise alone
// draws cones that hold the true direction about 19 times in 20, neither far wider nor far
// narrower than the errors.
TEST(SiteUnmixingTest, BootstrapConesHoldTheTrueDirectionsAtTheirLevel)
{
    MersenneTwisterSource random(31);
    const auto uniform
        = [&](double low, double high) { return low + (high - low) * random.uniform(); };
    int cones = 0, covered = 0;
    std::vector<double> ratios;
    for (int n = 0; n < 12; ++n) {
        const double outerD = uniform(0, 360), outerI = uniform(-60, 60);
        const double innerD = std::fmod(outerD + uniform(120, 240), 360), innerI = uniform(-60, 60);
        std::vector<SiteUnmixSpecimen> site;
        for (int s = 0; s < 4; ++s) {
            const std::vector<TVector> components
                = { component(SpectrumShape::Gauss, outerD, outerI, uniform(8, 12), 100, 600),
                      component(SpectrumShape::Gauss, innerD, innerI, uniform(15, 25),
                          std::round(uniform(290, 310)), std::round(uniform(440, 460))) };
            // 2 % of the NRM (about 4.5 in the model's unit, at a scale of 1e-3).
            site.push_back({ "S" + std::to_string(s + 1),
                simulatedSteps(components, everyDegrees(0, 650, 40), 1e-3, 0.09e-3, &random) });
        }
        SiteUnmixOptions options = siteOptions(2, 60);
        options.resampleSpecimens = false;
        options.seed = 100 + std::uint64_t(n);
        const SiteUnmixResult result = unmixSite("A", site, options);
        ASSERT_EQ(result.components.size(), 2u);
        for (const auto &[d, i] : { std::pair { outerD, outerI }, std::pair { innerD, innerI } }) {
            const SiteComponent &c = result.components[closest(result.components, d, i)];
            const double error = angle(c.declination, c.inclination, d, i);
            ASSERT_TRUE(c.alpha95);
            ++cones;
            covered += error <= *c.alpha95 ? 1 : 0;
            ratios.push_back(*c.alpha95 / std::max(error, 1e-6));
        }
    }
    EXPECT_GE(covered, 20) << "of " << cones;
    std::sort(ratios.begin(), ratios.end());
    // Half the errors of a Fisher-like spread lie within about 40 % of its 95 % cone.
    EXPECT_LT(ratios[ratios.size() / 2], 6.0);
    EXPECT_GT(ratios[ratios.size() / 2], 1.2);
}

TEST(SiteUnmixingTest, RefusesASiteWithFewerThanTwoSpecimensToUnmixAndStopsWhenAsked)
{
    auto site = exactSite({ 0.03, 0.02 });
    site[1].steps.resize(2);
    try {
        unmixSite("PI47", site, siteOptions(2));
        FAIL() << "a site of one specimen was fitted";
    } catch (const UnmixingError &error) {
        EXPECT_EQ(std::string(error.what()).substr(0, 70),
            "PI47: 1 of its 2 specimens could be unmixed; a site's fit needs at lea");
    }
    SiteUnmixOptions options = siteOptions(2);
    options.stopRequested = [] { return true; };
    EXPECT_THROW(unmixSite("A", exactSite({ 0.03, 0.02 }), options), UnmixingError);
}

} // namespace
} // namespace Demagora
