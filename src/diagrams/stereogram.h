#pragma once

#include "diagrams/diagramviewstate.h"
#include "model/populations.h"

#include <cstdint>

namespace Demagora {

class PanelCanvas;

// The two stereograms of the diagram picture: a net of inclination circles (a polar projection
// linear in inclination, north up, east right) with one symbol per direction, red pointing
// down and green pointing up. Used by DiagramRenderer.

void paintNet(PanelCanvas &canvas);
// The net's inclination numbers and the words of the directions.
void paintNetWords(PanelCanvas &canvas);

// Directions of the resulting vectors first..last at about stereoPointCount sampled steps,
// labelled with the step index along the last resulting vector when labels are on.
void paintResultStereogram(PanelCanvas &canvas, const ResultSeries &series, int first, int last,
    std::int32_t stereoPointCount, const DiagramViewState &state);

// Directions of the members first..last of every population, as they stand at runLowTemp.
// Evaluates copies of the members, so the populations stay untouched.
void paintInitialStereogram(PanelCanvas &canvas, const ComponentPopulations &populations, int first,
    int last, std::int32_t runLowTemp);

// What the window leaves in the model after drawing: members first..last of every population
// at the temperature runLowTemp, as the initial directions were evaluated.
void setDrawnMembersTemperature(
    ComponentPopulations &populations, int first, int last, std::int32_t runLowTemp);

} // namespace Demagora
