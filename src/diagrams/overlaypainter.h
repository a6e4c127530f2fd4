#pragma once

#include "diagrams/diagramoverlay.h"
#include "diagrams/diagramoptions.h"
#include "diagrams/diagramscales.h"
#include "diagrams/netprojection.h"

namespace Demagora {

class PanelCanvas;

// The fitted lines of the members first..last on the vector diagram, in the horizontal and
// the vertical projections drawn, over the fitted steps only: a wide pale band, painted
// before the paths it lies under.
void paintOverlayLines(PanelCanvas &canvas, const DiagramOverlay &overlay,
    const DiagramScales &scales, int first, int last,
    VerticalProjection projection = VerticalProjection::North);

// The Fisher mean of the fitted directions on a stereogram: a cross, and its alpha95 circle
// as a closed line of points one degree of azimuth apart.
void paintOverlayMean(PanelCanvas &canvas, const DiagramOverlay &overlay, const NetGeometry &net);

// The fitted great circles of the members first..last on a stereogram: the half of each
// circle in the lower hemisphere, the side the net shows.
void paintOverlayCircles(PanelCanvas &canvas, const DiagramOverlay &overlay, const NetGeometry &net,
    int first, int last);

} // namespace Demagora
