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

// The range holding 95 % of chi-square over its degrees of freedom (the 2.5 and 97.5
// percentiles divided by them): where a fit's weighted sum of squares per degree of freedom
// lies when the weights are the true noise. By the Wilson-Hilferty cube root, within 1 % of
// the tabulated percentiles from 10 degrees of freedom on (the 2.5 percentile of 5 within
// 4 %). degreesOfFreedom must be positive.
struct ChiSquareRange
{
    double low = 0;
    double high = 0;
};
ChiSquareRange chiSquarePerDegreeRange(double degreesOfFreedom);

} // namespace Demagora
