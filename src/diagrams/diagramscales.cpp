#include "diagrams/diagramscales.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Demagora {

namespace {

// The decimal constants of the spectrum curve, kept as written so that the curve lands on
// the same pixels as the blocking spectrum it shows.
constexpr double CurveBase = 2.71828;
constexpr double CurveNormalisation = 2.506628274631;

// The scale of one entered component's value: the smallest quotient boxSize / value over the
// components. A value that is 0, negative or not finite has no scale to give: wherever it
// stands it is left out, so that one nonsense value cannot empty or overturn the panel for
// every other curve. Without any usable value the scale is 0.
template <typename Value>
double smallestQuotient(int boxSize, const ComponentPopulations &populations, Value value)
{
    std::optional<double> scale;
    for (const Population &population : populations) {
        if (population.empty())
            continue;
        const double v = value(population.front());
        if (!std::isfinite(v) || !(v > 0))
            continue;
        const double candidate = boxSize / v;
        if (!scale || candidate < *scale)
            scale = candidate;
    }
    return scale.value_or(0);
}

} // namespace

int windowHeightForWidth(int outerWidth)
{
    return outerWidth + ToolBarHeight;
}

int boxSizeForWidth(int outerWidth)
{
    return outerWidth / 2 - 30;
}

DiagramLayout layoutForWidth(int outerWidth)
{
    DiagramLayout layout;
    layout.boxSize = boxSizeForWidth(outerWidth);
    layout.upperTop = ToolBarHeight;
    layout.lowerTop = layout.upperTop + layout.boxSize + PanelRowGap;
    return layout;
}

double maxResultLength(const ResultSeries &series)
{
    double longest = 0;
    bool first = true;
    for (const ResultSeriesEntry &entry : series) {
        for (const TResultVectors &step : entry) {
            const double length = step.Length();
            if (first || length > longest)
                longest = length;
            first = false;
        }
    }
    return longest;
}

double vectorScale(int boxSize, double maxLength)
{
    if (maxLength == 0)
        return 0;
    return static_cast<double>(boxSize / 2) / maxLength;
}

double heightScale(int boxSize, const ComponentPopulations &populations)
{
    return smallestQuotient(boxSize, populations, [](const TVector &v) { return v.Height; });
}

double tempScale(int boxSize, const ComponentPopulations &populations)
{
    return smallestQuotient(boxSize, populations, [](const TVector &v) { return v.BlockHigh; });
}

DiagramScales scalesFor(int outerWidth, double maxLength, const ComponentPopulations &populations)
{
    DiagramScales scales;
    scales.boxSize = boxSizeForWidth(outerWidth);
    scales.vectorScale = vectorScale(scales.boxSize, maxLength);
    scales.heightScale = heightScale(scales.boxSize, populations);
    scales.tempScale = tempScale(scales.boxSize, populations);
    return scales;
}

std::optional<int> spectrumY(
    const TVector &component, std::int64_t t, int boxSize, double heightScale)
{
    const double bottom = boxSize;
    if (component.Shape != SpectrumShape::Gauss)
        return floorPixel(bottom - heightScale * component.Height);
    const double sigma = component.Sigma();
    const double z = (static_cast<double>(t) - component.Midpoint()) / sigma;
    const double g = std::pow(CurveBase, -(z * z) / 2);
    return floorPixel(
        bottom - g * (1 / (sigma * CurveNormalisation)) * (component.Amplitude() * heightScale));
}

std::optional<PixelPoint> stereoPosition(
    double north, double east, double inclination, double norm, int boxSize)
{
    return inclinationLinearPosition(north, east, inclination, norm, boxSize / 2.0, boxSize / 2);
}

int netCircleInset(int i, int boxSize)
{
    return static_cast<int>(std::floor(i * (boxSize / 18.0)));
}

std::int64_t stereoSamplingStep(std::int64_t stepCount, std::int32_t stereoPointCount)
{
    if (stereoPointCount < 1)
        return 1;
    return std::max<std::int64_t>(1, stepCount / stereoPointCount);
}

} // namespace Demagora
