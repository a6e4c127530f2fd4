#pragma once

#include "model/populations.h"
#include "model/tvector.h"

#include <array>
#include <cstdint>
#include <cmath>
#include <optional>
#include <vector>

namespace Demagora {

// Geometry and scales of the diagram window's four panels, as pure functions of the window
// width and the model. The renderer, the window and the tests share them.

constexpr int ToolBarHeight = 24; // pixels above the panels
constexpr int PanelRowGap = 10; // pixels between the upper and the lower row of panels
constexpr int MinimumWindowWidth = 370;
constexpr int InitialWindowWidth = 700;

struct PixelPoint
{
    int x = 0;
    int y = 0;

    bool operator==(const PixelPoint &) const = default;
};

// Where the panels stand in the window: columns at 0 and boxSize, rows at the two tops.
struct DiagramLayout
{
    int boxSize = 0;
    int upperTop = ToolBarHeight;
    int lowerTop = 0;
};

struct DiagramScales
{
    int boxSize = 0;
    double vectorScale = 0; // pixels per unit of magnetization
    double heightScale = 0; // pixels per unit of spectrum height
    double tempScale = 0; // pixels per degree
};

// The window keeps its height at width + 24 whatever the user drags.
int windowHeightForWidth(int outerWidth);
// Side of each square panel: width div 2 - 30 (155 at 370, 320 at 700).
int boxSizeForWidth(int outerWidth);
DiagramLayout layoutForWidth(int outerWidth);

// The largest Length() over every step of every series; 0 for no steps.
double maxResultLength(const ResultSeries &series);
// (boxSize div 2) / maxLength, 0 when maxLength is 0.
double vectorScale(int boxSize, double maxLength);
// boxSize over the largest Height (or BlockHigh) of the entered components (member 0 of each
// population). A value that is 0, negative or not finite is left out wherever it stands;
// 0 when no component has a usable value.
double heightScale(int boxSize, const ComponentPopulations &populations);
double tempScale(int boxSize, const ComponentPopulations &populations);
DiagramScales scalesFor(int outerWidth, double maxLength, const ComponentPopulations &populations);

// The x positions of the spectrum panel's temperature ticks. Tenths of the panel; while
// temperatures are labelled (an interval given), the ticks stand under the labels instead,
// at every multiple of the interval, unless they would come closer than MinTickSpacing
// pixels (or the scale is unusable), when the tenths stay.
inline constexpr double MinTickSpacing = 3;
std::vector<int> spectrumTicks(
    int boxSize, double tempScale, std::optional<std::int64_t> labelInterval);

// Values from -PixelLimit up to PixelLimit + 1 have pixels.
inline constexpr double PixelLimit = 1 << 28;

// Floor of a position in pixels; empty when the value is not finite or beyond what a pixel
// coordinate can hold (2^28 either way), so that a blown-up division never reaches the
// painter. Called for every point of a run: inline, and without std::floor, which is a
// library call on the processors the program is built for.
inline std::optional<int> floorPixel(double value)
{
    // False for NaN as well.
    if (!(value >= -PixelLimit && value < PixelLimit + 1))
        return std::nullopt;
    // One less below a negative value that is not whole, without a branch: the signs of a
    // large run's coordinates come in no order the processor could guess.
    const int truncated = static_cast<int>(value);
    return truncated - static_cast<int>(static_cast<double>(truncated) > value);
}

// Pixel of one coordinate (X, Y or Z) of a resulting vector on the vector diagram: the
// floored scaled value from the panel's centre; empty when it cannot be a pixel.
inline std::optional<int> vectorDiagramPixel(double value, double vectorScale, int boxSize)
{
    const std::optional<int> offset = floorPixel(value * vectorScale);
    if (!offset)
        return std::nullopt;
    return boxSize / 2 + *offset;
}

// A step's pixels on the vector diagram (vectorDiagramPixel of X, Y and Z), and whether the
// step has lost all its magnetization: its length is 0 exactly when the sum of the squares
// under its root is.
struct StepPixels
{
    std::optional<int> x, y, z;
    bool zero = false;
};

inline StepPixels stepPixels(const TResultVectors &step, double vectorScale, int boxSize)
{
    return { vectorDiagramPixel(step.X, vectorScale, boxSize),
        vectorDiagramPixel(step.Y, vectorScale, boxSize),
        vectorDiagramPixel(step.Z, vectorScale, boxSize),
        (step.X * step.X + step.Y * step.Y) + step.Z * step.Z == 0 };
}

// Row of a component's spectrum curve at the whole temperature t on a panel of side
// boxSize; empty where the curve is undefined (a Gauss spectrum of zero width).
std::optional<int> spectrumY(
    const TVector &component, std::int64_t t, int boxSize, double heightScale);

// Centre of the symbol of a direction on a stereogram of side boxSize. north and east are
// the parts of a vector of magnitude norm, inclination in degrees. Empty where the projection
// divides by zero (a zero norm).
std::optional<PixelPoint> stereoPosition(
    double north, double east, double inclination, double norm, int boxSize);

// The same on a net of the given radius about the pixel (centre, centre). Inline: the
// stereogram of a large run places every one of its points.
inline std::optional<PixelPoint> inclinationLinearPosition(
    double north, double east, double inclination, double norm, double radius, int centre)
{
    constexpr double DegreesToRadians = 3.14159265358979323846 / 180.0;
    const double k = radius / (norm * std::cos(inclination * DegreesToRadians))
        * (90 - std::fabs(inclination)) / 90;
    if (!std::isfinite(k))
        return std::nullopt;
    const std::optional<int> dx = floorPixel(east * k);
    const std::optional<int> dy = floorPixel(north * k);
    if (!dx || !dy)
        return std::nullopt;
    return PixelPoint { centre + *dx, centre - *dy };
}

// Radius of the net's circle for inclination 10 * i degrees, as an inset from the panel edge.
int netCircleInset(int i, int boxSize);

// Steps between two symbols of the stereogram of resulting vectors: stepCount div
// stereoPointCount, at least 1 so that the sampling always moves on.
std::int64_t stereoSamplingStep(std::int64_t stepCount, std::int32_t stereoPointCount);

} // namespace Demagora
