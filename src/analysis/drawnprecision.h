#pragma once

#include "model/populations.h"

#include <optional>
#include <vector>

namespace Demagora {

// The precision each population was drawn with, estimated from its scattered members (member 0,
// the component as entered, is left out) as the Fisher's k (N - 1)/(N - R) of their directions;
// infinite when they all agree, absent for a population that was not scattered. It is not the
// typed Fisher's k: the scattering halves every drawn angle, which makes a population about four
// times as tight as the typed k says.
std::vector<std::optional<double>> drawnFisherK(const ComponentPopulations &populations);

} // namespace Demagora
