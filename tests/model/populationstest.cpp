#include "model/populations.h"

#include "model/modelerror.h"
#include "modelfixtures.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Demagora;
using Demagora::Testing::component;

TEST(ComputeRunRangeTest, FloorsLowestLowerAndHighestUpperTemperature)
{
    struct Case
    {
        const char *what;
        std::vector<std::pair<double, double>> ranges;
        RunRange expected;
    };
    const Case cases[] = {
        { "fractional", { { 99.7, 500.2 }, { 150, 580.9 } }, { 99, 580, 481 } },
        { "negative floors down", { { -10.5, 5 }, { 0, 3.2 } }, { -11, 5, 16 } },
        { "reversed range", { { 300, 200 }, { 100, 150 } }, { 100, 200, 100 } },
        { "later component narrower", { { 50.5, 400.9 }, { 50.7, 400.1 } }, { 50, 400, 350 } },
        { "same zero-width range", { { 200, 200 }, { 200, 200 } }, { 200, 200, 0 } },
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        ComponentPopulations populations;
        for (const auto &[low, high] : test.ranges) {
            // Only the first member counts: the second member's range is ignored.
            populations.push_back({ component(0, 0, 1, low, high), component(0, 0, 1, -999, 999) });
        }
        EXPECT_EQ(computeRunRange(populations), test.expected);
    }
}

TEST(ComputeRunRangeTest, RefusesWhatItCannotFloor)
{
    EXPECT_THROW(computeRunRange({}), ModelError);
    EXPECT_THROW(computeRunRange({ {} }), ModelError);
    EXPECT_THROW(computeRunRange({ { component(0, 0, 1, 0, 1e12) } }), ModelError);
    EXPECT_THROW(computeRunRange({ { component(0, 0, 1, std::nan(""), 10) } }), ModelError);
}
