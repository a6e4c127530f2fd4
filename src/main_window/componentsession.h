#pragma once

#include "document/scenario.h"
#include "main_window/componentgrid.h"
#include "main_window/runsettings.h"
#include "model/populations.h"
#include "model/randomsource.h"
#include "model/tvector.h"

#include <optional>
#include <string>

namespace Demagora {

// The texts typed for one component, as the edit boxes hold them.
struct ComponentTexts
{
    std::string declination;
    std::string inclination;
    std::string height;
    std::string blockLow;
    std::string blockHigh;
};

// The population settings of the main window at the moment a component is added or changed.
struct PopulationChoices
{
    bool multiple = false; // "multiple ?" checked
    bool differentLengths = false; // "different lengths" checked
    SpectrumShape shape = SpectrumShape::Gauss;
    std::string sigmaCount = std::to_string(GaussSigmasEachSide);
    std::string fisherK;
    std::string randomPoints;
    std::string heightStdDev;
};

// The box or setting a refused value was read from, in reading order.
enum class EntryField {
    None,
    Declination,
    Inclination,
    Height,
    BlockLow,
    BlockHigh,
    FisherK,
    RandomPoints,
    HeightStdDev
};

// Everything the user has entered and computed: the scenario (the components as entered and
// how each is scattered), its populations, the results of the last run, the grid texts and the
// run settings. The main window and the component editor act on it; every command is GUI-free.
// Commands read and check every value before they change anything: a refused value throws
// ConversionError or ModelError with the user's message and leaves everything as it was.
class ComponentSession
{
public:
    // What the commands change, kept to undo them: small, as the populations are rebuilt
    // from the components' seeds.
    struct State
    {
        Scenario scenario;
        RunSettings settings;
    };

    explicit ComponentSession(std::string decimalSeparator = ".");

    const ComponentPopulations &populations() const { return m_populations; }
    ComponentPopulations &populations() { return m_populations; }
    const ResultSeries &results() const { return m_results; }
    // The populations and run settings the results were computed from, whatever has been
    // entered since: every window that shows the results reads these, so that a picture never
    // mixes two states. The report kind is the one chosen now.
    const ComponentPopulations &runPopulations() const
    {
        return m_runPopulations ? *m_runPopulations : m_populations;
    }
    ComponentPopulations &runPopulations()
    {
        return m_runPopulations ? *m_runPopulations : m_populations;
    }
    RunSettings runSettings() const;
    const ComponentGrid &grid() const { return m_grid; }
    const RunSettings &settings() const { return m_settings; }
    void setReportKind(ReportKind kind) { m_settings.reportKind = kind; }
    const std::string &decimalSeparator() const { return m_decimalSeparator; }
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }
    // Where the last refused command found its bad value.
    EntryField refusedField() const { return m_refusedField; }

    // Reads and checks the component and, with "multiple ?", Fisher's k, the random points and
    // the spread of heights; then writes its grid row, builds its population from a seed of
    // its own drawn from random and appends it; from the second component on recomputes the
    // run range.
    void addDirection(
        const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random);

    // Replaces population index with one built from texts, with choices.shape (the shape the
    // editor shows), k and the random points read as whole numbers and a new seed, and
    // rewrites its grid row.
    void changeComponent(int index, const ComponentTexts &texts, const PopulationChoices &choices,
        RandomSource &random);
    // changeComponent in two halves: reading and checking the texts, which throws what it
    // refuses and changes nothing, and building the population, which can take seconds.
    struct ComponentChange
    {
        int index = 0;
        TVector component;
        ComponentDraw draw;
    };
    ComponentChange readChange(int index, const ComponentTexts &texts,
        const PopulationChoices &choices, RandomSource &random);
    void applyChange(const ComponentChange &change);

    // Removes population index and its grid row; the rows below move up.
    void deleteComponent(int index);

    // Empties both lists, the grid and the counter; the run range and report kind stay.
    void clearEverything();
    void EraseLists();

    void discardResults()
    {
        m_results.clear();
        m_runPopulations.reset();
    }
    // Takes the outcome of a run: the populations (their members' current temperatures as
    // the run left them) and the new results.
    void takeRunOutcome(ComponentPopulations populations, ResultSeries results);

    // The document as it stands, with the report kind.
    Scenario scenario() const;
    State state() const { return { m_scenario, m_settings }; }
    // Puts back a state: the grid and the populations are rebuilt, the results dropped; the
    // report kind stays.
    void restore(const State &state);
    // Replaces everything with the scenario read from a file, as if its components had been
    // added one by one: the populations equal those the batch builds from the file. Scattered
    // components without a seed of their own get one, from the file's seed or else from
    // random. Throws ModelError for a scenario too large to hold.
    void load(Scenario scenario, RandomSource &random);

private:
    double readDecimal(const std::string &text, EntryField field) const;
    TVector readComponent(const ComponentTexts &texts) const;
    // The population settings and the draw of one component, read from the choices.
    void readScattering(const PopulationChoices &choices, bool wholeK, bool differentLengths,
        RandomSource &random, PopulationSettings &settings, ComponentDraw &draw) const;
    void checkScatteredAlike(const std::optional<PopulationSettings> &settings) const;
    void rebuild();
    // Called before the populations change: results standing keep the populations they were
    // computed from. Copies them only then, so that a run alone holds them once.
    void keepRunPopulations();

    std::string m_decimalSeparator;
    Scenario m_scenario;
    ComponentPopulations m_populations;
    ResultSeries m_results;
    std::optional<ComponentPopulations> m_runPopulations;
    RunSettings m_runSettings;
    ComponentGrid m_grid;
    RunSettings m_settings;
    mutable EntryField m_refusedField = EntryField::None;
};

} // namespace Demagora
