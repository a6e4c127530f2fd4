#pragma once

#include "model/populations.h"

#include <gtest/gtest.h>

#include <string>

namespace Demagora::Testing {

// Whether two population lists are the same member for member, every field bit for bit
// (== on doubles: a NaN would differ, and none is expected); the first difference is named.
inline ::testing::AssertionResult samePopulations(
    const ComponentPopulations &a, const ComponentPopulations &b)
{
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << a.size() << " populations against " << b.size();
    for (std::size_t p = 0; p < a.size(); ++p) {
        if (a[p].size() != b[p].size())
            return ::testing::AssertionFailure()
                << "population " << p << ": " << a[p].size() << " members against " << b[p].size();
        for (std::size_t m = 0; m < a[p].size(); ++m) {
            const TVector &x = a[p][m];
            const TVector &y = b[p][m];
            const bool same = x.SigmaCount == y.SigmaCount && x.Declination == y.Declination
                && x.Inclination == y.Inclination && x.BlockLow == y.BlockLow
                && x.BlockHigh == y.BlockHigh && x.Height == y.Height
                && x.Temperature == y.Temperature && x.DifferentLengths == y.DifferentLengths
                && x.Shape == y.Shape;
            if (!same)
                return ::testing::AssertionFailure()
                    << "population " << p << ", member " << m << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace Demagora::Testing
