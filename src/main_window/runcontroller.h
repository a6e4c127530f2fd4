#pragma once

#include "model/populations.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace Demagora {

// Runs the demagnetization on a worker thread, over its own copy of the populations, so the
// main window stays responsive. The run's progress arrives as queued signals on the thread
// that owns the controller; runFinished says the outcome can be taken.
class RunController : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        bool completed = false; // false when stopped or refused
        ComponentPopulations populations; // as the run left them
        ResultSeries results;
        QString error; // the model's refusal, empty otherwise
    };

    explicit RunController(QObject *parent = nullptr);
    // Stops a run still going and waits for it briefly; see abandon().
    ~RunController() override;

    bool isRunning() const { return m_running; }
    // Starts a run; false (and nothing happens) while another run lasts.
    bool startRun(ComponentPopulations populations, std::int32_t pointCount,
        std::int32_t runLowTemp, std::int32_t runHighTemp);
    // The run ends after the member it is computing; the results of a stopped run are empty.
    void requestStop();
    // Blocks until the worker has ended or timeout has passed; true when it has ended.
    bool waitForFinished(std::chrono::milliseconds timeout);
    // Lets a worker that does not end in time finish on its own: it reports nothing more
    // and drops its results.
    void abandon();
    // The outcome of the last run that ended; valid once runFinished has been emitted.
    Outcome takeOutcome();

signals:
    void maximumChanged(int maximum);
    void advanced();
    void progressReset();
    void runFinished();

private:
    struct Shared;
    class Observer;

    void finishRun(const Shared *run);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_running = false;
    Outcome m_outcome;
};

} // namespace Demagora
