#pragma once

#include "model/populations.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Demagora {

// Geometry of the decay panel, which shows J/J0 of the resulting vectors against temperature:
// the plot area, the round temperatures of its ticks, and the pixels of a point. Pure
// functions the renderer and the tests share.

// A step of 1, 2 or 5 times a power of ten: the smallest that cuts low..high into at most
// maxCount intervals. At least 1 degree.
double roundTickStep(double low, double high, int maxCount);

// The temperature axis: from the last tick at or below low to the first at or above high,
// with ticks every step.
struct TemperatureAxis
{
    double low = 0;
    double high = 1;
    double step = 1;

    // The tick temperatures, low to high.
    std::vector<double> ticks() const;
};
TemperatureAxis temperatureAxis(double low, double high, int maxCount);

// J/J0 of a step: its length over that of the first step (the NRM), so a curve starts at 1
// and rises above it where a component against the others is removed first. Empty when the
// first length is 0 or either is not finite.
std::optional<double> decayRatio(double length, double firstLength);

// The J/J0 axis: from 0 to top, numbered every step. Up to 1 every 0.5; above, the next
// multiple of the smallest step of 0.5, 1, 2, 4 ... that needs at most six of them.
struct RatioAxis
{
    double top = 1;
    double step = 0.5;

    // The numbered ratios, 0 to top.
    std::vector<double> ticks() const;
};
RatioAxis ratioAxis(double largestRatio);

// The plot area in panel pixels: temperature runs from left to right, J/J0 from 0 at bottom
// to ratioTop at top.
struct DecayFrame
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    TemperatureAxis axis;
    double ratioTop = 1;
};
// leftRoom and bottomRoom hold the numbers of the axes, rightRoom half a number at the last
// tick; margin is the edge room.
DecayFrame decayFrame(int boxSize, int margin, int leftRoom, int bottomRoom, int rightRoom,
    const TemperatureAxis &axis);

std::optional<int> decayX(const DecayFrame &frame, double temperature);
std::optional<int> decayY(const DecayFrame &frame, double ratio);

// The largest J/J0 of the steps; empty for none or a first step without length.
std::optional<double> largestRatio(const ResultSeriesEntry &steps);

} // namespace Demagora
