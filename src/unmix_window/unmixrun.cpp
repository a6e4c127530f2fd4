#include "unmix_window/unmixrun.h"

#include "prompts/prompts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace Demagora {

UnmixRun::UnmixRun(QWidget *window, int mostComponents)
    : QObject(window)
    , m_window(window)
{
    m_components = new QComboBox(window);
    m_components->setObjectName(QStringLiteral("CB_components"));
    m_components->addItem(QStringLiteral("Automatic (BIC)"));
    for (int k = 1; k <= mostComponents; ++k)
        m_components->addItem(QString::number(k));
    m_bootstrap = new QSpinBox(window);
    m_bootstrap->setObjectName(QStringLiteral("SE_bootstrap"));
    m_bootstrap->setRange(0, 100000);
    m_bootstrap->setValue(200);
    m_unmix = new QPushButton(QStringLiteral("&Unmix"), window);
    m_unmix->setObjectName(QStringLiteral("btn_unmix"));
    m_unmix->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), window);
    m_cancel->setObjectName(QStringLiteral("btn_cancel"));
    m_progress = new QProgressBar(window);
    m_progress->setObjectName(QStringLiteral("m_progress"));
    m_ticks = new QTimer(this);
    connect(m_ticks, &QTimer::timeout, this, [this] {
        // Busy while the model is chosen; then the refits, counted.
        m_progress->setMaximum(m_total.load());
        m_progress->setValue(m_done.load());
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] { requestStop(); });
    connect(&m_job, &BackgroundJob::finished, this, &UnmixRun::end);
    setRunning(false);
}

UnmixRun::~UnmixRun() = default;

void UnmixRun::addChoices(QHBoxLayout *row)
{
    const auto addLabelled = [&](const QString &caption, QWidget *control) {
        auto *label = new QLabel(caption, m_window);
        label->setBuddy(control);
        row->addWidget(label);
        row->addWidget(control);
    };
    addLabelled(QStringLiteral("&Components:"), m_components);
    addLabelled(QStringLiteral("&Bootstrap:"), m_bootstrap);
}

void UnmixRun::addButtons(QHBoxLayout *row)
{
    row->addWidget(m_unmix);
    row->addWidget(m_progress, 1);
    row->addWidget(m_cancel);
}

int UnmixRun::componentCount() const
{
    return m_components->currentIndex();
}

int UnmixRun::bootstrapCount() const
{
    return m_bootstrap->value();
}

void UnmixRun::setChoices(int components, int bootstrap)
{
    m_components->setCurrentIndex(std::clamp(components, 0, m_components->count() - 1));
    m_bootstrap->setValue(bootstrap);
}

void UnmixRun::setRunning(bool running)
{
    m_unmix->setEnabled(!running);
    m_cancel->setEnabled(running);
    m_components->setEnabled(!running);
    m_bootstrap->setEnabled(!running);
    if (running)
        m_ticks->start(50);
    else
        m_ticks->stop();
    emit runningChanged(running);
}

void UnmixRun::start(Fit fit)
{
    if (isRunning())
        return;
    m_done = 0;
    m_total = 0;
    m_progress->setRange(0, 0);
    setRunning(true);
    m_job.start([this, fit = std::move(fit)](std::stop_token stop) {
        m_failure.clear();
        try {
            fit([stop] { return stop.stop_requested(); },
                [this](int done, int total) {
                    m_done = done;
                    m_total = total;
                });
        } catch (const std::exception &error) {
            m_failure = QString::fromLocal8Bit(error.what());
        }
    });
}

QString UnmixRun::endText(bool cancelled, const QString &failure)
{
    return cancelled ? QStringLiteral("Unmixing cancelled.") : completedErrorText(failure);
}

void UnmixRun::end()
{
    const bool cancelled = m_job.stopRequested();
    m_progress->setRange(0, 1);
    m_progress->setValue(cancelled || !m_failure.isEmpty() ? 0 : 1);
    setRunning(false);
    emit ended(cancelled, m_failure);
}

} // namespace Demagora
