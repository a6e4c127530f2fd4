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

} // namespace Demagora
