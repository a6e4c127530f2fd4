#include "main_window/componentsession.h"

#include "model/inputchecks.h"
#include "model/scatter.h"
#include "text/numbertext.h"

#include <stdexcept>

namespace Demagora {

namespace {

ComponentGrid::Values gridValues(const TVector &component, double length)
{
    return { component.Declination, component.Inclination, component.Height, component.BlockLow,
        component.BlockHigh, length };
}

} // namespace

ComponentSession::ComponentSession(std::string decimalSeparator)
    : m_decimalSeparator(std::move(decimalSeparator))
{ }

double ComponentSession::readDecimal(const std::string &text) const
{
    return parseDecimal(text, m_decimalSeparator);
}

// The boxes are read in this order, so the first bad one is the one reported.
TVector ComponentSession::readComponent(const ComponentTexts &texts) const
{
    TVector component;
    component.Declination = readDecimal(texts.declination);
    component.Inclination = readDecimal(texts.inclination);
    component.Height = readDecimal(texts.height);
    component.BlockLow = readDecimal(texts.blockLow);
    component.BlockHigh = readDecimal(texts.blockHigh);
    checkBlockingTemperature(component.BlockLow);
    checkBlockingTemperature(component.BlockHigh);
    checkHeight(component.Height);
    return component;
}

void ComponentSession::addDirection(
    const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random)
{
    const bool differentLengths = choices.differentLengths && choices.multiple;

    TVector component = readComponent(texts);
    component.SigmaCount = parseInteger(choices.sigmaCount);
    component.Shape = choices.shape;
    component.SetTemperature(component.BlockLow);

    const double length = component.Remaining(0);
    m_grid.addToGrid(
        m_settings.componentCounter, m_settings.componentCounter, gridValues(component, length));

    Population population;
    if (choices.multiple) {
        const double k = readDecimal(choices.fisherK);
        checkFisherK(k);
        const int n = parseInteger(choices.randomPoints);
        checkRandomPoints(n);
        const double heightStdDev = readDecimal(choices.heightStdDev);
        checkHeightStdDev(heightStdDev);
        ScatterComponent(
            component, n, population, choices.shape, differentLengths, k, heightStdDev, random);
    } else {
        population.push_back(component);
    }
    m_populations.push_back(std::move(population));
    ++m_settings.componentCounter;

    if (m_populations.size() >= 2) {
        const RunRange range = computeRunRange(m_populations);
        m_settings.runLowTemp = range.low;
        m_settings.runHighTemp = range.high;
        m_settings.pointCount = range.pointCount;
        m_settings.stereoPointCount = range.pointCount;
    }
}

void ComponentSession::changeComponent(
    int index, const ComponentTexts &texts, const PopulationChoices &choices, RandomSource &random)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_populations.size())
        throw std::out_of_range("There is no component #" + std::to_string(index + 1));

    TVector component = readComponent(texts);
    component.SigmaCount = m_populations[static_cast<std::size_t>(index)].front().SigmaCount;
    component.Shape = choices.shape;

    // Read before the old population goes, so that a refused value loses nothing.
    Population population;
    if (choices.multiple) {
        const std::int32_t k = parseInteger(choices.fisherK);
        checkFisherK(k);
        const std::int32_t n = parseInteger(choices.randomPoints);
        checkRandomPoints(n);
        const double heightStdDev = readDecimal(choices.heightStdDev);
        checkHeightStdDev(heightStdDev);
        ScatterComponent(component, n, population, choices.shape, choices.differentLengths, k,
            heightStdDev, random);
    } else {
        population.push_back(component);
    }

    m_populations[static_cast<std::size_t>(index)] = std::move(population);
    m_grid.writeValues(index + 1, gridValues(component, component.Remaining(0)));
}

void ComponentSession::deleteComponent(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_populations.size())
        return;
    m_populations.erase(m_populations.begin() + index);
    m_grid.removeValues(index + 1);
    --m_settings.componentCounter;
    m_grid.setCell(m_settings.componentCounter, 0, std::string());
}

void ComponentSession::clearEverything()
{
    EraseLists();
    m_grid.reset();
    m_settings.componentCounter = 1;
}

void ComponentSession::EraseLists()
{
    // Swapping with empty lists gives their memory back, which clear() would keep.
    ComponentPopulations().swap(m_populations);
    ResultSeries().swap(m_results);
}

void ComponentSession::takeRunOutcome(ComponentPopulations populations, ResultSeries results)
{
    m_populations = std::move(populations);
    m_results = std::move(results);
}

} // namespace Demagora
