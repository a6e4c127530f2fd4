#pragma once

#include "document/scenario.h"
#include "unmixing/unmixing.h"

#include <vector>

namespace Demagora {

// The fitted components as a scenario the simulator runs: each a component of its shape,
// direction and blocking range, with its height divided by scaleAPerM, so that measuring the
// run with the same schedule and scale gives the fitted moments back (to within the
// simulator's 0.1-degree slices). Throws UnmixingError for a scale that is not a positive
// finite number and for components the model refuses.
Scenario twinScenario(const std::vector<UnmixComponent> &components, double scaleAPerM);

} // namespace Demagora
