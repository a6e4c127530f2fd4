#pragma once

// The two-lane fast paths of the vector diagram and the stereogram: internal to the drawing
// of those panels (vectordiagram.cpp, stereogram.cpp), their tests and their benchmark.
//
// Each computes what its plain path computes for one input, for two inputs at once in the
// two lanes of the processor's SSE2 registers: the same operations in the same order on each
// lane, so the same bits and therefore the same pixels. Without SSE2 each falls back to its
// plain path, called twice. The plain paths stand in the public headers: stepPixels for one
// step (diagramscales.h) and quickNetPosition for one direction (netprojection.h). Their gain
// is measured in bench/bench_stereogram.cpp and bench/bench_render.cpp.

#include "diagrams/diagramscales.h"
#include "diagrams/netprojection.h"
#include "model/tresultvectors.h"

#include <array>
#include <cstddef>
#include <optional>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Demagora {

// stepPixels reads a step's X and Y with one load of two doubles.
static_assert(std::is_standard_layout_v<TResultVectors>);
static_assert(offsetof(TResultVectors, Y) == offsetof(TResultVectors, X) + sizeof(double),
    "the two-lane stepPixels loads X and Y together");

// The same for two steps at once, in the lanes of the processor's vector registers where it
// has them: the same operations, so the same pixels.
[[gnu::always_inline]] inline std::array<StepPixels, 2> stepPixels(
    const TResultVectors &a, const TResultVectors &b, double vectorScale, int boxSize)
{
#if defined(__SSE2__)
    const __m128d one = _mm_set1_pd(1);
    const __m128d factor = _mm_set1_pd(vectorScale);
    const __m128d low = _mm_set1_pd(-PixelLimit);
    const __m128d high = _mm_set1_pd(PixelLimit + 1);
    // floorPixel of each lane of value * scale: the lanes within range, and their floors.
    const auto floored = [&](__m128d value, int &valid, __m128i &pixels) {
        const __m128d scaled = _mm_mul_pd(value, factor);
        valid = _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(scaled, low), _mm_cmplt_pd(scaled, high)));
        const __m128d truncated = _mm_cvtepi32_pd(_mm_cvttpd_epi32(scaled));
        pixels = _mm_cvttpd_epi32(
            _mm_sub_pd(truncated, _mm_and_pd(_mm_cmpgt_pd(truncated, scaled), one)));
    };
    const auto lane
        = [](__m128i w, int k) { return _mm_cvtsi128_si32(k == 0 ? w : _mm_shuffle_epi32(w, 1)); };
    const auto pixelIf = [&](int valid, int k, __m128i pixels) -> std::optional<int> {
        if ((valid >> k & 1) == 0)
            return std::nullopt;
        return boxSize / 2 + lane(pixels, k);
    };
    int validA = 0, validB = 0, validZ = 0;
    __m128i pixelsA, pixelsB, pixelsZ;
    floored(_mm_loadu_pd(&a.X), validA, pixelsA);
    floored(_mm_loadu_pd(&b.X), validB, pixelsB);
    floored(_mm_set_pd(b.Z, a.Z), validZ, pixelsZ);
    return { StepPixels { pixelIf(validA, 0, pixelsA), pixelIf(validA, 1, pixelsA),
                 pixelIf(validZ, 0, pixelsZ), (a.X * a.X + a.Y * a.Y) + a.Z * a.Z == 0 },
        StepPixels { pixelIf(validB, 0, pixelsB), pixelIf(validB, 1, pixelsB),
            pixelIf(validZ, 1, pixelsZ), (b.X * b.X + b.Y * b.Y) + b.Z * b.Z == 0 } };
#else
    return { stepPixels(a, vectorScale, boxSize), stepPixels(b, vectorScale, boxSize) };
#endif
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

} // namespace Demagora
