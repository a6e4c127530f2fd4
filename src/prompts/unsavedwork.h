#pragma once

class QWidget;

namespace Demagora {

// A window that may hold work not yet saved (a scenario, interpretations). Before the program
// quits, every such window is asked in turn, and none closes unless all may.
class UnsavedWork
{
public:
    virtual ~UnsavedWork() = default;

    // Asks about the unsaved work, if there is any (Save, Discard or Cancel): true when the
    // window may close now.
    virtual bool askAboutUnsavedWork() = 0;
    // Closes the window without asking again, its work saved or discarded by the answer above.
    virtual void closeWithoutAsking() = 0;
};

// Asks the first window, then every other shown window with unsaved work, in turn; the first
// Cancel ends it with every window left as it was. Otherwise every other window with unsaved
// work is closed, and true returned: first may close, and with it the program.
bool settleEveryWindow(UnsavedWork &first);

} // namespace Demagora
