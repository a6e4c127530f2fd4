#include "main_window/measurementexportcommand.h"

#include "main_window/mainwindowrules.h"
#include "main_window/measurementexportdialog.h"
#include "measurements/measurementfiles.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"

#include <QApplication>
#include <QCursor>

#include <exception>

namespace Demagora {

void exportMeasurements(QWidget *parent, const ResultSeries &series, double removedAbove,
    QSettings &store, const std::string &decimalSeparator, const MeasurementExportRunner &runner,
    const QString &openScenario)
{
    if (series.empty()) {
        reportError(parent, QStringLiteral("There is no run to export; calculate one first"));
        return;
    }
    MeasurementExportDialog dialog(store, decimalSeparator, parent);
    dialog.setOpenScenario(openScenario);
    if (!runner(dialog) || !dialog.settings())
        return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    try {
        writeMeasurementFiles(series, *dialog.settings(), dialog.targets(),
            protectedFiles(openScenario), removedAbove);
    } catch (const std::exception &error) {
        QApplication::restoreOverrideCursor();
        reportError(parent, sentence(userMessage(error)));
        return;
    }
    QApplication::restoreOverrideCursor();
}

bool showMeasurementExportDialog(MeasurementExportDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

} // namespace Demagora
