#include "diagrams/netprojection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Demagora {

namespace {

constexpr double Radians = std::numbers::pi / 180.0;

} // namespace

int edgeMargin(int boxSize)
{
    return std::max(6, boxSize / 32);
}

int edgeMargin(int boxSize, const DiagramOptions &options)
{
    return options.edgeRoom ? edgeMargin(boxSize) : 0;
}

NetGeometry netGeometry(int boxSize, const DiagramOptions &options)
{
    return { options.net, boxSize, edgeMargin(boxSize, options) };
}

NetPoint equalAreaPoint(double north, double east, double inclination)
{
    const double horizontal = std::hypot(north, east);
    if (horizontal == 0)
        return {};
    const double r = std::sqrt(1 - std::fabs(std::sin(inclination * Radians))) / horizontal;
    return { east * r, north * r };
}

std::optional<PixelPoint> equalAreaPosition(
    const NetGeometry &net, double north, double east, double inclination, double norm)
{
    if (norm == 0 || !std::isfinite(norm) || !std::isfinite(north) || !std::isfinite(east)
        || !std::isfinite(inclination))
        return std::nullopt;
    const NetPoint p = equalAreaPoint(north, east, inclination);
    const std::optional<int> dx = floorPixel(p.east * net.radius());
    const std::optional<int> dy = floorPixel(p.north * net.radius());
    if (!dx || !dy)
        return std::nullopt;
    return PixelPoint { net.centre() + *dx, net.centre() - *dy };
}

int netCircleInset(const NetGeometry &net, int i)
{
    if (net.margin == 0)
        return netCircleInset(i, net.boxSize);
    return net.margin + static_cast<int>(std::floor(i * ((net.boxSize - 2 * net.margin) / 18.0)));
}

} // namespace Demagora
