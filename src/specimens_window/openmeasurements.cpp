#include "specimens_window/openmeasurements.h"

#include "measurements/measurementreader.h"
#include "prompts/prompts.h"
#include "specimens_window/specimenswindow.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace Demagora {

namespace {

bool holdsStepsOf(const MeasurementSet &set, DemagKind demag)
{
    const Treatment wanted
        = demag == DemagKind::Thermal ? Treatment::Thermal : Treatment::AlternatingField;
    return std::any_of(set.specimens.begin(), set.specimens.end(), [&](const Specimen &specimen) {
        return std::any_of(specimen.steps.begin(), specimen.steps.end(),
            [&](const SpecimenStep &step) { return step.treatment == wanted; });
    });
}

} // namespace

MeasurementOpening::MeasurementOpening(QWidget *parent, QString path,
    std::function<void(const QString &path)> scenarioOpener, ReadOptions options,
    bool demagChosen)
    : QObject(parent)
    , m_parent(parent)
    , m_path(std::move(path))
    , m_scenarioOpener(std::move(scenarioOpener))
{
    m_demagChosen = demagChosen;
    m_progress
        = new QProgressDialog(QStringLiteral("Reading %1...").arg(QFileInfo(m_path).fileName()),
            QStringLiteral("Cancel"), 0, 0, parent);
    m_progress->setWindowTitle(QStringLiteral("Open measurements"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    // Shown only for a reading that lasts.
    m_progress->cancel();
    connect(m_progress, &QProgressDialog::canceled, &m_job, &BackgroundJob::requestStop);
    QTimer::singleShot(150, this, [this] {
        if (m_job.isRunning())
            m_progress->show();
    });
    connect(&m_job, &BackgroundJob::finished, this, &MeasurementOpening::finish);
    m_job.start([this, file = m_path.toStdString(), options, demagChosen](std::stop_token stop) {
        ReadOptions reading = options;
        reading.stop = std::move(stop);
        try {
            m_set = readMeasurements(file, reading);
            m_demag = reading.demag;
            if (!demagChosen && reading.demag == DemagKind::Thermal && holdsAfStepsOnly(*m_set)) {
                reading.demag = DemagKind::AlternatingField;
                m_set = readMeasurements(file, reading);
                m_demag = reading.demag;
            }
        } catch (const ReadStopped &) {
        } catch (const std::exception &error) {
            m_failure = error.what();
        }
    });
}

MeasurementOpening::~MeasurementOpening()
{
    delete m_progress.data();
}

void MeasurementOpening::finish()
{
    if (m_progress)
        m_progress->hide();
    bool opened = false;
    QWidget *parent = m_parent;
    if (m_job.stopRequested()) {
        // Cancelled: nothing to say.
    } else if (!m_failure.empty()) {
        reportError(parent, QString::fromStdString(m_failure));
    } else if (m_set && m_set->specimens.empty()) {
        reportError(parent,
            QStringLiteral("%1 holds no specimen with a step of the NRM or of %2.")
                .arg(m_path,
                    m_demag == DemagKind::Thermal ? QStringLiteral("a thermal demagnetization")
                                                  : QStringLiteral("an AF demagnetization")));
    } else if (m_set && m_demagChosen && !holdsStepsOf(*m_set, m_demag)) {
        reportError(parent,
            QStringLiteral("%1 holds no %2 step beside the NRM.")
                .arg(m_path,
                    m_demag == DemagKind::Thermal ? QStringLiteral("thermal")
                                                  : QStringLiteral("AF")));
    } else if (m_set) {
        auto *window = new SpecimensWindow(
            std::move(*m_set), m_path, m_windowParentSet ? m_windowParent.data() : parent, m_demag);
        window->setScenarioOpener(std::move(m_scenarioOpener));
        emit windowOpened(window);
        window->show();
        opened = true;
    }
    emit done(opened);
    deleteLater();
}

MeasurementOpening *openMeasurements(QWidget *parent, const QString &path,
    std::function<void(const QString &path)> scenarioOpener, std::function<void()> opened)
{
    // The rows a file flags bad are shown as bad steps, which the user may mark good; every
    // repeat is kept, for the window to merge or show (View > Every reading).
    ReadOptions options;
    options.keepFlaggedBad = true;
    options.repeats = RepeatRule::All;
    auto *opening = new MeasurementOpening(parent, path, std::move(scenarioOpener), options);
    if (opened) {
        QObject::connect(
            opening, &MeasurementOpening::done, opening, [opened = std::move(opened)](bool ok) {
                if (ok)
                    opened();
            });
    }
    return opening;
}

} // namespace Demagora
