#pragma once

#include "model/populations.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace Demagora {

class BackgroundJob;

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
    // Stops a run still going and waits for it: a run stops after the member it computes.
    ~RunController() override;

    bool isRunning() const;
    // Starts a run; false (and nothing happens) while another run lasts.
    bool startRun(ComponentPopulations populations, std::int32_t pointCount,
        std::int32_t runLowTemp, std::int32_t runHighTemp);
    // The run ends after the member it is computing; the results of a stopped run are empty.
    void requestStop();
    // Stops a run and waits for it to end, without runFinished: for a window that closes.
    void stopAndWait();
    // The outcome of the last run that ended; valid once runFinished has been emitted.
    Outcome takeOutcome();

signals:
    void maximumChanged(int maximum);
    void advanced();
    void progressReset();
    void runFinished();

private:
    class Observer;

    // Written by the run's worker before it ends, read once runFinished has come.
    Outcome m_outcome;
    std::unique_ptr<BackgroundJob> m_job;
};

} // namespace Demagora
