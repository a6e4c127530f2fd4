#pragma once

#include <cstdint>
#include <random>

namespace Demagora {

// Source of uniform numbers in [0, 1) for the scattering. Injected, so that tests can
// feed fixed sequences and batch runs can be repeated from a seed.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double uniform() = 0;
};

// 64-bit Mersenne Twister; U = (next >> 11) * 2^-53, so one seed gives the same numbers
// on every platform.
class MersenneTwisterSource : public RandomSource
{
public:
    explicit MersenneTwisterSource(std::uint64_t seed);
    static std::uint64_t clockSeed();

    double uniform() override;
    // Skips count numbers, as count calls of uniform() would.
    void discard(std::uint64_t count) { m_engine.discard(count); }

private:
    std::mt19937_64 m_engine;
};

} // namespace Demagora
