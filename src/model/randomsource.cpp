#include "model/randomsource.h"

#include <chrono>

namespace Demagora {

MersenneTwisterSource::MersenneTwisterSource(std::uint64_t seed)
    : m_engine(seed)
{ }

std::uint64_t MersenneTwisterSource::clockSeed()
{
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

double MersenneTwisterSource::uniform()
{
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}

} // namespace Demagora
