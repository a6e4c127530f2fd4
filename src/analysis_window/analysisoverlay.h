#pragma once

#include "analysis/runanalysis.h"
#include "diagrams/diagramoverlay.h"

namespace Demagora {

// The picture's overlay of an analysis: each member's fitted line over the fitted steps
// (none for planes and for members without a fit), each member's fitted great circle for
// planes, and the Fisher mean of the fitted directions (poles) with its alpha95. stepUnit: one
// unit of the model's magnetization in the units of the fitted steps (1 for the run's own
// steps, the A/m scale for measurements); the lines are given in the model's units, as the
// diagrams draw the run.
DiagramOverlay diagramOverlayOf(const RunAnalysis &analysis, double stepUnit = 1);

} // namespace Demagora
