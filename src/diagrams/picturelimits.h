#pragma once

#include <cstdint>

namespace Demagora {

// An SVG drawing keeps every point of every curve: beyond this many result points it would
// take hundreds of megabytes and minutes, and a PNG image is the picture to write.
inline constexpr std::uint64_t MaxSvgResultPoints = 500'000;

} // namespace Demagora
