#pragma once

#include "diagrams/diagramoptions.h"
#include "diagrams/diagramscales.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// quickNetPosition for two vectors at once, in the two lanes of the processor's vector
// registers where it has them: the same operations in the same order, so the same answers.
// a and b are (north, east, down, length).
[[gnu::always_inline]] inline std::array<std::optional<PixelPoint>, 2> quickNetPositions(
    const NetGeometry &net, const std::array<double, 4> &a, const std::array<double, 4> &b)
{
#if defined(__SSE2__)
    const __m128d one = _mm_set1_pd(1);
    const auto select = [](__m128d mask, __m128d yes, __m128d no) {
        return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
    };
    const __m128d north = _mm_set_pd(b[0], a[0]);
    const __m128d east = _mm_set_pd(b[1], a[1]);
    const __m128d down = _mm_set_pd(b[2], a[2]);
    const __m128d length = _mm_set_pd(b[3], a[3]);
    const __m128d horizontal
        = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(north, north), _mm_mul_pd(east, east)));
    const __m128d ordinary = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(length, _mm_set1_pd(1e-150)),
                                            _mm_cmple_pd(length, _mm_set1_pd(1e150))),
        _mm_cmpge_pd(_mm_mul_pd(horizontal, _mm_set1_pd(1024)), length));
    const __m128d h = select(ordinary, horizontal, one);
    const __m128d n = _mm_and_pd(ordinary, north);
    const __m128d e = _mm_and_pd(ordinary, east);
    const __m128d radius = _mm_set1_pd(net.radius());
    const __m128d halfPi = _mm_set1_pd(NetDetail::HalfPi);
    const __m128d scale = _mm_div_pd(radius, _mm_mul_pd(halfPi, h));
    const __m128d v = select(ordinary, _mm_andnot_pd(_mm_set1_pd(-0.0), down), one);
    // angleFromVertical(h, v)
    const __m128d steep = _mm_cmple_pd(h, v);
    const __m128d t = _mm_div_pd(select(steep, h, v), select(steep, v, h));
    const __m128i i
        = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(t, _mm_set1_pd(16)), _mm_set1_pd(0.5)));
    const __m128d c = _mm_div_pd(_mm_cvtepi32_pd(i), _mm_set1_pd(16));
    const __m128d u = _mm_div_pd(_mm_sub_pd(t, c), _mm_add_pd(one, _mm_mul_pd(t, c)));
    const __m128d u2 = _mm_mul_pd(u, u);
    const __m128d series = _mm_mul_pd(u,
        _mm_sub_pd(one,
            _mm_mul_pd(u2,
                _mm_sub_pd(_mm_set1_pd(1.0 / 3),
                    _mm_mul_pd(u2,
                        _mm_sub_pd(_mm_set1_pd(1.0 / 5), _mm_mul_pd(u2, _mm_set1_pd(1.0 / 7))))))));
    const auto lane1 = [](__m128i w) { return _mm_cvtsi128_si32(_mm_shuffle_epi32(w, 1)); };
    const __m128d arc = _mm_add_pd(_mm_set_pd(NetDetail::ArcTangents[std::size_t(lane1(i))],
                                       NetDetail::ArcTangents[std::size_t(_mm_cvtsi128_si32(i))]),
        series);
    const __m128d angle = select(steep, arc, _mm_sub_pd(halfPi, arc));
    const __m128d x = _mm_mul_pd(_mm_mul_pd(e, angle), scale);
    const __m128d y = _mm_mul_pd(_mm_mul_pd(n, angle), scale);
    // Floored: one less below a negative value that is not whole.
    const auto floored = [&](__m128d value) {
        const __m128d truncated = _mm_cvtepi32_pd(_mm_cvttpd_epi32(value));
        return _mm_sub_pd(truncated, _mm_and_pd(_mm_cmpgt_pd(truncated, value), one));
    };
    const __m128d fx = floored(x);
    const __m128d fy = floored(y);
    const __m128d tolerance = _mm_set1_pd(1e-9 * (std::fabs(net.radius()) + 1));
    const __m128d edge = _mm_sub_pd(one, tolerance);
    const __m128d inX = _mm_sub_pd(x, fx);
    const __m128d inY = _mm_sub_pd(y, fy);
    const __m128d clear
        = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(inX, tolerance), _mm_cmple_pd(inX, edge)),
            _mm_and_pd(_mm_cmpge_pd(inY, tolerance), _mm_cmple_pd(inY, edge)));
    const int answered
        = net.kind == NetKind::InclinationLinear ? _mm_movemask_pd(_mm_and_pd(ordinary, clear)) : 0;
    const __m128i ix = _mm_cvttpd_epi32(fx);
    const __m128i iy = _mm_cvttpd_epi32(fy);
    std::array<std::optional<PixelPoint>, 2> places;
    if (answered & 1)
        places[0] = PixelPoint { net.centre() + _mm_cvtsi128_si32(ix),
            net.centre() - _mm_cvtsi128_si32(iy) };
    if (answered & 2)
        places[1] = PixelPoint { net.centre() + lane1(ix), net.centre() - lane1(iy) };
    return places;
#else
    return { quickNetPosition(net, a[0], a[1], a[2], a[3]),
        quickNetPosition(net, b[0], b[1], b[2], b[3]) };
#endif
}

// The inset from the panel edge of the circle for inclination 10 * i degrees of the net
// linear in inclination.
int netCircleInset(const NetGeometry &net, int i);

} // namespace Demagora
