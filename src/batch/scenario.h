#pragma once

#include "model/tvector.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// How every component is scattered into a population.
struct PopulationSettings
{
    std::int32_t randomPoints = 0;
    double fisherK = 0;
    bool differentLengths = false;
    double heightStdDev = 0;
};

// What demagora-batch simulates: the components in file order, built as the main window
// builds them, and how they are scattered.
struct Scenario
{
    std::vector<TVector> components;
    std::optional<PopulationSettings> population; // absent: one member per component
    std::optional<std::uint64_t> seed;
};

// The largest seed a scenario file may hold: every whole number up to it is exact in JSON.
inline constexpr std::uint64_t MaxScenarioSeed = (std::uint64_t { 1 } << 53) - 1;

// Reads a scenario from JSON text; sourceName starts every message. Throws BatchError naming
// the field and value for malformed JSON, missing, unknown or mistyped fields, an unknown
// shape, and values the model refuses (blocking temperatures, Fisher's k, random points).
Scenario parseScenario(std::string_view json, const std::string &sourceName);

// The largest scenario file read: far more than any list of components typed by hand.
inline constexpr std::size_t MaxScenarioFileBytes = 16 * 1024 * 1024;

// Reads the scenario file at path; an unreadable file is a BatchError too.
Scenario readScenarioFile(const std::string &path);

} // namespace Demagora
