#pragma once

#include "analysis/runanalysis.h"
#include "diagrams/diagramoverlay.h"

namespace Demagora {

// The picture's overlay of an analysis: each member's fitted line over the fitted steps
// (none for planes and for members without a fit), each member's fitted great circle for
// planes, and the Fisher mean of the fitted directions (poles) with its alpha95.
DiagramOverlay diagramOverlayOf(const RunAnalysis &analysis);

} // namespace Demagora
