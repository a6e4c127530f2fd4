#include "diagrams/overlaypainter.h"

#include "diagrams/panelcanvas.h"
#include "diagrams/vectordiagram.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace Demagora {

namespace {

// Apart from the blue, red and green of the picture itself.
const QColor OverlayColour(190, 0, 190);
// The fitted lines lie along the path of the steps: a wide pale band under the path shows
// where they run without hiding it.
const QColor LineBandColour(230, 160, 230);
constexpr int LineBandWidth = 7;
constexpr double Radians = std::numbers::pi / 180.0;

struct Unit
{
    double x, y, z;
};

Unit unitOf(double declination, double inclination)
{
    const double d = declination * Radians;
    const double i = inclination * Radians;
    return { std::cos(i) * std::cos(d), std::cos(i) * std::sin(d), std::sin(i) };
}

std::optional<QPointF> stereoPoint(const Unit &u, const NetGeometry &net)
{
    const double inclination = std::asin(std::clamp(u.z, -1.0, 1.0)) / Radians;
    const std::optional<PixelPoint> p = netPosition(net, u.x, u.y, inclination, 1.0);
    if (!p)
        return std::nullopt;
    return QPointF(p->x, p->y);
}

// Two unit vectors at right angles to m and to each other: with m they span the space.
std::pair<Unit, Unit> perpendicularPair(const Unit &m)
{
    const Unit h = std::fabs(m.z) < 0.9 ? Unit { 0, 0, 1 } : Unit { 1, 0, 0 };
    Unit u { h.y * m.z - h.z * m.y, h.z * m.x - h.x * m.z, h.x * m.y - h.y * m.x };
    const double n = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
    u = { u.x / n, u.y / n, u.z / n };
    const Unit w { m.y * u.z - m.z * u.y, m.z * u.x - m.x * u.z, m.x * u.y - m.y * u.x };
    return { u, w };
}

} // namespace

void paintOverlayLines(PanelCanvas &canvas, const DiagramOverlay &overlay,
    const DiagramScales &scales, int first, int last, VerticalProjection projection)
{
    canvas.setPen(LineBandColour, LineBandWidth);
    const VerticalPlanes planes = verticalPlanes(projection);
    auto pixel
        = [&](double v) { return vectorDiagramPixel(v, scales.vectorScale, scales.boxSize); };
    for (int p = std::max(first, 0); p <= last && p < int(overlay.memberLines.size()); ++p) {
        const std::optional<DiagramOverlay::Line> &line = overlay.memberLines[std::size_t(p)];
        if (!line)
            continue;
        const auto x0 = pixel(line->startX), y0 = pixel(line->startY), z0 = pixel(line->startZ);
        const auto x1 = pixel(line->endX), y1 = pixel(line->endY), z1 = pixel(line->endZ);
        if (x0 && y0 && x1 && y1)
            canvas.line(*x0, *y0, *x1, *y1);
        if (planes.northDown && x0 && z0 && x1 && z1)
            canvas.line(*x0, *z0, *x1, *z1);
        if (planes.eastDown && y0 && z0 && y1 && z1)
            canvas.line(*y0, *z0, *y1, *z1);
    }
}

void paintOverlayMean(PanelCanvas &canvas, const DiagramOverlay &overlay, const NetGeometry &net)
{
    if (!overlay.mean)
        return;
    const Unit m = unitOf(overlay.mean->declination, overlay.mean->inclination);
    canvas.setPen(OverlayColour, 2);
    if (const std::optional<QPointF> c = stereoPoint(m, net)) {
        canvas.line(c->x() - 5, c->y(), c->x() + 5, c->y());
        canvas.line(c->x(), c->y() - 5, c->x(), c->y() + 5);
    }
    const std::optional<double> &alpha95 = overlay.mean->alpha95;
    if (!alpha95 || !(*alpha95 > 0))
        return;
    // Two unit vectors at right angles to the mean span the circle's plane.
    const auto [u, w] = perpendicularPair(m);
    const double c = std::cos(*alpha95 * Radians);
    const double r = std::sin(*alpha95 * Radians);
    std::optional<QPointF> previous;
    for (int azimuth = 0; azimuth <= 360; ++azimuth) {
        const double a = azimuth * Radians;
        const Unit p { c * m.x + r * (std::cos(a) * u.x + std::sin(a) * w.x),
            c * m.y + r * (std::cos(a) * u.y + std::sin(a) * w.y),
            c * m.z + r * (std::cos(a) * u.z + std::sin(a) * w.z) };
        const std::optional<QPointF> point = stereoPoint(p, net);
        if (point && previous)
            canvas.line(previous->x(), previous->y(), point->x(), point->y());
        previous = point;
    }
}

void paintOverlayCircles(
    PanelCanvas &canvas, const DiagramOverlay &overlay, const NetGeometry &net, int first, int last)
{
    canvas.setPen(OverlayColour, 1);
    for (int p = std::max(first, 0); p <= last && p < int(overlay.memberPoles.size()); ++p) {
        const std::optional<DiagramOverlay::Pole> &pole = overlay.memberPoles[std::size_t(p)];
        if (!pole)
            continue;
        const auto [u, w] = perpendicularPair(Unit { pole->x, pole->y, pole->z });
        // From where the circle dips below the horizontal to where it rises above it again,
        // in steps of two degrees.
        const double start = std::atan2(-u.z, w.z);
        std::optional<QPointF> previous;
        for (int step = 0; step <= 90; ++step) {
            const double a = start + step * 2 * Radians;
            Unit q { std::cos(a) * u.x + std::sin(a) * w.x, std::cos(a) * u.y + std::sin(a) * w.y,
                std::cos(a) * u.z + std::sin(a) * w.z };
            q.z = std::max(q.z, 0.0);
            const std::optional<QPointF> point = stereoPoint(q, net);
            if (point && previous)
                canvas.line(previous->x(), previous->y(), point->x(), point->y());
            previous = point;
        }
    }
}

} // namespace Demagora
