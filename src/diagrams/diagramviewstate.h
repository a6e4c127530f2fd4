#pragma once

#include "diagrams/diagramoptions.h"

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>

namespace Demagora {

enum class DisplayMode { Multiple, Single };

// What the diagram window shows besides the model: the display mode with the vector chosen
// for single mode, the two toggles, the label interval and the drawing options. Read by
// DiagramRenderer.
struct DiagramViewState
{
    DisplayMode mode = DisplayMode::Multiple;
    int currentVector = 0;
    bool showLegend = false;
    bool showTemperatures = false;
    // Degrees on the spectrum, steps on the vector diagram and the stereogram; labels are
    // drawn only while showTemperatures is set and the interval is present.
    std::optional<std::int64_t> labelInterval = 50;
    QColor faceColour = QColor(240, 240, 240);
    DiagramOptions options;

    bool operator==(const DiagramViewState &) const = default;
};

// The label interval typed by the user: a whole number other than 0, a negative one counting
// as its absolute value. Empty for anything else, which draws the picture without labels.
std::optional<std::int64_t> labelIntervalFromText(const QString &text);

// True when a step index or a temperature carries a label in the given state.
bool isLabelled(std::int64_t value, const DiagramViewState &state);

// What the label of step i of a resulting vector, at the given temperature, reads in the
// state: the step index, or the temperature in whole degrees; empty for a temperature that
// is no whole number of degrees within reach.
std::optional<std::int64_t> labelValue(
    std::int64_t i, double temperature, const DiagramViewState &state);

} // namespace Demagora
