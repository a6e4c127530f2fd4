#include "specimens_window/openmeasurements.h"

#include "measurements/formattable.h"
#include "measurements/measurementreader.h"
#include "prompts/prompts.h"
#include "specimens_window/specimenswindow.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <exception>
#include <future>
#include <stop_token>
#include <thread>

namespace Demagora {

std::optional<MeasurementSet> readMeasurementsInBackground(
    QWidget *parent, const QString &path, const ReadOptions &options)
{
    std::packaged_task<MeasurementSet(std::stop_token)> task(
        [file = path.toStdString(), options](std::stop_token stop) {
            ReadOptions reading = options;
            reading.stop = std::move(stop);
            return readMeasurements(file, reading);
        });
    std::future<MeasurementSet> result = task.get_future();
    // Every way out of here asks the reading to stop and waits for it: a cancelled reading
    // stops within a thousand rows, and no thread outlives the window that asked for it.
    std::jthread worker(std::move(task));

    if (result.wait_for(std::chrono::milliseconds(150)) != std::future_status::ready) {
        QProgressDialog progress(QStringLiteral("Reading %1...").arg(QFileInfo(path).fileName()),
            QStringLiteral("Cancel"), 0, 0, parent);
        progress.setWindowTitle(QStringLiteral("Open measurements"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                loop.quit();
        });
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
        poll.start(30);
        progress.show();
        loop.exec();
        if (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return std::nullopt;
    }
    try {
        return result.get();
    } catch (const std::exception &error) {
        reportError(parent, QString::fromStdString(error.what()));
    }
    return std::nullopt;
}

bool openMeasurements(
    QWidget *parent, const QString &path, std::function<void(const QString &path)> scenarioOpener)
{
    std::optional<MeasurementSet> set = readMeasurementsInBackground(parent, path);
    if (!set)
        return false;
    if (set->specimens.empty()) {
        reportError(parent,
            QStringLiteral("%1 holds no specimen with a step of the NRM or a thermal "
                           "demagnetization.")
                .arg(path));
        return false;
    }
    auto *window = new SpecimensWindow(std::move(*set), path, parent);
    window->setScenarioOpener(std::move(scenarioOpener));
    window->show();
    return true;
}

} // namespace Demagora
