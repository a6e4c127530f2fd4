#include "unmixing/turningpath.h"

#include "model/randomsource.h"
#include "model/vector3.h"
#include "unmixingfixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace Demagora {
namespace {

using Fixtures::component;
using Fixtures::everyDegrees;
using Fixtures::simulatedSteps;

// Ten Gauss components of one height whose ranges of 150 degrees start every 40 degrees from
// 100, their declinations stepping by turnDegrees / 9 along the horizon.
std::vector<TVector> turningComponents(double turnDegrees, double inclination)
{
    std::vector<TVector> components;
    for (int i = 0; i < 10; ++i)
        components.push_back(component(
            SpectrumShape::Gauss, turnDegrees * i / 9, inclination, 3, 100 + 40 * i, 250 + 40 * i));
    return components;
}

// Steps every 25 degrees with noise 2 % of the NRM per axis, as the benchmarks measure.
std::vector<UnmixStep> noisySteps(const std::vector<TVector> &components, std::uint64_t seed)
{
    const auto temperatures = everyDegrees(0, 650, 25);
    const double nrm = norm(simulatedSteps(components, temperatures).front().moment);
    MersenneTwisterSource random(seed);
    return simulatedSteps(components, temperatures, 1, 0.02 * nrm, &random);
}

// A path turning through 180 degrees is judged turning; nested and successive pairs of
// components, and ten components of one direction, are not.
TEST(TurningPathTest, JudgesTheSimulatedPaths)
{
    const struct
    {
        const char *name;
        std::vector<TVector> components;
        bool turning;
    } cases[] = {
        { "ten components turning through 180 degrees", turningComponents(180, 0), true },
        { "ten components of one direction", turningComponents(0, 30), false },
        { "nested pair",
            { component(SpectrumShape::Gauss, 10, 50, 2, 100, 600),
                component(SpectrumShape::Gauss, 200, -30, 4, 300, 450) },
            false },
        { "successive pair",
            { component(SpectrumShape::Gauss, 10, 50, 3, 100, 350),
                component(SpectrumShape::Gauss, 170, -40, 3, 300, 600) },
            false },
    };
    UnmixOptions options;
    options.bootstrap = 0;
    options.threads = 1;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const UnmixResult result = unmixSpecimen("S", noisySteps(c.components, 3), options);
        EXPECT_EQ(result.turning, c.turning) << result.best.components.size() << " components, "
                                             << result.aloneShare << " carried alone";
    }
}

// Worked examples on rectangular spectra of 1 per degree measured every 100 degrees: a
// component alone over three steps carries the 300 they remove of the 600 in all; two alone
// over no more than two steps each carry nothing alone, and neither does a stretch where the
// one that loses most stays under 90 % of the losses.
TEST(TurningPathTest, AloneShareCountsRunsOfThreeStepsOrMore)
{
    const auto rect = [](double low, double high, double declination) {
        return UnmixComponent { SpectrumShape::Rectangular, declination, 0, 1, low, high };
    };
    const struct
    {
        const char *name;
        std::vector<UnmixComponent> components;
        double share;
    } cases[] = {
        { "one after the other", { rect(0, 300, 0), rect(300, 600, 90) }, 0.5 },
        { "the later one longer", { rect(0, 200, 0), rect(200, 600, 90) }, 4.0 / 6 },
        { "overlapping, two steps alone each", { rect(0, 400, 0), rect(200, 600, 90) }, 0 },
        { "one alone throughout", { rect(0, 600, 0) }, 1 },
        { "none", {}, 0 },
    };
    const std::vector<double> temperatures = { 0, 100, 200, 300, 400, 500, 600 };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(aloneShare(c.components, temperatures), c.share, 1e-12);
    }
}

} // namespace
} // namespace Demagora
