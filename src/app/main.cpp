#include "analysis_window/analysiswindow.h"
#include "diagrams/diagramwindow.h"
#include "main_window/tfrm_1.h"
#include "results/resultwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

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
    mainWindow.setAnalysisOpener(
        [](QWidget *parent, Demagora::ComponentPopulations &populations,
            const Demagora::ResultSeries &series, const Demagora::RunSettings &settings,
            std::optional<double> typedFisherK) {
            // Paint in the analysis window draws the run with the analysis's fits over it.
            auto diagramOpener = [&](QWidget *window, const Demagora::DiagramOverlay &overlay) {
                Demagora::showDiagramWindow(window, series, populations, settings.runLowTemp,
                    settings.stereoPointCount, &overlay);
            };
            Demagora::showAnalysisWindow(parent, populations, series, settings.runLowTemp,
                settings.runHighTemp, typedFisherK, diagramOpener);
        });
    mainWindow.show();

    return application.exec();
}
