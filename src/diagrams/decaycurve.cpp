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

std::optional<double> decayRatio(double length, double firstLength)
{
    if (!(firstLength > 0) || !std::isfinite(firstLength) || !std::isfinite(length))
        return std::nullopt;
    return length / firstLength;
}

std::vector<double> RatioAxis::ticks() const
{
    std::vector<double> result;
    const long count = std::lround(top / step);
    for (long i = 0; i <= count; ++i)
        result.push_back(static_cast<double>(i) * step);
    return result;
}

RatioAxis ratioAxis(double largestRatio)
{
    // A ratio beyond any sensible run (a first step all but 0) keeps the axis at 1; its
    // curve then leaves the frame and is cut.
    if (!std::isfinite(largestRatio) || largestRatio <= 1 || largestRatio > 1e6)
        return {};
    RatioAxis axis;
    while (std::ceil(largestRatio / axis.step) > 6)
        axis.step *= 2;
    axis.top = std::ceil(largestRatio / axis.step) * axis.step;
    return axis;
}

std::optional<int> decayY(const DecayFrame &frame, double ratio)
{
    // Dividing by a ratioTop of 1 changes no bit of the ratio.
    const std::optional<int> dy = floorPixel(ratio / frame.ratioTop * (frame.bottom - frame.top));
    if (!dy)
        return std::nullopt;
    return frame.bottom - *dy;
}

std::optional<double> largestRatio(const ResultSeriesEntry &steps)
{
    if (steps.empty())
        return std::nullopt;
    double longest = 0;
    for (const TResultVectors &step : steps)
        longest = std::max(longest, step.Length());
    return decayRatio(longest, steps.front().Length());
}

} // namespace Demagora
