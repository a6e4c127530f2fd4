#include "diagrams/diagramscales.h"

#include "model/paralleltasks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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
    // The first length found stands until a longer one comes, whatever it is: a NaN first
    // stands for good, a NaN later is passed over. The square root rounds correctly and never
    // falls as its argument grows, so the squares under it are compared, and the root of the
    // one found is the length found. Chunks of vectors are searched on every core, each for
    // its first square and its largest by the same comparison, and joined in order as their
    // vectors one by one would have been.
    struct Chunk
    {
        bool any = false;
        double first = 0;
        double largest = -std::numeric_limits<double>::infinity();
    };
    std::size_t points = 0;
    for (const ResultSeriesEntry &entry : series)
        points += entry.size();
    constexpr std::size_t ChunksFrom = 1'000'000;
    const unsigned threads = coreCount();
    const std::size_t chunkCount = points >= ChunksFrom
        ? std::min<std::size_t>(series.size(), 4 * std::size_t { threads })
        : std::min<std::size_t>(series.size(), 1);
    std::vector<Chunk> chunks(chunkCount);
    const auto search = [&](std::size_t c) {
        bool any = false;
        double first = 0;
        double largest = -std::numeric_limits<double>::infinity();
        for (std::size_t member = series.size() * c / chunkCount;
             member < series.size() * (c + 1) / chunkCount; ++member) {
            const ResultSeriesEntry &steps = series[member];
            if (!any && !steps.empty()) {
                first
                    = (steps[0].X * steps[0].X + steps[0].Y * steps[0].Y) + steps[0].Z * steps[0].Z;
                any = true;
            }
            for (const TResultVectors &step : steps) {
                const double square = (step.X * step.X + step.Y * step.Y) + step.Z * step.Z;
                largest = square > largest ? square : largest;
            }
        }
        chunks[c] = { any, first, largest };
    };
    runParallelTasks(
        chunkCount, chunkCount > 1 ? threads : 1, search, [] {}, [] { return false; });
    bool found = false;
    double largest = 0;
    for (const Chunk &chunk : chunks) {
        if (!chunk.any)
            continue;
        if (!found)
            largest = std::isnan(chunk.first) ? chunk.first : chunk.largest;
        else if (chunk.largest > largest)
            largest = chunk.largest;
        found = true;
    }
    return std::sqrt(largest);
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

std::vector<int> spectrumTicks(
    int boxSize, double tempScale, std::optional<std::int64_t> labelInterval)
{
    std::vector<int> ticks;
    if (labelInterval && *labelInterval != 0 && std::isfinite(tempScale) && tempScale > 0) {
        // A negative interval labels what its absolute value does.
        const double interval = std::fabs(static_cast<double>(*labelInterval));
        if (interval * tempScale >= MinTickSpacing) {
            for (double t = 0;; t += interval) {
                const std::optional<int> x = floorPixel(t * tempScale);
                if (!x || *x > boxSize)
                    break;
                ticks.push_back(*x);
            }
            return ticks;
        }
    }
    const int step = boxSize / 10;
    for (int t = 0; t <= boxSize; t += step) {
        ticks.push_back(t);
        if (step <= 0)
            break;
    }
    return ticks;
}

} // namespace Demagora
