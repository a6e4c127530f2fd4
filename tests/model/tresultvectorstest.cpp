#include "model/tresultvectors.h"

#include <gtest/gtest.h>

using Demagora::TResultVectors;

namespace {
TResultVectors vectorOf(double x, double y, double z)
{
    TResultVectors r;
    r.X = x;
    r.Y = y;
    r.Z = z;
    return r;
}
} // namespace

TEST(TResultVectorsTest, DeclinationByQuadrantAndExactAxes)
{
    struct Row
    {
        double x, y, z, declination;
    };
    const Row rows[] = {
        { 1, 1, 0, 45 },
        { -1, 1, 0, 135 },
        { -1, -1, 0, 225 },
        { 1, -1, 0, -45 },
        { 0, 2, 0, 90 },
        { 0, -2, 0, 270 },
        { 0, 0, 5, 0 },
        { 0, 0, 0, 0 },
        { -1, 0, 0, 180 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.x << ", " << row.y << ", " << row.z);
        EXPECT_DOUBLE_EQ(vectorOf(row.x, row.y, row.z).Declination(), row.declination);
    }
}

TEST(TResultVectorsTest, LengthAndInclination)
{
    EXPECT_DOUBLE_EQ(vectorOf(1, 1, 0).Length(), 1.4142135623730951);
    EXPECT_EQ(vectorOf(1, 1, 0).Inclination(), 0);
    EXPECT_EQ(vectorOf(0, 0, 5).Length(), 5);
    EXPECT_DOUBLE_EQ(vectorOf(0, 0, 5).Inclination(), 90);
    EXPECT_DOUBLE_EQ(vectorOf(1, 0, -1).Inclination(), -45);
    EXPECT_EQ(vectorOf(0, 0, 0).Length(), 0);
    EXPECT_EQ(vectorOf(0, 0, 0).Inclination(), 0);
    EXPECT_EQ(vectorOf(3, 4, 12).Length(), 13);
}
