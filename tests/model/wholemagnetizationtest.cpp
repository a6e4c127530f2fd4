#include "model/wholemagnetization.h"

#include "model/randomsource.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

using namespace Demagora;
using Demagora::Testing::component;

namespace {

std::uint64_t bitsOf(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

} // namespace

// The summed tables must give Remaining(0) bit for bit: any other order of additions, a
// slice too many at the edge of a range or a lane mixed with its neighbour shows in the last
// bits. Populations cross the size of a task and change spectrum among their members.
TEST(WholeMagnetizationTest, EqualsRemainingAtZeroBitForBit)
{
    MersenneTwisterSource random(2024);
    ComponentPopulations populations;
    for (int p = 0; p < 3; ++p) {
        Population population;
        for (int m = 0; m < 5000; ++m) {
            const double low = p == 2 && m % 7 == 0 ? 100 + m % 3 : 150;
            TVector member = component(10, 20, 0.5 + random.uniform() * 9, low, 350 + p * 0.3,
                p == 1 ? SpectrumShape::Rectangular : SpectrumShape::Gauss);
            population.push_back(member);
        }
        populations.push_back(std::move(population));
    }
    // Edge cases: a range below zero, -0 and 0 as BlockLow, a reversed range, a spectrum too
    // narrow to sum, a range no table may walk, and a population of one member.
    Population edges { component(0, 0, 3, -20.05, 40.3), component(0, 0, 3, -0.0, 40.3),
        component(0, 0, 3, 0.0, 40.3), component(0, 0, 3, 300, 200),
        component(0, 0, 5, -1e-310, 1e-310),
        component(0, 0, 1, 0, 2.5e5, SpectrumShape::Rectangular),
        component(0, 0, 2, 10, 11, SpectrumShape::Rectangular) };
    populations.push_back(edges);
    populations.push_back({ component(0, 0, 4, 20, 580) });

    for (unsigned threads : { 1U, 3U }) {
        SCOPED_TRACE(threads);
        const std::vector<std::vector<double>> whole = wholeMagnetizations(populations, threads);
        ASSERT_EQ(whole.size(), populations.size());
        for (std::size_t p = 0; p < populations.size(); ++p) {
            ASSERT_EQ(whole[p].size(), populations[p].size());
            for (std::size_t m = 0; m < populations[p].size(); ++m) {
                SCOPED_TRACE(testing::Message() << "population " << p << " member " << m);
                ASSERT_EQ(bitsOf(whole[p][m]), bitsOf(populations[p][m].Remaining(0)));
            }
        }
    }
    EXPECT_TRUE(wholeMagnetizations({}).empty());
}
