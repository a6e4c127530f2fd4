#include "prompts/unsavedwork.h"

#include <QApplication>
#include <QWidget>

#include <vector>

namespace Demagora {

bool settleEveryWindow(UnsavedWork &first)
{
    if (!first.askAboutUnsavedWork())
        return false;
    std::vector<UnsavedWork *> others;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *work = dynamic_cast<UnsavedWork *>(widget);
        if (work && work != &first && widget->isVisible())
            others.push_back(work);
    }
    // Nothing closes before every answer is in: a Cancel leaves every window open, and the
    // windows answered Discard before it ask again when they are closed later.
    for (UnsavedWork *work : others)
        if (!work->askAboutUnsavedWork())
            return false;
    for (UnsavedWork *work : others)
        work->closeWithoutAsking();
    return true;
}

} // namespace Demagora
