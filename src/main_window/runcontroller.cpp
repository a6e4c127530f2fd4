#include "main_window/runcontroller.h"

#include "main_window/mainwindowrules.h"
#include "model/run.h"
#include "prompts/backgroundjob.h"

#include <exception>
#include <stop_token>
#include <utility>

namespace Demagora {

// Reports the run's progress as the controller's signals, emitted on the worker's thread and
// so queued to the controller's receivers; the controller waits for its worker before it goes.
class RunController::Observer : public RunObserver
{
public:
    Observer(RunController &controller, std::stop_token stop)
        : m_controller(controller)
        , m_stop(std::move(stop))
    { }

    void setMaximum(int maximum) override { emit m_controller.maximumChanged(maximum); }
    void advance() override { emit m_controller.advanced(); }
    void reset() override { emit m_controller.progressReset(); }
    bool stopRequested() const override { return m_stop.stop_requested(); }

private:
    RunController &m_controller;
    std::stop_token m_stop;
};

RunController::RunController(QObject *parent)
    : QObject(parent)
    , m_job(std::make_unique<BackgroundJob>())
{
    connect(m_job.get(), &BackgroundJob::finished, this, &RunController::runFinished);
}

RunController::~RunController()
{
    m_job.reset();
}

bool RunController::isRunning() const
{
    return m_job->isRunning();
}

bool RunController::startRun(ComponentPopulations populations, std::int32_t pointCount,
    std::int32_t runLowTemp, std::int32_t runHighTemp)
{
    if (m_job->isRunning())
        return false;
    m_outcome = {};
    return m_job->start([this, populations = std::move(populations), pointCount, runLowTemp,
                            runHighTemp](std::stop_token stop) mutable {
        Outcome outcome;
        try {
            Observer observer(*this, stop);
            RunDemagnetization(
                pointCount, runLowTemp, runHighTemp, outcome.results, populations, &observer);
            outcome.completed = !stop.stop_requested();
        } catch (const std::exception &error) {
            outcome.error = QString::fromStdString(userMessage(error));
        }
        if (!outcome.completed)
            outcome.results.clear();
        outcome.populations = std::move(populations);
        m_outcome = std::move(outcome);
    });
}

void RunController::requestStop()
{
    m_job->requestStop();
}

void RunController::stopAndWait()
{
    m_job->stopAndWait();
}

RunController::Outcome RunController::takeOutcome()
{
    return std::exchange(m_outcome, Outcome {});
}

} // namespace Demagora
