#pragma once

#include "diagrams/diagramscales.h"
#include "diagrams/diagramviewstate.h"
#include "model/populations.h"

#include <atomic>

namespace Demagora {

class PanelCanvas;
class PanelLabels;

// The intensity panel of the diagram picture: the blocking spectrum dJ/dT of every population
// with the temperature ticks and labels under it, or, as the options choose, the decay curves
// J/J0 of the resulting vectors on their own axes. Used by DiagramRenderer.

// The panel's left and bottom edges, which the spectra stand on; the decay curves draw their
// own axes.
void paintIntensityAxes(PanelCanvas &canvas, const DiagramOptions &options);

// The spectra (with their ticks) or the decay curves of the resulting vectors first..last.
// With clearLabels given, the spectra's temperature labels go there instead of onto the
// canvas. The decay curves give up between vectors once cancelled is set.
void paintIntensityPanel(PanelCanvas &canvas, const ResultSeries &series,
    const ComponentPopulations &populations, const DiagramScales &scales, int first, int last,
    const DiagramViewState &state, PanelLabels *clearLabels = nullptr,
    const std::atomic<bool> *cancelled = nullptr);

// What the panel shows, and the unit of its temperatures, with the axis titles option.
void paintIntensityTitles(PanelCanvas &canvas, const DiagramOptions &options, PanelLabels *labels);

// The panel's legend word, unless the axis titles already stand.
void paintIntensityLegend(PanelCanvas &canvas, const DiagramOptions &options, PanelLabels *labels);

} // namespace Demagora
