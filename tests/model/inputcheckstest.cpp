#include "model/inputchecks.h"

#include "model/modelerror.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace Demagora;

namespace {
template <typename Check, typename Value> std::string refusal(Check check, Value value)
{
    try {
        check(value);
    } catch (const ModelError &error) {
        return error.what();
    }
    return {};
}
} // namespace

TEST(InputChecksTest, BlockingTemperatureWithinLimit)
{
    for (const double ok : { -100000.0, 0.0, 580.9, 100000.0 })
        EXPECT_NO_THROW(checkBlockingTemperature(ok)) << ok;
    for (const double refused :
        { -100000.5, 100000.01, 1e300, std::numeric_limits<double>::infinity(), std::nan("") })
        EXPECT_THROW(checkBlockingTemperature(refused), ModelError) << refused;
    EXPECT_EQ(refusal(checkBlockingTemperature, 123456.5),
        "The blocking temperature 123456.5 is out of range: blocking temperatures must lie "
        "between -100000 and 100000 degrees");
}

TEST(InputChecksTest, FisherKAboveZero)
{
    EXPECT_NO_THROW(checkFisherK(1e-300));
    EXPECT_NO_THROW(checkFisherK(30));
    for (const double refused : { 0.0, -0.0, -5.0, std::nan("") })
        EXPECT_THROW(checkFisherK(refused), ModelError) << refused;
    EXPECT_EQ(refusal(checkFisherK, -2.5), "Fisher's k must be greater than 0 (it is -2.5)");
}

TEST(InputChecksTest, AtLeastOneRandomPoint)
{
    EXPECT_NO_THROW(checkRandomPoints(1));
    EXPECT_THROW(checkRandomPoints(0), ModelError);
    EXPECT_THROW(checkRandomPoints(-3), ModelError);
    EXPECT_EQ(refusal(checkRandomPoints, 0), "Random points must be at least 1 (it is 0)");
}

TEST(InputChecksTest, RandomPointsAndRunSizeStayWithinMemory)
{
    EXPECT_NO_THROW(checkRandomPoints(MaxRandomPoints));
    EXPECT_EQ(refusal(checkRandomPoints, MaxRandomPoints + 1),
        "Random points must be at most 100000 (it is 100001)");

    EXPECT_NO_THROW(checkRunSize(101, 701));
    EXPECT_NO_THROW(checkRunSize(50'000'000, 1));
    EXPECT_THROW(checkRunSize(50'000'001, 1), ModelError);
    // A product beyond 64 bits must not wrap round to a small number.
    EXPECT_THROW(checkRunSize(std::uint64_t { 1 } << 40, std::uint64_t { 1 } << 40), ModelError);
    EXPECT_NO_THROW(checkRunSize(0, 1000));
}

// Skipping random numbers before the members costs time as evaluations do: a run that fits
// the limit alone is refused once its skipped draws take it past.
TEST(InputChecksTest, SkippedDrawsCountInTheWorkOfARun)
{
    TVector rectangular;
    rectangular.BlockLow = 0;
    rectangular.BlockHigh = 100;
    rectangular.Shape = SpectrumShape::Rectangular;
    const std::vector<TVector> components { rectangular, rectangular };
    // 2 x 1000 x 101 + 1000 x 2000 = 2,202,000 evaluations before any skipping.
    EXPECT_NO_THROW(checkRunCost(components, 1000, 101, MaxRunEvaluations - 2'202'000));
    EXPECT_EQ(refusal([&](std::uint64_t skipped) { checkRunCost(components, 1000, 101, skipped); },
                  MaxRunEvaluations - 2'201'999),
        "The run is too large: 2 components times 1000 members times 101 steps, with the whole "
        "magnetization of every member and 4997798001 skipped draws, need 5000000001 "
        "evaluations, more than 5000000000");
}
