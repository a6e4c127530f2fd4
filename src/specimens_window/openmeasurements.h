#pragma once

#include "measurements/measurementset.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace Demagora {

// Reads a measurement file on a worker thread while a progress dialog with Cancel stands
// over parent, so that a large file never freezes the window. Empty when the user cancelled
// or the file was refused; a refusal is shown with the reader's message, which names the
// file and the line.
std::optional<MeasurementSet> readMeasurementsInBackground(
    QWidget *parent, const QString &path, const ReadOptions &options = {});

// Reads the file and opens a specimens window over it; false when nothing was opened.
// scenarioOpener opens the twins its unmix windows save in the main window.
bool openMeasurements(QWidget *parent, const QString &path,
    std::function<void(const QString &path)> scenarioOpener = {});

} // namespace Demagora
