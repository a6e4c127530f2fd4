#include "model/randomsource.h"

#include <gtest/gtest.h>

#include <random>

using namespace Demagora;

TEST(MersenneTwisterSourceTest, UniformIsTop53BitsOfTheEngine)
{
    MersenneTwisterSource source(123456789);
    std::mt19937_64 engine(123456789);
    for (int i = 0; i < 1000; ++i) {
        const double expected = static_cast<double>(engine() >> 11) / 9007199254740992.0;
        const double u = source.uniform();
        ASSERT_EQ(u, expected) << i;
        ASSERT_GE(u, 0);
        ASSERT_LT(u, 1);
    }
}

TEST(MersenneTwisterSourceTest, SameSeedSameSequence)
{
    MersenneTwisterSource a(5489);
    MersenneTwisterSource b(5489);
    MersenneTwisterSource c(5490);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        const double u = a.uniform();
        EXPECT_EQ(u, b.uniform());
        differs |= u != c.uniform();
    }
    EXPECT_TRUE(differs);
}
