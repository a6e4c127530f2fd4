#pragma once

#include "diagrams/diagramviewstate.h"
#include "diagrams/netprojection.h"
#include "model/initialdirections.h"
#include "model/populations.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Demagora {

class PanelCanvas;
class PanelLabels;
class TraceCache;

// The two stereograms of the diagram picture: a net of inclination circles (a polar projection
// linear in inclination, north up, east right), or the equal-area net with declination ticks,
// with one symbol per direction: red pointing down and green pointing up, or filled and open
// when the options ask for the hemisphere by fill. Used by DiagramRenderer.

void paintNet(PanelCanvas &canvas, const NetGeometry &net);
// The legend words of a net: the inclination numbers and the words of the directions. With
// labels given they go there, to be drawn without boxes and without overlapping.
void paintNetWords(PanelCanvas &canvas, const NetGeometry &net, PanelLabels *labels = nullptr);

// Directions of the resulting vectors first..last at about stereoPointCount sampled steps,
// labelled with the step index (or its temperature) along the last resulting vector when
// labels are on. With clearLabels given, the labels go there instead of onto the canvas.
// Gives up between points once cancelled is set, leaving an incomplete picture. With a cache,
// what the symbols before the last vector's were found to be is kept there and taken from
// there by the next call for the same panel and options.
void paintResultStereogram(PanelCanvas &canvas, const ResultSeries &series, int first, int last,
    std::int32_t stereoPointCount, const DiagramViewState &state,
    PanelLabels *clearLabels = nullptr, const std::atomic<bool> *cancelled = nullptr,
    TraceCache *cache = nullptr);

// Directions of the members first..last of every population.
void paintInitialStereogram(PanelCanvas &canvas, const InitialDirections &directions, int first,
    int last, const DiagramOptions &options);

// What the window leaves in the model after drawing: members first..last of every population
// at the temperature runLowTemp, as the initial directions were evaluated.
void setDrawnMembersTemperature(
    ComponentPopulations &populations, int first, int last, std::int32_t runLowTemp);

} // namespace Demagora
