#include "main_window/componentsession.h"

#include "document/scenariopopulations.h"
#include "model/inputchecks.h"
#include "model/modelerror.h"
#include "text/numbertext.h"

#include <stdexcept>

namespace Demagora {

namespace {

ComponentGrid::Values gridValues(const TVector &component)
{
    return { component.Declination, component.Inclination, component.Height, component.BlockLow,
        component.BlockHigh, component.Remaining(0) };
}

// Every component of the session has a seed of its own, so the shared generator that
// buildPopulation asks for is never drawn from.
Population populationOf(const Scenario &scenario, std::size_t index)
{
    MersenneTwisterSource unused(0);
    return buildPopulation(scenario, index, unused);
}

void computeRange(const ComponentPopulations &populations, RunSettings &settings)
{
    const RunRange range = computeRunRange(populations);
    settings.runLowTemp = range.low;
    settings.runHighTemp = range.high;
    settings.pointCount = range.pointCount;
    settings.stereoPointCount = range.pointCount;
}

} // namespace

ComponentSession::ComponentSession(std::string decimalSeparator)
    : m_decimalSeparator(std::move(decimalSeparator))
{ }

double ComponentSession::readDecimal(const std::string &text, EntryField field) const
{
    m_refusedField = field;
    return parseDecimal(text, m_decimalSeparator);
}

// The boxes are read in this order, so the first bad one is the one reported.
TVector ComponentSession::readComponent(const ComponentTexts &texts) const
{
    TVector component;
    component.Declination = readDecimal(texts.declination, EntryField::Declination);
    component.Inclination = readDecimal(texts.inclination, EntryField::Inclination);
    component.Height = readDecimal(texts.height, EntryField::Height);
    component.BlockLow = readDecimal(texts.blockLow, EntryField::BlockLow);
    component.BlockHigh = readDecimal(texts.blockHigh, EntryField::BlockHigh);
    m_refusedField = EntryField::BlockLow;
    checkBlockingTemperature(component.BlockLow);
    m_refusedField = EntryField::BlockHigh;
    checkBlockingTemperature(component.BlockHigh);
    m_refusedField = EntryField::Height;
    checkHeight(component.Height);
    return component;
}

void ComponentSession::readScattering(const PopulationChoices &choices, bool wholeK,
    bool differentLengths, RandomSource &random, PopulationSettings &settings,
    ComponentDraw &draw) const
{
    m_refusedField = EntryField::FisherK;
    const double k = wholeK ? parseInteger(choices.fisherK)
                            : readDecimal(choices.fisherK, EntryField::FisherK);
    checkFisherK(k);
    m_refusedField = EntryField::RandomPoints;
    const int n = parseInteger(choices.randomPoints);
    checkRandomPoints(n);
    const double heightStdDev = readDecimal(choices.heightStdDev, EntryField::HeightStdDev);
    checkHeightStdDev(heightStdDev);
    settings = { n, k, differentLengths, heightStdDev };
    draw = { k, heightStdDev, drawComponentSeed(random), 0 };
}

// The population settings locked in the main window while components exist: every
// component is scattered alike or none is, as the scenario file holds them.
void ComponentSession::checkScatteredAlike(const std::optional<PopulationSettings> &settings) const
{
    m_refusedField = EntryField::None;
    if (m_scenario.components.empty())
        return;
    const auto &shared = m_scenario.population;
    if (shared.has_value() != settings.has_value()
        || (shared
            && (shared->randomPoints != settings->randomPoints
                || shared->differentLengths != settings->differentLengths)))
        throw ModelError("Every component must be scattered alike: \"multiple ?\", Random "
                         "points and \"different lengths\" stay as they were for the first one");
}

void ComponentSession::addDirection(
    const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random)
{
    const bool differentLengths = choices.differentLengths && choices.multiple;

    TVector component = readComponent(texts);
    m_refusedField = EntryField::None;
    component.SigmaCount = parseInteger(choices.sigmaCount);
    component.Shape = choices.shape;
    component.SetTemperature(component.BlockLow);

    std::optional<PopulationSettings> settings;
    ComponentDraw draw;
    if (choices.multiple) {
        settings.emplace();
        readScattering(choices, false, differentLengths, random, *settings, draw);
    }
    checkScatteredAlike(settings);

    // Everything is read and checked: from here on the command only adds.
    Scenario next = m_scenario;
    if (next.components.empty())
        next.population = settings;
    next.components.push_back(component);
    next.draws.resize(next.components.size() - 1);
    next.draws.push_back(draw);
    Population population = populationOf(next, next.components.size() - 1);

    keepRunPopulations();
    m_scenario = std::move(next);
    m_grid.addToGrid(
        m_settings.componentCounter, m_settings.componentCounter, gridValues(component));
    m_populations.push_back(std::move(population));
    ++m_settings.componentCounter;
    if (m_populations.size() >= 2)
        computeRange(m_populations, m_settings);
}

void ComponentSession::changeComponent(
    int index, const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random)
{
    applyChange(readChange(index, texts, choices, random));
}

ComponentSession::ComponentChange ComponentSession::readChange(
    int index, const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_populations.size())
        throw std::out_of_range("There is no component #" + std::to_string(index + 1));
    const auto i = static_cast<std::size_t>(index);

    ComponentChange change;
    change.index = index;
    change.component = readComponent(texts);
    change.component.SigmaCount = m_scenario.components[i].SigmaCount;
    change.component.Shape = choices.shape;
    change.component.SetTemperature(change.component.BlockLow);

    std::optional<PopulationSettings> settings;
    if (choices.multiple) {
        settings.emplace();
        readScattering(choices, true, choices.differentLengths, random, *settings, change.draw);
    }
    checkScatteredAlike(settings);
    return change;
}

void ComponentSession::applyChange(const ComponentChange &change)
{
    const auto i = static_cast<std::size_t>(change.index);
    Scenario next = m_scenario;
    next.components[i] = change.component;
    next.draws.resize(next.components.size());
    next.draws[i] = change.draw;
    Population population = populationOf(next, i);

    keepRunPopulations();
    m_scenario = std::move(next);
    m_populations[i] = std::move(population);
    m_grid.writeValues(change.index + 1, gridValues(change.component));
}

void ComponentSession::deleteComponent(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_populations.size())
        return;
    keepRunPopulations();
    m_scenario.components.erase(m_scenario.components.begin() + index);
    if (static_cast<std::size_t>(index) < m_scenario.draws.size())
        m_scenario.draws.erase(m_scenario.draws.begin() + index);
    m_populations.erase(m_populations.begin() + index);
    m_grid.removeValues(index + 1);
    --m_settings.componentCounter;
    m_grid.setCell(m_settings.componentCounter, 0, std::string());
}

void ComponentSession::clearEverything()
{
    EraseLists();
    m_scenario = Scenario {};
    m_grid.reset();
    m_settings.componentCounter = 1;
}

void ComponentSession::EraseLists()
{
    // Swapping with empty lists gives their memory back, which clear() would keep.
    ComponentPopulations().swap(m_populations);
    ResultSeries().swap(m_results);
    m_runPopulations.reset();
}

void ComponentSession::takeRunOutcome(ComponentPopulations populations, ResultSeries results)
{
    m_populations = std::move(populations);
    m_results = std::move(results);
    m_runPopulations.reset();
    m_runSettings = m_settings;
}

RunSettings ComponentSession::runSettings() const
{
    RunSettings settings = m_results.empty() ? m_settings : m_runSettings;
    settings.reportKind = m_settings.reportKind;
    return settings;
}

void ComponentSession::keepRunPopulations()
{
    if (!m_results.empty() && !m_runPopulations)
        m_runPopulations = m_populations;
}

Scenario ComponentSession::scenario() const
{
    Scenario scenario = m_scenario;
    scenario.report = m_settings.reportKind;
    return scenario;
}

void ComponentSession::restore(const State &state)
{
    const ReportKind reportKind = m_settings.reportKind;
    m_scenario = state.scenario;
    m_settings = state.settings;
    m_settings.reportKind = reportKind;
    rebuild();
}

void ComponentSession::load(Scenario scenario, RandomSource &random)
{
    const std::uint64_t members = scenario.population
        ? static_cast<std::uint64_t>(scenario.population->randomPoints) + 1
        : 1;
    // The populations are built at once: a scenario whose members alone would fill the
    // memory is refused before.
    const std::uint64_t components = scenario.components.size();
    if (members > MaxRunResultPoints / components) {
        throw ModelError("The scenario is too large to hold: " + std::to_string(components)
            + " components of " + std::to_string(members) + " members each exceed "
            + std::to_string(MaxRunResultPoints) + " members");
    }
    if (needsSharedSeed(scenario))
        pinComponentSeeds(scenario, scenario.seed.value_or(drawComponentSeed(random)));

    State state;
    state.settings = m_settings;
    state.settings.componentCounter = static_cast<std::int32_t>(scenario.components.size()) + 1;
    state.settings.reportKind = scenario.report.value_or(ReportKind::Initial);
    m_settings.reportKind = state.settings.reportKind;
    state.scenario = std::move(scenario);
    state.scenario.report.reset();
    restore(state);
    if (m_populations.size() >= 2)
        computeRange(m_populations, m_settings);
}

void ComponentSession::rebuild()
{
    EraseLists();
    m_grid.reset();
    m_populations.reserve(m_scenario.components.size());
    for (std::size_t i = 0; i < m_scenario.components.size(); ++i) {
        m_populations.push_back(populationOf(m_scenario, i));
        m_grid.addToGrid(
            static_cast<int>(i) + 1, static_cast<int>(i) + 1, gridValues(m_scenario.components[i]));
    }
}

} // namespace Demagora
