#pragma once

#include "main_window/componentgrid.h"
#include "main_window/runsettings.h"
#include "model/populations.h"
#include "model/randomsource.h"
#include "model/tvector.h"

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
    std::string sigmaCount = "3";
    std::string fisherK;
    std::string randomPoints;
    std::string heightStdDev;
};

// Everything the user has entered and computed: the component populations, the results of
// the last run, the grid texts and the run settings. The main window and the component
// editor act on it; every command is GUI-free. Commands throw ConversionError or ModelError
// with the user's message at the step that fails; the steps before it stay done.
class ComponentSession
{
public:
    explicit ComponentSession(std::string decimalSeparator = ".");

    const ComponentPopulations &populations() const { return m_populations; }
    ComponentPopulations &populations() { return m_populations; }
    const ResultSeries &results() const { return m_results; }
    const ComponentGrid &grid() const { return m_grid; }
    const RunSettings &settings() const { return m_settings; }
    void setReportKind(ReportKind kind) { m_settings.reportKind = kind; }
    const std::string &decimalSeparator() const { return m_decimalSeparator; }
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }

    // Reads the component, writes its grid row, builds its population and appends it; from
    // the second component on recomputes the run range. Blocking temperatures beyond
    // MaxBlockingTemperature are refused before anything changes. Fisher's k, the number of
    // random points and the spread of heights are read after the grid row is written: when
    // one of them is refused the row stays and is overwritten by the next component.
    void addDirection(
        const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random);

    // Replaces population index with one built from texts (k and the random points read as
    // whole numbers) and rewrites its grid row. Everything is read and checked first, so a
    // refused value leaves the component, its population and its row as they were.
    void changeComponent(int index, const ComponentTexts &texts, const PopulationChoices &choices,
        RandomSource &random);

    // Removes population index and its grid row; the rows below move up.
    void deleteComponent(int index);

    // Empties both lists, the grid and the counter; the run range and report kind stay.
    void clearEverything();
    void EraseLists();

    void discardResults() { m_results.clear(); }
    // Takes the outcome of a run: the populations (their members' current temperatures as
    // the run left them) and the new results.
    void takeRunOutcome(ComponentPopulations populations, ResultSeries results);

private:
    double readDecimal(const std::string &text) const;
    TVector readComponent(const ComponentTexts &texts) const;

    std::string m_decimalSeparator;
    ComponentPopulations m_populations;
    ResultSeries m_results;
    ComponentGrid m_grid;
    RunSettings m_settings;
};

} // namespace Demagora
