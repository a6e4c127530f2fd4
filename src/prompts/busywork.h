#pragma once

#include "prompts/backgroundjob.h"

#include <QObject>

#include <exception>
#include <functional>

namespace Demagora {

// Work that the user must wait for (rebuilding scattered populations, summing a large report),
// run off the user-interface thread on a BackgroundJob under the busy cursor. Meanwhile the
// program goes on painting but drops the user's input to every window (keys, mouse, wheel,
// closing a window), so nothing the work reads or changes can change under it; then done runs
// on this object's thread with what the work threw, if anything. There is no event loop
// inside: start() returns at once.
class BusyWork : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(std::exception_ptr failure)>;

    explicit BusyWork(QObject *parent = nullptr);
    ~BusyWork() override;

    // False, starting nothing, while earlier work is running.
    bool start(std::function<void()> work, Done done);
    bool isBusy() const { return m_job.isRunning(); }

signals:
    // After done has run.
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void end();

    BackgroundJob m_job;
    Done m_done;
    std::exception_ptr m_failure;
};

} // namespace Demagora
