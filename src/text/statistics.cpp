#include "text/statistics.h"

#include <cmath>
#include <stdexcept>

namespace Demagora {

SampleStatistics sampleStatistics(std::span<const double> samples)
{
    if (samples.empty())
        throw std::invalid_argument("sampleStatistics needs at least one sample");

    long double sum = 0;
    long double sumOfSquares = 0;
    for (const double sample : samples) {
        const long double x = sample;
        sum += x;
        sumOfSquares += x * x;
    }
    const auto count = static_cast<long double>(samples.size());

    SampleStatistics statistics;
    statistics.mean = sum / count;
    if (samples.size() >= 2) {
        long double variance = (sumOfSquares - sum * sum / count) / (count - 1);
        // The one-pass form can leave equal samples a few units below zero, whose root is NaN.
        if (variance < 0)
            variance = 0;
        statistics.standardDeviation = std::sqrt(variance);
    }
    return statistics;
}

ChiSquareRange chiSquarePerDegreeRange(double degreesOfFreedom)
{
    if (!(degreesOfFreedom > 0))
        throw std::invalid_argument("chiSquarePerDegreeRange needs positive degrees of freedom");
    // The cube root of chi-square over its degrees of freedom is nearly normal with mean
    // 1 - 2 / (9 dof) and variance 2 / (9 dof); 1.959964 is the normal's 97.5 percentile.
    constexpr double Z = 1.959963984540054;
    const double v = 2 / (9 * degreesOfFreedom);
    const auto cube = [](double x) { return x > 0 ? x * x * x : 0.0; };
    return { cube(1 - v - Z * std::sqrt(v)), cube(1 - v + Z * std::sqrt(v)) };
}

} // namespace Demagora
