#pragma once

#include <cstdint>

namespace Demagora {

// An SVG drawing keeps every point of every curve: beyond this many result points it would
// take hundreds of megabytes and minutes, and a PNG image is the picture to write.
inline constexpr std::uint64_t MaxSvgResultPoints = 500'000;

// A picture of every curve keeps the distinct segments and symbols its points draw until it is
// painted; their number grows with both the width and the points drawn. A run of 50,000,000
// points, drawn with both projections, took 1.7 GB with a picture 700 pixels wide, 2.7 GB with one
// 4,000 wide and 5.0 GB with one 8,000 wide. Up to this square of the width times the points drawn
// (8,000 pixels for 12,500,000 points: 2.1 GB; 6,325 for 20,000,000: 2.4 GB; 4,000 for 50,000,000)
// a run with its picture stays within about 3 GB.
inline constexpr std::uint64_t MaxPictureWidthSquaredTimesPoints = 800'000'000'000'000;

} // namespace Demagora
