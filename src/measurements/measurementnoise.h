#pragma once

#include "model/randomsource.h"

#include <cstdint>

namespace Demagora {

// Normally distributed numbers with mean 0 and a given standard deviation, drawn by the polar
// method from a uniform source; both numbers of each accepted pair are used, in order.
class GaussianNoise
{
public:
    explicit GaussianNoise(RandomSource &random);

    double next(double standardDeviation);

private:
    RandomSource &m_random;
    double m_spare = 0;
    bool m_hasSpare = false;
};

// The seed of one specimen's noise, mixed from the export's noise seed and the member index,
// so that every specimen draws the same noise whichever file is written first.
std::uint64_t specimenNoiseSeed(std::uint64_t noiseSeed, std::size_t member);

} // namespace Demagora
