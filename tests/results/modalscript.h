#pragma once

#include "results/tfrm_choosefile.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace Demagora::Testing {

// Runs action on the modal dialog as soon as its event loop turns, and closes any modal
// window still open after five seconds, so that a test can fail but never hang.
class ModalScript
{
public:
    explicit ModalScript(std::function<void(Tfrm_chooseFile &)> action)
    {
        QTimer::singleShot(0, [action] {
            if (auto *dialog = qobject_cast<Tfrm_chooseFile *>(QApplication::activeModalWidget()))
                action(*dialog);
        });
        m_safety.setSingleShot(true);
        QObject::connect(&m_safety, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_safety.start(5000);
    }

private:
    QTimer m_safety;
};

} // namespace Demagora::Testing
