#include "prompts/busywork.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>

#include <utility>

namespace Demagora {

BusyWork::BusyWork(QObject *parent)
    : QObject(parent)
{
    connect(&m_job, &BackgroundJob::finished, this, &BusyWork::end);
}

BusyWork::~BusyWork()
{
    if (!m_job.isRunning())
        return;
    // The work cannot be stopped midway; it ends before its owner goes.
    m_job.stopAndWait();
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool BusyWork::start(std::function<void()> work, Done done)
{
    if (m_job.isRunning())
        return false;
    m_failure = nullptr;
    m_done = std::move(done);
    m_job.start([this, work = std::move(work)](std::stop_token) {
        try {
            work();
        } catch (...) {
            m_failure = std::current_exception();
        }
    });
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    qApp->installEventFilter(this);
    return true;
}

void BusyWork::end()
{
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    const Done done = std::exchange(m_done, {});
    if (done)
        done(std::exchange(m_failure, nullptr));
    emit finished();
}

bool BusyWork::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::Drop:
        return true;
    case QEvent::Close:
        // A window closed now would go with the data the work is changing.
        event->ignore();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace Demagora
