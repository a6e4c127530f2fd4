#pragma once

#include "model/tvector.h"
#include "model/usererror.h"
#include "results/reportkind.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// A scenario that cannot be read or written. The message names the file, the field and the
// value; the batch tool prints it, the main window shows it.
using ScenarioError = UserError<struct ScenarioLayer>;

// How every component is scattered into a population.
struct PopulationSettings
{
    std::int32_t randomPoints = 0;
    double fisherK = 0;
    bool differentLengths = false;
    double heightStdDev = 0;

    bool operator==(const PopulationSettings &) const = default;
};

// How one component's members are drawn, where it differs from the shared settings. With a
// seed the members come from a generator of their own, seeded with it, after skippedDraws
// numbers; so the component can be rebuilt alone, whatever comes before it. Without one they
// come from the run's shared generator, in file order.
struct ComponentDraw
{
    std::optional<double> fisherK;
    std::optional<double> heightStdDev;
    std::optional<std::uint64_t> seed;
    std::uint64_t skippedDraws = 0;

    bool operator==(const ComponentDraw &) const = default;
};

// What demagora-batch simulates and the main window saves: the components in file order,
// built as the main window builds them, and how they are scattered.
struct Scenario
{
    std::vector<TVector> components;
    std::vector<ComponentDraw> draws; // empty, or one per component
    std::optional<PopulationSettings> population; // absent: one member per component
    std::optional<std::uint64_t> seed;
    std::optional<ReportKind> report; // the report the result table shows

    // The draw settings of component index; none when the scenario holds none.
    ComponentDraw draw(std::size_t index) const
    {
        return index < draws.size() ? draws[index] : ComponentDraw {};
    }
};

// The format version written; files without a version are version 1 (components,
// population and seed only).
inline constexpr int ScenarioVersion = 2;

// The largest seed a scenario file may hold: every whole number up to it is exact in JSON.
inline constexpr std::uint64_t MaxScenarioSeed = (std::uint64_t { 1 } << 53) - 1;

// The most numbers the components of a scenario may skip before their members, all
// together: each skipped number costs about as much as drawing it (a billion, five seconds),
// and a scenario of the largest populations skips far fewer.
inline constexpr std::uint64_t MaxSkippedDraws = 1'000'000'000;

// Reads a scenario from JSON text; sourceName starts every message. Throws ScenarioError
// naming the field and value for malformed JSON, missing, unknown or mistyped fields, an
// unknown shape or report, a version newer than this program reads, and values the model
// refuses (blocking temperatures, heights, Fisher's k, random points).
Scenario parseScenario(std::string_view json, const std::string &sourceName);

// The largest scenario file read: far more than any list of components typed by hand.
inline constexpr std::size_t MaxScenarioFileBytes = 16 * 1024 * 1024;

// Reads the scenario file at path; an unreadable file is a ScenarioError too.
Scenario readScenarioFile(const std::string &path);

// Writes scenario as JSON text of the current version, with every real written so that it
// reads back bit for bit. A component's draw settings are written only where they differ
// from the shared ones. Throws ScenarioError for a scenario without components.
void writeScenario(std::ostream &out, const Scenario &scenario);

} // namespace Demagora
