#include "diagrams/diagramwindow.h"
#include "main_window/mainmenu.h"
#include "main_window/scenariodocument.h"
#include "main_window/tfrm_1.h"
#include "results/resultwindow.h"

#include <QApplication>
#include <QSettings>
#include <QStringList>

// demagora [SCENARIO.json]: the main window, with the scenario given opened in it.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Demagora"));
    QApplication::setApplicationName(QStringLiteral("Demagora"));

    Demagora::TFrm_1 mainWindow;
    mainWindow.setResultOpener(
        [](QWidget *parent, const Demagora::ComponentPopulations &populations,
            const Demagora::ResultSeries &series, const Demagora::RunSettings &settings) {
            Demagora::showResultWindow(parent, populations, series, settings.runLowTemp,
                settings.runHighTemp, settings.reportKind);
        });
    mainWindow.setDiagramOpener(
        [](QWidget *parent, const Demagora::ResultSeries &series,
            Demagora::ComponentPopulations &populations, const Demagora::RunSettings &settings) {
            Demagora::showDiagramWindow(
                parent, series, populations, settings.runLowTemp, settings.stereoPointCount);
        });

    // The recent files are the one thing kept from one session of the program to the next.
    QSettings settings;
    Demagora::ScenarioDocument &document = mainWindow.document();
    document.setRecentFiles(settings.value(QStringLiteral("recentFiles")).toStringList());
    QObject::connect(&document, &Demagora::ScenarioDocument::recentFilesChanged, &application,
        [](const QStringList &files) {
            QSettings().setValue(QStringLiteral("recentFiles"), files);
        });

    mainWindow.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        mainWindow.openFile(arguments.at(1));

    return application.exec();
}
