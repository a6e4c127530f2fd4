#include "prompts/backgroundjob.h"

#include <QMetaObject>

namespace Demagora {

BackgroundJob::BackgroundJob(QObject *parent)
    : QObject(parent)
{ }

// The thread's destructor asks the work to stop and waits for it; the finish the work queued
// is dropped with this object.
BackgroundJob::~BackgroundJob() = default;

bool BackgroundJob::start(std::function<void(std::stop_token stop)> work)
{
    if (m_running)
        return false;
    m_running = true;
    const unsigned job = ++m_started;
    m_thread = std::jthread([this, job, work = std::move(work)](std::stop_token stop) {
        work(stop);
        // Queued to this object's thread: by the time it runs, the work has returned, so the
        // join waits at most for the thread's last instructions.
        QMetaObject::invokeMethod(
            this,
            [this, job] {
                if (job != m_started || !m_running)
                    return;
                m_thread.join();
                m_running = false;
                emit finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void BackgroundJob::requestStop()
{
    m_thread.request_stop();
}

void BackgroundJob::stopAndWait()
{
    if (!m_running)
        return;
    m_thread.request_stop();
    m_thread.join();
    m_running = false;
}

bool BackgroundJob::stopRequested() const
{
    return m_thread.get_stop_token().stop_requested();
}

} // namespace Demagora
