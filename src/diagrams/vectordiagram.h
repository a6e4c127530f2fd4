#pragma once

#include "diagrams/diagramscales.h"
#include "diagrams/diagramviewstate.h"
#include "model/populations.h"

#include <QColor>

#include <atomic>

namespace Demagora {

class PanelCanvas;
class PanelLabels;
class TraceCache;

// The vector diagram of the diagram picture: the path of each resulting vector projected on
// the horizontal plane (blue) and on the vertical plane through north, through east or both
// (red, orange beside red), step by step, with the step labels along the last resulting
// vector. Used by DiagramRenderer.

// The vertical planes a projection choice shows the path on. Shown together, the east-down
// one is told apart by its colour.
struct VerticalPlanes
{
    bool northDown = true;
    bool eastDown = false;

    bool both() const { return northDown && eastDown; }
};
constexpr VerticalPlanes verticalPlanes(VerticalProjection projection)
{
    return { projection != VerticalProjection::East, projection != VerticalProjection::North };
}
// The east-down projection beside the north-down one: apart from red in lightness too.
inline QColor eastBesideNorthColour()
{
    return { 230, 140, 0 };
}

// The two axes through the centre of the panel.
void paintVectorAxes(PanelCanvas &canvas);

// The paths of the resulting vectors first..last, in order, each later segment over the
// earlier ones. With clearLabels given, the labels go there instead of onto the canvas. Gives
// up within long paths once cancelled is set, leaving an incomplete picture. With a cache,
// what the paths before the last vector's were found to be is kept there and taken from there
// by the next call for the same panel, scale and options.
void paintVectorDiagram(PanelCanvas &canvas, const ResultSeries &series,
    const DiagramScales &scales, int first, int last, const DiagramViewState &state,
    PanelLabels *clearLabels = nullptr, const std::atomic<bool> *cancelled = nullptr,
    TraceCache *cache = nullptr);

// The words of the axes' directions. With labels given they go there, to be drawn without
// boxes and without overlapping.
void paintVectorLegend(PanelCanvas &canvas, const DiagramOptions &options, PanelLabels *labels);

} // namespace Demagora
