#include "diagrams/decaycurve.h"

#include "diagrams/diagramscales.h"

#include <algorithm>
#include <cmath>

namespace Demagora {

double roundTickStep(double low, double high, int maxCount)
{
    const double span = high - low;
    // Two intervals at least: a span around 0 always needs them.
    const int count = std::max(2, maxCount);
    if (!std::isfinite(span) || span <= 0)
        return 1;
    const double least = span / count;
    double power = std::pow(10.0, std::floor(std::log10(least)));
    for (; power < 1e300; power *= 10) {
        for (const double factor : { 1.0, 2.0, 5.0 }) {
            const double step = factor * power;
            // The ticks on either side of the span may add one interval each.
            if (step >= 1 && std::ceil(high / step) - std::floor(low / step) <= count)
                return step;
        }
    }
    return span;
}

std::vector<double> TemperatureAxis::ticks() const
{
    std::vector<double> result;
    const long count = std::lround((high - low) / step);
    for (long i = 0; i <= count; ++i)
        result.push_back(low + static_cast<double>(i) * step);
    return result;
}

TemperatureAxis temperatureAxis(double low, double high, int maxCount)
{
    if (!std::isfinite(low) || !std::isfinite(high) || std::fabs(low) > 1e12
        || std::fabs(high) > 1e12)
        return {};
    if (high <= low)
        high = low + 1;
    const double step = roundTickStep(low, high, maxCount);
    return { std::floor(low / step) * step, std::ceil(high / step) * step, step };
}

DecayFrame decayFrame(int boxSize, int margin, int leftRoom, int bottomRoom, int rightRoom,
    const TemperatureAxis &axis)
{
    DecayFrame frame;
    frame.left = margin + leftRoom;
    frame.right = boxSize - 1 - std::max(margin, rightRoom);
    // Half the height of the number 1 stands above the top.
    frame.top = std::max(margin, 6);
    frame.bottom = boxSize - 1 - margin - bottomRoom;
    frame.axis = axis;
    return frame;
}

std::optional<int> decayX(const DecayFrame &frame, double temperature)
{
    const double span = frame.axis.high - frame.axis.low;
    if (!(span > 0))
        return std::nullopt;
    const std::optional<int> dx
        = floorPixel((temperature - frame.axis.low) / span * (frame.right - frame.left));
    if (!dx)
        return std::nullopt;
    return frame.left + *dx;
}

std::optional<int> decayY(const DecayFrame &frame, double ratio)
{
    const std::optional<int> dy = floorPixel(ratio * (frame.bottom - frame.top));
    if (!dy)
        return std::nullopt;
    return frame.bottom - *dy;
}

double largestLength(const ResultSeriesEntry &steps)
{
    double longest = 0;
    for (const TResultVectors &step : steps)
        longest = std::max(longest, step.Length());
    return longest;
}

} // namespace Demagora
