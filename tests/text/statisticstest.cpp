#include "text/statistics.h"

#include "text/numbertext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

using namespace Demagora;

TEST(SampleStatisticsTest, UsesTheSampleDivisor)
{
    const std::vector<double> samples { 2, 4, 4, 4, 5, 5, 7, 9 };
    const SampleStatistics statistics = sampleStatistics(samples);
    EXPECT_EQ(statistics.mean, 5);
    ASSERT_TRUE(statistics.standardDeviation.has_value());
    // Divisor N - 1 = 7; the population form would give exactly 2.
    EXPECT_NEAR(*statistics.standardDeviation, std::sqrt(32.0L / 7), 1e-18L);
}

TEST(SampleStatisticsTest, SingleSampleHasAMeanButNoDeviation)
{
    const std::vector<double> samples { 416.6545573 };
    const SampleStatistics statistics = sampleStatistics(samples);
    EXPECT_EQ(statistics.mean, static_cast<long double>(416.6545573));
    EXPECT_FALSE(statistics.standardDeviation.has_value());
}

TEST(SampleStatisticsTest, EqualSamplesNeverGiveNaN)
{
    // The one-pass variance of equal samples is a rounding remainder of either sign; for
    // five samples of 0.3 it comes out below zero, which counts as 0.
    const std::vector<double> five(5, 0.3);
    const SampleStatistics statistics = sampleStatistics(five);
    ASSERT_TRUE(statistics.standardDeviation.has_value());
    EXPECT_EQ(*statistics.standardDeviation, 0);
    EXPECT_EQ(formatGeneral(*statistics.standardDeviation), "0");

    for (int count = 2; count <= 31; ++count) {
        SCOPED_TRACE(count);
        const std::vector<double> samples(static_cast<std::size_t>(count), 0.3);
        const std::optional<long double> deviation = sampleStatistics(samples).standardDeviation;
        ASSERT_TRUE(deviation.has_value());
        EXPECT_FALSE(std::isnan(*deviation));
        EXPECT_GE(*deviation, 0);
        EXPECT_LT(*deviation, 1e-9L);
    }
}

TEST(SampleStatisticsTest, SumsInExtendedPrecision)
{
    // Squares near 1e16 lose the variance in double sums; 80-bit sums keep it.
    const std::vector<double> samples { 1e8 + 1, 1e8 + 2, 1e8 + 3 };
    const SampleStatistics statistics = sampleStatistics(samples);
    EXPECT_EQ(statistics.mean, 1e8 + 2);
    ASSERT_TRUE(statistics.standardDeviation.has_value());
    EXPECT_NEAR(*statistics.standardDeviation, 1, 1e-3);
}

TEST(SampleStatisticsTest, MeanKeepsExtendedPrecision)
{
    const std::vector<double> samples { 0.1, 0.2 };
    const SampleStatistics statistics = sampleStatistics(samples);
    EXPECT_EQ(statistics.mean, (static_cast<long double>(0.1) + static_cast<long double>(0.2)) / 2);
    EXPECT_EQ(formatGeneral(statistics.mean), "0.15");
}

TEST(SampleStatisticsTest, RefusesAnEmptySample)
{
    EXPECT_THROW(sampleStatistics({}), std::invalid_argument);
}

// Against the tabulated 2.5 and 97.5 percentiles of chi-square: a range taken from the wrong
// tail, or not divided by the degrees of freedom, misses by far more than the 1 % allowed.
TEST(ChiSquarePerDegreeRangeTest, MatchesTabulatedPercentiles)
{
    const struct
    {
        double dof, low, high;
    } cases[] = { { 10, 3.247, 20.483 }, { 30, 16.791, 46.979 }, { 80, 57.153, 106.629 },
        { 150, 117.985, 185.800 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dof);
        const ChiSquareRange range = chiSquarePerDegreeRange(c.dof);
        EXPECT_NEAR(range.low * c.dof, c.low, 0.01 * c.low);
        EXPECT_NEAR(range.high * c.dof, c.high, 0.01 * c.high);
    }
}
