#include "main_window/runcontroller.h"

#include "main_window/mainwindowrules.h"
#include "model/run.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

namespace Demagora {

// What the GUI thread and one worker share. The worker reports through listener only while
// holding the mutex, and the controller clears listener under the same mutex before it
// lets go of a worker, so no signal is ever sent from a controller that is gone.
struct RunController::Shared
{
    std::mutex mutex;
    std::condition_variable ended;
    RunController *listener = nullptr;
    std::atomic<bool> stop { false };
    bool done = false;
    Outcome outcome;
};

class RunController::Observer : public RunObserver
{
public:
    explicit Observer(std::shared_ptr<Shared> shared)
        : m_shared(std::move(shared))
    { }

    void setMaximum(int maximum) override
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->listener)
            emit m_shared->listener->maximumChanged(maximum);
    }
    void advance() override
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->listener)
            emit m_shared->listener->advanced();
    }
    void reset() override
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->listener)
            emit m_shared->listener->progressReset();
    }
    bool stopRequested() const override { return m_shared->stop.load(); }

private:
    std::shared_ptr<Shared> m_shared;
};

RunController::RunController(QObject *parent)
    : QObject(parent)
{ }

RunController::~RunController()
{
    if (!m_thread.joinable())
        return;
    requestStop();
    if (!waitForFinished(std::chrono::seconds(2)))
        abandon();
}

bool RunController::startRun(ComponentPopulations populations, std::int32_t pointCount,
    std::int32_t runLowTemp, std::int32_t runHighTemp)
{
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();

    m_shared = std::make_shared<Shared>();
    m_shared->listener = this;
    m_running = true;
    m_thread = std::thread([shared = m_shared, populations = std::move(populations), pointCount,
                               runLowTemp, runHighTemp]() mutable {
        Outcome outcome;
        try {
            Observer observer(shared);
            RunDemagnetization(
                pointCount, runLowTemp, runHighTemp, outcome.results, populations, &observer);
            outcome.completed = !shared->stop.load();
        } catch (const std::exception &error) {
            outcome.error = QString::fromStdString(userMessage(error));
        }
        if (!outcome.completed)
            outcome.results.clear();
        outcome.populations = std::move(populations);

        std::lock_guard lock(shared->mutex);
        shared->outcome = std::move(outcome);
        shared->done = true;
        shared->ended.notify_all();
        if (RunController *listener = shared->listener) {
            Shared *run = shared.get();
            QMetaObject::invokeMethod(
                listener, [listener, run] { listener->finishRun(run); }, Qt::QueuedConnection);
        }
    });
    return true;
}

void RunController::requestStop()
{
    if (m_shared)
        m_shared->stop = true;
}

bool RunController::waitForFinished(std::chrono::milliseconds timeout)
{
    if (!m_thread.joinable())
        return true;
    {
        std::unique_lock lock(m_shared->mutex);
        if (!m_shared->ended.wait_for(lock, timeout, [this] { return m_shared->done; }))
            return false;
    }
    m_thread.join();
    return true;
}

void RunController::abandon()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->listener = nullptr;
    }
    m_thread.detach();
    m_running = false;
}

RunController::Outcome RunController::takeOutcome()
{
    return std::exchange(m_outcome, Outcome {});
}

void RunController::finishRun(const Shared *run)
{
    // A run let go of by abandon() may have announced its end before; a later run is not it.
    if (run != m_shared.get() || !m_running)
        return;
    if (m_thread.joinable())
        m_thread.join();
    {
        std::lock_guard lock(m_shared->mutex);
        m_outcome = std::move(m_shared->outcome);
    }
    m_running = false;
    emit runFinished();
}

} // namespace Demagora
