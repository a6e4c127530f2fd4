#pragma once

#include "diagrams/diagramoptions.h"
#include "diagrams/diagramscales.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace Demagora {

// Where directions stand on the stereograms, as pure functions of the panel size and the
// drawing options: the net linear in inclination, or the equal-area (Schmidt) net of the lower
// hemisphere. Both have north up and east to the right; upward directions are folded onto the
// same net.

// The margin left inside the nets and the vector diagram when the edge room option is on:
// enough for a symbol and the first letters of a word on the outer circle.
int edgeMargin(int boxSize);
int edgeMargin(int boxSize, const DiagramOptions &options);

struct NetGeometry
{
    NetKind kind = NetKind::InclinationLinear;
    int boxSize = 0;
    int margin = 0; // pixels between the panel edge and the outer circle

    int centre() const { return boxSize / 2; }
    double radius() const { return boxSize / 2.0 - margin; }
};
NetGeometry netGeometry(int boxSize, const DiagramOptions &options);

// A point of the equal-area net of radius 1: east to the right, north up.
struct NetPoint
{
    double east = 0;
    double north = 0;
};
// The equal-area point of a direction given by its north and east parts (of any common
// magnitude) and its inclination in degrees: at distance sqrt(1 - |sin I|) from the centre
// along the declination; a vertical direction stands at the centre.
NetPoint equalAreaPoint(double north, double east, double inclination);

// Centre of the symbol of a direction on the net, as stereoPosition gives it for the net
// linear in inclination. north and east are parts of a vector of magnitude norm. Empty where
// the projection has nothing to place: a zero norm, or values that are not finite.
std::optional<PixelPoint> equalAreaPosition(
    const NetGeometry &net, double north, double east, double inclination, double norm);
inline std::optional<PixelPoint> netPosition(
    const NetGeometry &net, double north, double east, double inclination, double norm)
{
    if (net.kind == NetKind::InclinationLinear)
        return inclinationLinearPosition(
            north, east, inclination, norm, net.radius(), net.centre());
    return equalAreaPosition(net, north, east, inclination, norm);
}

namespace NetDetail {

// atan(i / 16) for i = 0 to 16.
inline constexpr std::array<double, 17> ArcTangents { 0.0, 0.06241880999595735, 0.12435499454676144,
    0.18534794999569476, 0.24497866312686414, 0.3028848683749714, 0.35877067027057225,
    0.4124104415973873, 0.4636476090008061, 0.5123894603107377, 0.5585993153435624,
    0.6022873461349642, 0.6435011087932844, 0.6823165548747481, 0.7188299996216245,
    0.7531512809621944, 0.7853981633974483 };
inline constexpr double HalfPi = 1.5707963267948966;

// The angle in radians between the vertical and a direction whose horizontal part is
// horizontal and whose vertical part is down, both at least 0 and not both 0; within about
// 1e-14 of itself. atan(t) is atan(c) + atan((t - c) / (1 + t c)) for the c = i / 16 next to
// t, and the second term, of at most 1/32, takes four terms of its series.
inline double angleFromVertical(double horizontal, double down)
{
    const bool steep = horizontal <= down;
    const double t = steep ? horizontal / down : down / horizontal;
    const int i = static_cast<int>(t * 16 + 0.5);
    const double c = i / 16.0;
    const double u = (t - c) / (1 + t * c);
    const double u2 = u * u;
    const double a = ArcTangents[static_cast<std::size_t>(i)]
        + u * (1 - u2 * (1.0 / 3 - u2 * (1.0 / 5 - u2 * (1.0 / 7))));
    return steep ? a : HalfPi - a;
}

} // namespace NetDetail

// The pixel netPosition gives on the net linear in inclination for the vector (north, east,
// down) of length length (its Length()), found without the arc sine and the cosine of the
// inclination: the distance from the centre is the angle from the vertical over a right
// angle. The two ways of computing differ by far less than a billionth of a pixel. Empty
// wherever that could change the pixel, where a coordinate lies that close to a pixel's edge,
// and for nearly vertical vectors, other nets and lengths out of the ordinary range, where
// netPosition must decide. Written without branches, so that the placements of consecutive
// vectors overlap in the processor.
[[gnu::always_inline]] inline std::optional<PixelPoint> quickNetPosition(
    const NetGeometry &net, double north, double east, double down, double length)
{
    const double horizontal = std::sqrt(north * north + east * east);
    // Ordinary lengths and directions more than a thousandth of a radian from the vertical;
    // the rest, NaN among them, are replaced by harmless values and sent to netPosition.
    const bool ordinary = (length >= 1e-150) & (length <= 1e150) & (horizontal * 1024 >= length);
    const double h = ordinary ? horizontal : 1;
    const double n = ordinary ? north : 0;
    const double e = ordinary ? east : 0;
    const double radius = net.radius();
    const double scale = radius / (NetDetail::HalfPi * h);
    const double angle = NetDetail::angleFromVertical(h, ordinary ? std::fabs(down) : 1);
    // At most the radius from the centre either way.
    const double x = e * angle * scale;
    const double y = n * angle * scale;
    int dx = static_cast<int>(x);
    dx -= static_cast<int>(static_cast<double>(dx) > x);
    int dy = static_cast<int>(y);
    dy -= static_cast<int>(static_cast<double>(dy) > y);
    const double tolerance = 1e-9 * (std::fabs(radius) + 1);
    const double inX = x - dx;
    const double inY = y - dy;
    const bool clear
        = (inX >= tolerance) & (inX <= 1 - tolerance) & (inY >= tolerance) & (inY <= 1 - tolerance);
    if (!(ordinary & clear) || net.kind != NetKind::InclinationLinear)
        return std::nullopt;
    return PixelPoint { net.centre() + dx, net.centre() - dy };
}

// The inset from the panel edge of the circle for inclination 10 * i degrees of the net
// linear in inclination.
int netCircleInset(const NetGeometry &net, int i);

} // namespace Demagora
