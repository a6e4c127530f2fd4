#include "model/tvector.h"

#include "literalrun.h"
#include "modelfixtures.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

using namespace Demagora;
using Demagora::Fixtures::expectDigits;
using Demagora::Testing::component;

namespace {

TVector workedExample(SpectrumShape shape = SpectrumShape::Gauss)
{
    return component(30, 45, 10, 100, 200, shape);
}

} // namespace

TEST(TVectorTest, NewVectorIsAllZero)
{
    const TVector v;
    EXPECT_EQ(v.Temperature, 0);
    EXPECT_EQ(v.SigmaCount, 0);
    EXPECT_FALSE(v.DifferentLengths);
    EXPECT_EQ(v.Shape, SpectrumShape::Gauss);
    EXPECT_EQ(v.Height, 0);
}

TEST(TVectorTest, GaussParametersOfWorkedExample)
{
    const TVector v = workedExample();
    EXPECT_EQ(v.Midpoint(), 150);
    expectDigits(v.Sigma(), 16.66666667);
    expectDigits(v.Amplitude(), 417.7713791);
}

TEST(TVectorTest, GaussRemainingMatchesWorkedExampleWithSampleCounts)
{
    const TVector v = workedExample();
    struct Row
    {
        double t;
        double expected;
        int samples;
    };
    const Row rows[] = {
        { 0, 416.6545573, 1001 },
        { 50, 416.6545573, 1001 },
        { 100, 416.6545573, 1001 },
        { 120, 402.3010805, 801 },
        { 150, 208.8272786, 501 },
        { 180, 14.55137550, 201 },
        { 199, 0.1338349857, 11 },
        { 199.95, 0.01110899654, 1 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.t);
        expectDigits(v.Remaining(row.t), row.expected);
        const Literal::RemainingSum reference = Literal::remaining(v, row.t);
        EXPECT_EQ(reference.samples, row.samples);
        EXPECT_EQ(v.Remaining(row.t), reference.value);
    }
    for (const double t : { 200.0, 200.5, 1000.0 })
        EXPECT_EQ(v.Remaining(t), 0) << t;
}

TEST(TVectorTest, RectangularRemainingIsExactSliceCount)
{
    const TVector v = workedExample(SpectrumShape::Rectangular);
    EXPECT_EQ(v.Remaining(-50), 1001);
    EXPECT_EQ(v.Remaining(100), 1001);
    EXPECT_EQ(v.Remaining(150), 501);
    EXPECT_EQ(v.Remaining(199), 11);
    EXPECT_EQ(v.Remaining(200), 0);
}

TEST(TVectorTest, EveryShapeCodeOtherThanGaussIsRectangular)
{
    TVector v = workedExample();
    v.Shape = static_cast<SpectrumShape>(7);
    EXPECT_EQ(v.Remaining(150), 501);
}

TEST(TVectorTest, DriftOfTheSampleDecidesTheSampleNextToT)
{
    // From 200 the 1001st sample is 100.00000000000568, still above 100; from 600 the
    // 1001st would be 499.99999999997726, no longer above 500.
    EXPECT_EQ(Literal::remaining(component(0, 0, 1, 100, 200), 100).samples, 1001);
    EXPECT_EQ(Literal::remaining(component(0, 0, 1, 500, 600), 500).samples, 1000);
    EXPECT_NEAR(
        component(0, 0, 1, 100, 200, SpectrumShape::Rectangular).Remaining(100), 100.1, 1e-9);
    const TVector high = component(0, 0, 1, 500, 600, SpectrumShape::Rectangular);
    EXPECT_NEAR(high.Remaining(500), 100.0, 1e-9);
    EXPECT_EQ(high.Remaining(500), Literal::remaining(high, 500).value);
}

TEST(TVectorTest, ReversedAndZeroWidthRangesGiveZeroEverywhere)
{
    const TVector reversed = component(0, 0, 10, 200, 100);
    const TVector zeroWidth = component(0, 0, 10, 150, 150);
    for (const double t : { 0.0, 100.0, 150.0, 199.0, 200.0, 250.0 }) {
        SCOPED_TRACE(t);
        EXPECT_EQ(reversed.Remaining(t), 0);
        EXPECT_EQ(zeroWidth.Remaining(t), 0);
    }
}

TEST(TVectorTest, NegativeHeightGivesNegativeRemaining)
{
    const TVector v = component(0, 0, -10, 100, 200, SpectrumShape::Rectangular);
    EXPECT_EQ(v.Remaining(0), -1001);
}

TEST(TVectorTest, DirectionCosinesAreRoundedTo14Decimals)
{
    const TVector v = workedExample();
    EXPECT_DOUBLE_EQ(v.northCosine(), 0.61237243569579);
    EXPECT_DOUBLE_EQ(v.eastCosine(), 0.35355339059327);
    EXPECT_DOUBLE_EQ(v.downCosine(), 0.70710678118655);
}

TEST(TVectorTest, PartsAtCurrentTemperatureMatchWorkedExample)
{
    TVector v = workedExample();
    v.SetTemperature(150);
    expectDigits(v.GetX(), 127.8800693);
    expectDigits(v.GetY(), 73.83159241);
    expectDigits(v.GetZ(), 147.6631848);
    v.SetTemperature(100);
    expectDigits(v.GetX(), 255.1477661);
    expectDigits(v.GetY(), 147.3096314);
    expectDigits(v.GetZ(), 294.6192628);
}

TEST(TVectorTest, CardinalDirectionsGiveExactZeros)
{
    TVector east = component(90, 0, 10, 100, 200);
    east.SetTemperature(150);
    EXPECT_EQ(east.GetX(), 0);
    EXPECT_EQ(east.GetY(), east.Remaining(150));
    EXPECT_EQ(east.GetZ(), 0);

    TVector south = component(180, 0, 10, 100, 200);
    south.SetTemperature(150);
    EXPECT_EQ(south.GetY(), 0);
    EXPECT_EQ(south.GetX(), -south.Remaining(150));

    TVector down = component(30, 90, 10, 100, 200);
    down.SetTemperature(150);
    EXPECT_EQ(down.GetX(), 0);
    EXPECT_EQ(down.GetY(), 0);
    EXPECT_EQ(down.GetZ(), down.Remaining(150));
}

TEST(TVectorTest, PartsAtAndJustBelowBlockHigh)
{
    TVector v = workedExample();
    v.SetTemperature(200);
    EXPECT_EQ(v.GetX(), 0);
    EXPECT_EQ(v.GetY(), 0);
    EXPECT_EQ(v.GetZ(), 0);
    v.SetTemperature(199.95);
    expectDigits(v.GetZ(), 0.70710678118655 * 0.01110899654, 9);
    EXPECT_EQ(Literal::remaining(v, 199.95).samples, 1);
}

TEST(TVectorTest, RemainingEqualsIndependentLiteralLoop)
{
    // Fractional, reversed and zero-width ranges, both shapes, negative heights.
    const TVector cases[] = {
        component(10, 20, 3.7, 99.7, 500.2),
        component(10, 20, -2.5, 12.3, 47.9, SpectrumShape::Rectangular),
        component(10, 20, 4, 580.9, 150),
        component(10, 20, 4, 33.3, 33.3),
        component(10, 20, 0.3, -40.25, 20.75),
    };
    for (const TVector &v : cases) {
        for (double t = v.BlockLow - 3; t <= v.BlockHigh + 3; t += 0.7) {
            SCOPED_TRACE(testing::Message() << v.BlockLow << ".." << v.BlockHigh << " at " << t);
            EXPECT_EQ(v.Remaining(t), Literal::remaining(v, t).value);
        }
    }
}
