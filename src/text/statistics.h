#pragma once

#include <optional>
#include <span>

namespace Demagora {

struct SampleStatistics
{
    long double mean = 0;
    // Sample standard deviation (divisor N - 1); absent for fewer than two samples.
    std::optional<long double> standardDeviation;
};

// Sums of x and x squared in long double, one-pass variance (sum x^2 - (sum x)^2 / N) / (N - 1).
// A variance that rounding leaves slightly negative (equal samples) counts as 0.
// Requires at least one sample.
SampleStatistics sampleStatistics(std::span<const double> samples);

} // namespace Demagora
