#pragma once

#include "model/populations.h"

#include <QString>

#include <functional>
#include <string>

class QSettings;
class QWidget;

namespace Demagora {

class MeasurementExportDialog;

// Shows the export dialog and returns whether the user chose Export.
using MeasurementExportRunner = std::function<bool(MeasurementExportDialog &dialog)>;

// File > Export measurements: asks for the export in the dialog (its last choices kept in
// store) and writes the measurements of series, all files or none; removedAbove is
// highestBlockHigh of the populations the run was computed from. A refused or failed
// export is reported through the general error handler; nothing is written then. No file of
// the export may replace openScenario, the file of the open scenario (empty when none).
void exportMeasurements(QWidget *parent, const ResultSeries &series, double removedAbove,
    QSettings &store, const std::string &decimalSeparator, const MeasurementExportRunner &runner,
    const QString &openScenario = {});

// The runner of the program: the dialog shown modally.
bool showMeasurementExportDialog(MeasurementExportDialog &dialog);

} // namespace Demagora
