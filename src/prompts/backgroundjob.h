#pragma once

#include <QObject>

#include <functional>
#include <stop_token>
#include <thread>

namespace Demagora {

// Work off the user-interface thread, one job at a time, on a thread of its own. The work is
// given a stop token, which requestStop() sets, and so does the destructor, which then waits
// for the work to end: work that checks its token often ends within moments, and nothing it
// reads or reports to can go before it has. finished() comes on this object's thread once the
// work has ended; its results, handed over before, may be read there.
class BackgroundJob : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundJob(QObject *parent = nullptr);
    ~BackgroundJob() override;

    // Starts the work; false, starting nothing, while a job is running.
    bool start(std::function<void(std::stop_token stop)> work);
    void requestStop();
    // Asks the work to stop and waits for it here, for an owner that must not go on while it
    // runs (a window closing); the job's finished() is not emitted.
    void stopAndWait();
    // From start() until finished() is emitted.
    bool isRunning() const { return m_running; }
    // Whether the job running (or the last one) was asked to stop.
    bool stopRequested() const;

signals:
    void finished();

private:
    std::jthread m_thread;
    bool m_running = false;
    // Counts the jobs started, so that the end a stopped-and-waited job queued is ignored.
    unsigned m_started = 0;
};

} // namespace Demagora
