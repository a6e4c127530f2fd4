#include "main_window/commandstate.h"

namespace Demagora {

bool CommandState::isEnabled(Command command) const
{
    if (m_running)
        return false;
    switch (command) {
    case Command::AddDirection:
        return m_addDirection;
    case Command::Calculate:
        return m_calculate;
    case Command::ShowResult:
        return m_showResult;
    case Command::ClearEverything:
        return m_clearEverything;
    case Command::Paint:
        return m_paint;
    case Command::EditComponent:
        return true;
    }
    return false;
}

bool CommandState::isEnabled(Setting setting) const
{
    switch (setting) {
    case Setting::Multiple:
        return m_multiple;
    case Setting::DifferentLengths:
        return m_differentLengths;
    case Setting::RandomPoints:
        return m_randomPoints;
    case Setting::FisherK:
        return m_fisherK;
    case Setting::HeightStdDev:
        return m_heightStdDev;
    }
    return false;
}

void CommandState::blockHighChanged(bool allBoxesFilled)
{
    m_addDirection = allBoxesFilled;
}

void CommandState::componentAdded(std::size_t populationCount)
{
    m_calculate = populationCount > 1;
    const bool noComponent = populationCount == 0;
    m_multiple = noComponent;
    m_randomPoints = noComponent;
    m_differentLengths = noComponent;
}

void CommandState::multipleClicked(bool multipleChecked, bool differentLengthsChecked)
{
    m_randomPoints = multipleChecked;
    m_fisherK = multipleChecked;
    m_differentLengths = multipleChecked;
    m_heightStdDev = m_differentLengths && differentLengthsChecked;
}

void CommandState::differentLengthsClicked(bool differentLengthsChecked)
{
    m_heightStdDev = differentLengthsChecked;
}

void CommandState::runStarted()
{
    m_running = true;
}

void CommandState::runEnded(bool completed)
{
    m_running = false;
    if (!completed) {
        // The old results were discarded when the run started.
        m_showResult = false;
        m_paint = false;
        return;
    }
    m_showResult = true;
    m_paint = true;
    m_clearEverything = true;
    m_addDirection = true;
    m_calculate = true;
}

void CommandState::cleared(bool multipleChecked)
{
    m_paint = false;
    m_showResult = false;
    m_calculate = false;
    m_multiple = true;
    m_randomPoints = true;
    m_differentLengths = multipleChecked;
}

void CommandState::editorClosed()
{
    m_paint = false;
    m_showResult = false;
}

void CommandState::componentsReplaced(
    std::size_t populationCount, bool multipleChecked, bool differentLengthsChecked)
{
    multipleClicked(multipleChecked, differentLengthsChecked);
    if (populationCount == 0)
        cleared(multipleChecked);
    else
        componentAdded(populationCount);
    editorClosed();
}

} // namespace Demagora
