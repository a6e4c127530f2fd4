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
