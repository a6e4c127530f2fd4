#pragma once

#include "diagrams/diagramoverlay.h"
#include "model/populations.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace Demagora {

// Opens the diagram window over the results of a run, modally, and destroys it when the user
// closes it. Reports an error instead when there is nothing to draw. An overlay, when given,
// is drawn over the picture. Save picture never replaces openScenario, the open scenario's file.
void showDiagramWindow(QWidget *parent, const ResultSeries &series,
    ComponentPopulations &populations, std::int32_t runLowTemp, std::int32_t stereoPointCount,
    const DiagramOverlay *overlay = nullptr, const QString &openScenario = {});

// Whether a run has left something the diagram window can draw.
bool canShowDiagrams(const ResultSeries &series, const ComponentPopulations &populations);

} // namespace Demagora
