#pragma once

#include <cstddef>

namespace Demagora {

enum class Command { AddDirection, Calculate, ShowResult, ClearEverything, Paint, EditComponent };
enum class Setting { Multiple, DifferentLengths, RandomPoints, FisherK, HeightStdDev };

// Which commands and population settings of the main window are available, driven by the
// window's events. While a run lasts, every command that could change the populations or
// read the results is unavailable, whatever it would be otherwise.
class CommandState
{
public:
    bool isEnabled(Command command) const;
    bool isEnabled(Setting setting) const;
    bool isRunning() const { return m_running; }

    // The upper-temperature box changed; allBoxesFilled: all five boxes hold text.
    void blockHighChanged(bool allBoxesFilled);
    void componentAdded(std::size_t populationCount);
    void multipleClicked(bool multipleChecked, bool differentLengthsChecked);
    void differentLengthsClicked(bool differentLengthsChecked);
    void runStarted();
    // completed: the run filled the results. Otherwise the commands are as before the run,
    // except Show result and Paint: the old results are gone.
    void runEnded(bool completed);
    void cleared(bool multipleChecked);
    void editorClosed();
    // The components were replaced (opened, undone or redone): the settings follow the two
    // check marks and the count as after Add direction, or after Clear everything when none
    // is left; the old results are no longer shown.
    void componentsReplaced(
        std::size_t populationCount, bool multipleChecked, bool differentLengthsChecked);

private:
    bool m_addDirection = false;
    bool m_calculate = false;
    bool m_showResult = false;
    bool m_clearEverything = true;
    bool m_paint = false;
    bool m_multiple = true;
    bool m_differentLengths = false;
    bool m_randomPoints = false;
    bool m_fisherK = false;
    bool m_heightStdDev = false;
    bool m_running = false;
};

} // namespace Demagora
