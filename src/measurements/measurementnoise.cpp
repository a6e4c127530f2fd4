#include "measurements/measurementnoise.h"

#include <cmath>

namespace Demagora {

GaussianNoise::GaussianNoise(RandomSource &random)
    : m_random(random)
{ }

double GaussianNoise::next(double standardDeviation)
{
    if (m_hasSpare) {
        m_hasSpare = false;
        return m_spare * standardDeviation;
    }
    double u1 = 0;
    double u2 = 0;
    double q = 0;
    // A pair at the centre (q = 0) is drawn again like one outside the circle: ln(0) / 0
    // would give NaN.
    do {
        u1 = 2 * m_random.uniform() - 1;
        u2 = 2 * m_random.uniform() - 1;
        q = u1 * u1 + u2 * u2;
    } while (!(q < 1 && q > 0));
    const double factor = std::sqrt(-2 * std::log(q) / q);
    m_spare = u2 * factor;
    m_hasSpare = true;
    return u1 * factor * standardDeviation;
}

std::uint64_t specimenNoiseSeed(std::uint64_t noiseSeed, std::size_t member)
{
    // SplitMix64 finaliser over seed and member: neighbouring members get unrelated streams.
    std::uint64_t z = noiseSeed + (static_cast<std::uint64_t>(member) + 1) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace Demagora
