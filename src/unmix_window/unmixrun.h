#pragma once

#include "prompts/backgroundjob.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QComboBox;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QWidget;

namespace Demagora {

// What both unmix windows share: the choice of the number of components ("Automatic (BIC)",
// then 1 to the most offered) and of the bootstrap refits, Unmix and Cancel, a progress bar fed
// by the fit's counts, and the fit itself on a BackgroundJob, whose end comes back on the
// window's thread.
class UnmixRun : public QObject
{
    Q_OBJECT

public:
    using Progress = std::function<void(int done, int total)>;
    using StopRequested = std::function<bool()>;
    // The fit, run on the worker: it asks stopRequested often and reports its counts to
    // progress; what it throws is its failure.
    using Fit = std::function<void(const StopRequested &stopRequested, const Progress &progress)>;

    UnmixRun(QWidget *window, int mostComponents);
    // The fit stops and is waited for before the window's data it reads goes.
    ~UnmixRun() override;

    QComboBox *components() const { return m_components; }
    QSpinBox *bootstrap() const { return m_bootstrap; }
    // Its clicks are the window's to connect: each window starts its own fit.
    QPushButton *unmixButton() const { return m_unmix; }
    // "Components:" and "Bootstrap:" with their choices; Unmix, the progress bar and Cancel.
    void addChoices(QHBoxLayout *row);
    void addButtons(QHBoxLayout *row);

    // The number of components chosen, 0 for automatic, and the bootstrap refits.
    int componentCount() const;
    int bootstrapCount() const;
    void setChoices(int components, int bootstrap);

    bool isRunning() const { return m_job.isRunning(); }
    // Starts the fit; nothing while one runs.
    void start(Fit fit);
    // Starts run(options) with the options' stopRequested and progress those of the job.
    template <typename Options, typename Run> void start(Options options, Run run)
    {
        start([options, run](const StopRequested &stopRequested, const Progress &progress) mutable {
            options.stopRequested = stopRequested;
            options.progress = progress;
            run(options);
        });
    }
    // The fit that ended, pending, becomes result unless it was cancelled (Cancel discards it,
    // even one that ended while the press was on its way) or failed; whether it did. pending is
    // emptied either way.
    template <typename Result>
    static bool handOver(bool cancelled, const QString &failure, std::optional<Result> &pending,
        std::optional<Result> &result)
    {
        const bool taken = !cancelled && failure.isEmpty() && pending;
        if (taken)
            result = std::move(pending);
        pending.reset();
        return taken;
    }
    void requestStop() { m_job.requestStop(); }
    // What a window says of a fit that gave no result: cancelled, or the message it failed
    // with.
    static QString endText(bool cancelled, const QString &failure);

signals:
    // The fit has ended: cancelled (also one that ended while Cancel was on its way), else
    // failed with the message it threw (empty when it ended well).
    void ended(bool cancelled, const QString &failure);
    // The fit has started or ended: the window enables its own controls.
    void runningChanged(bool running);

private:
    void setRunning(bool running);
    void end();

    QWidget *m_window;
    QComboBox *m_components = nullptr;
    QSpinBox *m_bootstrap = nullptr;
    QPushButton *m_unmix = nullptr;
    QPushButton *m_cancel = nullptr;
    QProgressBar *m_progress = nullptr;
    QTimer *m_ticks = nullptr;
    std::atomic<int> m_done { 0 };
    std::atomic<int> m_total { 0 };
    QString m_failure;
    // Last, so that it goes first: the fit it runs writes the members above.
    BackgroundJob m_job;
};

} // namespace Demagora
