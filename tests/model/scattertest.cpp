#include "model/scatter.h"

#include "model/angles.h"
#include "model/modelerror.h"
#include "modelfixtures.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Demagora;
using Demagora::Fixtures::expectDigits;
using Demagora::Fixtures::SequenceSource;
using Demagora::Testing::component;

namespace {

// Angle between two directions, degrees.
double angleBetween(double d1, double i1, double d2, double i2)
{
    const double a[] = { std::cos(i1 * DegToRad) * std::cos(d1 * DegToRad),
        std::cos(i1 * DegToRad) * std::sin(d1 * DegToRad), std::sin(i1 * DegToRad) };
    const double b[] = { std::cos(i2 * DegToRad) * std::cos(d2 * DegToRad),
        std::cos(i2 * DegToRad) * std::sin(d2 * DegToRad), std::sin(i2 * DegToRad) };
    const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    return std::acos(std::min(1.0, dot)) * RadToDeg;
}

} // namespace

TEST(RotateDeviationTest, TurnsDeviationAboutTheMeanDirection)
{
    struct Row
    {
        double D, I, e, phi, declination, inclination;
    };
    const Row rows[] = {
        { 30, 45, 80, 0, 30, 35 },
        { 30, 45, 80, 180, 30, 55 },
        { 30, 45, 80, 90, 44.00194217, 44.13602946 },
        { 30, 45, 80, 270, 15.99805783, 44.13602946 },
        { 350, 10, 85, 45, -6.444193273, 6.447643732 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "azimuth " << row.phi << " about " << row.D);
        const Direction d = RotateDeviation(row.D, row.I, row.e, row.phi);
        expectDigits(d.declination, row.declination);
        expectDigits(d.inclination, row.inclination);
    }
}

TEST(RotateDeviationTest, VerticalMeanGivesExactZeroDeclination)
{
    const Direction d = RotateDeviation(0, 90, 80, 0);
    EXPECT_EQ(d.declination, 0);
    expectDigits(d.inclination, 80);
}

TEST(RotateDeviationTest, ElevationNinetyKeepsTheMeanDirection)
{
    const Direction d = RotateDeviation(30, 45, 90, 123);
    EXPECT_NEAR(d.declination, 30, 1e-12);
    EXPECT_NEAR(d.inclination, 45, 1e-12);
}

TEST(ScatterComponentTest, HalvedFisherAngleForRHalf)
{
    // About the vertical, azimuth 0: the member's inclination is 90 minus the deviation.
    const TVector vertical = component(0, 90, 10, 100, 200);
    struct Row
    {
        double k, deviation;
    };
    const Row rows[]
        = { { 30, 6.170203630 }, { 1, 32.14612921 }, { 10, 10.72905445 }, { 70, 4.034877616 } };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.k);
        SequenceSource random({ 0.0, 0.5 });
        Population population;
        ScatterComponent(vertical, 1, population, SpectrumShape::Gauss, false, row.k, 3, random);
        ASSERT_EQ(population.size(), 2u);
        EXPECT_EQ(population[1].Declination, 0);
        expectDigits(90 - population[1].Inclination, row.deviation);
    }
}

TEST(ScatterComponentTest, RZeroGivesTheMeanDirection)
{
    SequenceSource random({ 0.25, 0.0 });
    Population population;
    ScatterComponent(
        component(30, 45, 10, 100, 200), 1, population, SpectrumShape::Gauss, false, 30, 3, random);
    EXPECT_NEAR(population[1].Declination, 30, 1e-12);
    EXPECT_NEAR(population[1].Inclination, 45, 1e-12);
}

TEST(ScatterComponentTest, DrawsAzimuthThenRPerMemberWithoutHeights)
{
    // Member 1: azimuth 0.5 * 360 = 180 (steeper), R 0.5 -> deviation 6.170203630 at k 30.
    // Member 2: azimuth 0, R 0.5 -> shallower by the same angle.
    SequenceSource random({ 0.5, 0.5, 0.0, 0.5 });
    Population population;
    ScatterComponent(
        component(30, 45, 10, 100, 200), 2, population, SpectrumShape::Gauss, false, 30, 3, random);
    EXPECT_EQ(random.drawn(), 4u);
    ASSERT_EQ(population.size(), 3u);
    expectDigits(population[1].Inclination, 45 + 6.170203630, 9);
    expectDigits(population[1].Declination, 30, 9);
    expectDigits(population[2].Inclination, 45 - 6.170203630, 9);
    expectDigits(population[2].Declination, 30, 9);
}

TEST(ScatterComponentTest, DrawsNormalPairsAfterAzimuthAndR)
{
    // Pair (0.9, 0.9) lies outside the unit circle and is drawn again; (0.75, 0.5) gives
    // u1 0.5, u2 0, q 0.25: deviate sqrt(8 ln 4) * 0.5 * 2 + 10.
    SequenceSource random({ 0.0, 0.0, 0.9, 0.9, 0.75, 0.5, 0.0, 0.0, 0.25, 0.5 });
    Population population;
    ScatterComponent(
        component(30, 45, 10, 100, 200), 2, population, SpectrumShape::Gauss, true, 30, 2, random);
    EXPECT_EQ(random.drawn(), 10u);
    ASSERT_EQ(population.size(), 3u);
    EXPECT_DOUBLE_EQ(population[1].Height, 13.330218444630791);
    EXPECT_DOUBLE_EQ(population[2].Height, 10 - 3.3302184446307908);
    EXPECT_NEAR(population[2].Inclination, 45, 1e-12);
}

TEST(ScatterComponentTest, CentrePairIsDrawnAgainInsteadOfGivingNaN)
{
    // (0.5, 0.5) gives u1 = u2 = 0 and q = 0, where ln(q) / q has no value.
    SequenceSource random({ 0.0, 0.0, 0.5, 0.5, 0.75, 0.5 });
    Population population;
    ScatterComponent(
        component(30, 45, 10, 100, 200), 1, population, SpectrumShape::Gauss, true, 30, 2, random);
    EXPECT_EQ(random.drawn(), 6u);
    EXPECT_DOUBLE_EQ(population[1].Height, 13.330218444630791);
}

TEST(ScatterComponentTest, MembersAndFlagsWithFixedHeights)
{
    MersenneTwisterSource random(42);
    const TVector entered = component(30, 45, 10, 99.7, 200.2, SpectrumShape::Gauss);
    Population population;
    ScatterComponent(entered, 5, population, SpectrumShape::Rectangular, false, 30, 3, random);
    ASSERT_EQ(population.size(), 6u);
    EXPECT_EQ(population[0].Declination, 30);
    EXPECT_EQ(population[0].Inclination, 45);
    for (const TVector &member : population) {
        EXPECT_EQ(member.Height, 10);
        EXPECT_FALSE(member.DifferentLengths);
        EXPECT_EQ(member.Shape, SpectrumShape::Rectangular);
        EXPECT_EQ(member.SigmaCount, 3);
        EXPECT_EQ(member.BlockLow, 99.7);
        EXPECT_EQ(member.BlockHigh, 200.2);
        EXPECT_EQ(member.Temperature, 0);
    }
}

TEST(ScatterComponentTest, DifferentLengthsMarksEveryMemberAndKeepsMemberZero)
{
    MersenneTwisterSource random(7);
    Population population;
    ScatterComponent(
        component(30, 45, 10, 100, 200), 20, population, SpectrumShape::Gauss, true, 30, 3, random);
    ASSERT_EQ(population.size(), 21u);
    EXPECT_EQ(population[0].Height, 10);
    int differing = 0;
    for (const TVector &member : population) {
        EXPECT_TRUE(member.DifferentLengths);
        differing += member.Height != 10;
    }
    EXPECT_EQ(differing, 20);
}

TEST(ScatterComponentTest, MembersStayWithinNinetyDegreesOfTheMean)
{
    MersenneTwisterSource random(2024);
    Population population;
    ScatterComponent(component(350, 10, 10, 100, 200), 500, population, SpectrumShape::Gauss, false,
        1, 3, random);
    // Declinations come back between -180 and 180: members about 350 lie near -10.
    int westOfNorth = 0;
    for (std::size_t m = 1; m < population.size(); ++m) {
        const TVector &member = population[m];
        ASSERT_TRUE(std::isfinite(member.Declination) && std::isfinite(member.Inclination));
        EXPECT_LT(angleBetween(350, 10, member.Declination, member.Inclination), 90 + 1e-9);
        EXPECT_LE(std::fabs(member.Declination), 180);
        westOfNorth += member.Declination < 0;
    }
    EXPECT_GT(westOfNorth, 0);
}

TEST(ScatterComponentTest, TinyKNearROneGivesAFiniteDirection)
{
    // Rounding takes the arccos argument below -1 here; the deviation is held at 90.
    SequenceSource random({ 0.0, 1 - 0x1.0p-53 });
    Population population;
    ScatterComponent(component(0, 90, 10, 100, 200), 1, population, SpectrumShape::Gauss, false,
        1e-10, 3, random);
    ASSERT_TRUE(std::isfinite(population[1].Inclination));
    EXPECT_NEAR(population[1].Inclination, 0, 1e-6);
}

TEST(ScatterComponentTest, RefusesKNotAboveZeroBeforeAppending)
{
    for (const double k : { 0.0, -1.0, std::nan("") }) {
        SCOPED_TRACE(k);
        SequenceSource random({ 0.5, 0.5 });
        Population population;
        EXPECT_THROW(ScatterComponent(component(0, 0, 1, 0, 10), 3, population,
                         SpectrumShape::Gauss, false, k, 3, random),
            ModelError);
        EXPECT_TRUE(population.empty());
        EXPECT_EQ(random.drawn(), 0u);
    }
}

TEST(ScatterComponentTest, NoRandomPointsGivesMemberZeroOnly)
{
    SequenceSource random({});
    Population population;
    ScatterComponent(
        component(0, 0, 1, 0, 10), 0, population, SpectrumShape::Gauss, true, 0, 3, random);
    ASSERT_EQ(population.size(), 1u);
    EXPECT_TRUE(population[0].DifferentLengths);
}
