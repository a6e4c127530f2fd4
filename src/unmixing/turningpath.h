#pragma once

#include "unmixing/unmixing.h"

#include <vector>

namespace Demagora {

// The largest part of what the steps remove that one component of a fit carries alone: over
// every run of at least MinAloneSteps consecutive steps where the same component's loss to the
// next step (at the last step, what it keeps) is at least AloneLoss of the losses of all, the
// sum of those losses over that of every step. 0 without components or without any loss.
double aloneShare(
    const std::vector<UnmixComponent> &components, const std::vector<double> &temperatures);

inline constexpr int MinAloneSteps = 3;
inline constexpr double AloneLoss = 0.9;

// Whether the direction turns along the whole path rather than between a few components: the
// fit BIC chose needs at least MinTurningComponents, and none of them carries alone more than
// MaxTurningAloneShare of what the steps remove. A magnetization the steps can tell apart
// shows by itself over some stretch of steps, as the low and high ends of nested spectra do;
// components that each only ever share the steps with their neighbours are pieces of one
// direction moving along the path. Two components are never judged so: a path turning between
// two directions is what two overlapping components describe, and the steps cannot tell them
// from a spectrum of directions.
bool turningPath(std::size_t components, double aloneShare);

inline constexpr std::size_t MinTurningComponents = 3;
inline constexpr double MaxTurningAloneShare = 0.2;

} // namespace Demagora
