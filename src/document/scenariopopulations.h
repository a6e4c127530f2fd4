#pragma once

#include "document/scenario.h"
#include "model/populations.h"
#include "model/randomsource.h"

#include <cstdint>

namespace Demagora {

// Builds the population of component index as Add direction builds it: the component alone,
// or scattered with its shape and the population settings (its own Fisher's k and spread of
// heights where it has them), from its own seed or else from shared.
Population buildPopulation(const Scenario &scenario, std::size_t index, RandomSource &shared);

// One population per component, in file order; components without a seed of their own draw
// from shared one after the other.
ComponentPopulations buildPopulations(const Scenario &scenario, RandomSource &shared);

// Gives every scattered component without a seed of its own the seed and skipped draws that
// give it the members buildPopulations draws for it from a generator seeded with sharedSeed.
// Afterwards each component can be rebuilt, changed or removed without touching the others.
void pinComponentSeeds(Scenario &scenario, std::uint64_t sharedSeed);

// Forgets the components' own seeds, so that every member comes from the shared generator.
void dropComponentSeeds(Scenario &scenario);

// Whether some member is drawn from the shared generator: a scattered component without a
// seed of its own.
bool needsSharedSeed(const Scenario &scenario);

// A seed for a new component, drawn from random: every value fits a scenario file.
std::uint64_t drawComponentSeed(RandomSource &random);

} // namespace Demagora
