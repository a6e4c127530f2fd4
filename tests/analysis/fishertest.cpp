#include "analysis/fisher.h"

#include "analysis/analysiserror.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Demagora;

TEST(FisherTest, PublishedMeanOfFourDirections)
{
    const std::vector<Vector3> directions = { unitVector(150, -45), unitVector(151, -46),
        unitVector(145, -38), unitVector(146, -41) };
    const FisherStatistics fisher = fisherStatistics(directions);
    EXPECT_EQ(fisher.n, 4);
    ASSERT_TRUE(fisher.mean && fisher.k && fisher.alpha95 && fisher.angularDeviation);
    EXPECT_NEAR(fisher.mean->declination, 147.872, 0.0005);
    EXPECT_NEAR(fisher.mean->inclination, -42.529, 0.0005);
    EXPECT_NEAR(fisher.r, 3.99161, 0.000005);
    EXPECT_NEAR(*fisher.k, 357.52, 0.005);
    EXPECT_NEAR(*fisher.alpha95, 4.866, 0.0005);
    EXPECT_NEAR(*fisher.angularDeviation, 4.284, 0.0005);
}

TEST(FisherTest, EdgeCasesLeaveFieldsEmptyOrInfiniteButNeverNaN)
{
    const FisherStatistics one = fisherStatistics(std::vector { Vector3 { 0, 2, 0 } });
    ASSERT_TRUE(one.mean);
    EXPECT_DOUBLE_EQ(one.mean->declination, 90);
    EXPECT_FALSE(one.k || one.alpha95 || one.angularDeviation);

    const Vector3 v = unitVector(33, 44);
    const FisherStatistics equal = fisherStatistics(std::vector { v, v, 3.0 * v });
    ASSERT_TRUE(equal.k && equal.alpha95 && equal.angularDeviation);
    EXPECT_TRUE(std::isinf(*equal.k) && *equal.k > 0);
    EXPECT_EQ(*equal.alpha95, 0);
    EXPECT_EQ(*equal.angularDeviation, 0);

    const FisherStatistics opposite = fisherStatistics(std::vector { v, -1.0 * v });
    EXPECT_FALSE(opposite.mean);
    EXPECT_FALSE(opposite.alpha95);
    ASSERT_TRUE(opposite.k);
    EXPECT_TRUE(std::isfinite(*opposite.k));

    // Two directions 120 degrees apart: the cone's cosine falls below -1.
    const FisherStatistics wide
        = fisherStatistics(std::vector { unitVector(0, 0), unitVector(120, 0) });
    EXPECT_TRUE(wide.mean);
    EXPECT_FALSE(wide.alpha95);

    EXPECT_THROW(fisherStatistics(std::vector { v, Vector3 {} }), AnalysisError);
    EXPECT_THROW(fisherStatistics(std::vector<Vector3> {}), AnalysisError);
}

TEST(FisherTest, AxesStraddlingTheHorizontalAverageToOneSide)
{
    // Poles of near-vertical planes, each taken in the lower hemisphere, so that half of them
    // point north and half south: as vectors they cancel, as axes they lie close together.
    const std::vector<Vector3> poles = { unitVector(0, 5), unitVector(180, 5), unitVector(2, 3),
        unitVector(178, 4), unitVector(359, 6), unitVector(181, 2) };
    const FisherStatistics asVectors = fisherStatistics(poles);
    const FisherStatistics asAxes = fisherStatisticsOfAxes(poles);
    ASSERT_TRUE(asVectors.k && asAxes.k && asAxes.mean && asAxes.alpha95);
    EXPECT_LT(*asVectors.k, 2);
    EXPECT_EQ(asAxes.n, 6);
    EXPECT_GT(*asAxes.k, 100);
    EXPECT_LT(*asAxes.alpha95, 6);
    // The mean axis lies near north-south, on the lower hemisphere's side.
    EXPECT_GE(asAxes.mean->inclination, 0);
    EXPECT_LT(std::fabs(std::remainder(asAxes.mean->declination, 180.0)), 3);

    // Axes already on one side give exactly the statistics of the vectors.
    const std::vector<Vector3> together
        = { unitVector(150, 45), unitVector(151, 46), unitVector(145, 38) };
    const FisherStatistics plain = fisherStatistics(together);
    const FisherStatistics axial = fisherStatisticsOfAxes(together);
    EXPECT_EQ(axial.r, plain.r);
    EXPECT_EQ(*axial.k, *plain.k);
    EXPECT_THROW(fisherStatisticsOfAxes(std::vector { poles[0], Vector3 {} }), AnalysisError);
    EXPECT_THROW(fisherStatisticsOfAxes(std::vector<Vector3> {}), AnalysisError);
}
