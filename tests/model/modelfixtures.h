#pragma once

#include "model/populations.h"
#include "model/randomsource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace Demagora::Fixtures {

// Checks that actual shows the printed significant digits of expected: the difference
// stays within half a unit of the last printed digit.
inline void expectDigits(double actual, double expected, int digits = 10)
{
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - digits + 1);
    EXPECT_NEAR(actual, expected, unit / 2) << "to " << digits << " significant digits";
}

// Hands out a fixed list of uniform numbers and fails the test when it runs dry.
class SequenceSource : public RandomSource
{
public:
    explicit SequenceSource(std::vector<double> values)
        : m_values(std::move(values))
    { }

    double uniform() override
    {
        if (m_next >= m_values.size())
            throw std::logic_error("the fixed random sequence ran dry");
        return m_values[m_next++];
    }

    std::size_t drawn() const { return m_next; }

private:
    std::vector<double> m_values;
    std::size_t m_next = 0;
};

} // namespace Demagora::Fixtures
