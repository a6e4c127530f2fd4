#include "analysis/drawnprecision.h"

#include "model/randomsource.h"
#include "model/scatter.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Demagora;
using Demagora::Testing::component;

namespace {

Population membersAt(std::initializer_list<std::pair<double, double>> directions)
{
    Population population;
    for (const auto &[declination, inclination] : directions)
        population.push_back(component(declination, inclination, 1, 100, 200));
    return population;
}

// Member 0, the component as entered, is no drawn direction: it lies far off in each case, so
// counting it would change every k.
TEST(DrawnPrecisionTest, KOfTheScatteredMembersAlone)
{
    const double tenDegrees = 10 * std::acos(-1.0) / 180;
    const struct
    {
        const char *label;
        Population population;
        std::optional<double> expected;
    } cases[] = {
        { "not scattered", membersAt({ { 0, 0 } }), std::nullopt },
        { "one copy", membersAt({ { 180, 0 }, { 0, 10 } }), std::nullopt },
        // Two directions 10 degrees either side of the mean: R = 2 cos 10, k = 1/(2 - R).
        { "two copies", membersAt({ { 180, 0 }, { 0, 10 }, { 0, -10 } }),
            1 / (2 - 2 * std::cos(tenDegrees)) },
        { "copies that agree", membersAt({ { 180, 0 }, { 30, 40 }, { 30, 40 }, { 30, 40 } }),
            INFINITY },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<std::optional<double>> k = drawnFisherK({ c.population });
        ASSERT_EQ(k.size(), 1u);
        ASSERT_EQ(k[0].has_value(), c.expected.has_value());
        if (!c.expected)
            continue;
        if (std::isinf(*c.expected)) {
            EXPECT_TRUE(std::isinf(*k[0]));
        } else {
            EXPECT_NEAR(*k[0], *c.expected, 1e-9 * *c.expected);
        }
    }
}

// The scattering halves every drawn angle: a typed k of 30 draws a population of k near 120,
// as the main window and the README tell the user.
TEST(DrawnPrecisionTest, TypedKThirtyDrawsAboutOneHundredTwenty)
{
    MersenneTwisterSource random(7);
    Population population;
    ScatterComponent(component(20, 50, 5, 100, 300), 4000, population, SpectrumShape::Gauss, false,
        30, 0, random);
    const std::vector<std::optional<double>> k = drawnFisherK({ population });
    ASSERT_TRUE(k[0]);
    EXPECT_GT(*k[0], 105);
    EXPECT_LT(*k[0], 135);
}

} // namespace
