#include "analysis_window/analysiswindow.h"
#include "app/commandline.h"
#include "diagrams/diagramwindow.h"
#include "main_window/scenariodocument.h"
#include "main_window/tfrm_1.h"
#include "results/resultwindow.h"
#include "specimens_window/openmeasurements.h"

#include "version/version.h"

#include <QApplication>
#include <QSettings>
#include <QStringList>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Answers --help and --version, or refuses a bad command line; returns the exit status then.
std::optional<int> answerCommandLine(const Demagora::ProgramCommandLine &commandLine)
{
    using Action = Demagora::ProgramCommandLine::Action;
    switch (commandLine.action) {
    case Action::Help:
        std::cout << Demagora::programUsage();
        return 0;
    case Action::Version:
        std::cout << Demagora::programVersion();
        return 0;
    case Action::Refuse:
        std::cerr << "demagora: " << commandLine.refusal
                  << "\nTry 'demagora --help' for more information.\n";
        return 2;
    case Action::Start:
        break;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help and version need no display, so they are answered before Qt starts.
    const std::vector<std::string> allArguments(argv + 1, argv + argc);
    Demagora::ProgramCommandLine information;
    information.action = Demagora::informationRequest(allArguments);
    if (const std::optional<int> status = answerCommandLine(information))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("demagora"));
    QApplication::setApplicationVersion(QString::fromLatin1(Demagora::ProgramVersion));
    QApplication::setDesktopFileName(QStringLiteral("demagora"));
    // The application object has taken its own options out of argv.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const Demagora::ProgramCommandLine commandLine = Demagora::readProgramCommandLine(arguments);
    if (const std::optional<int> status = answerCommandLine(commandLine))
        return *status;

    Demagora::TFrm_1 mainWindow;
    mainWindow.setMeasurementsOpener(
        [](QWidget *parent, const QString &path,
            std::function<void(const QString &)> scenarioOpener, std::function<void()> opened) {
            Demagora::openMeasurements(parent, path, std::move(scenarioOpener), std::move(opened));
        });
    // No window writes over the open scenario.
    const auto openScenario = [&mainWindow] { return mainWindow.document().filePath(); };
    mainWindow.setResultOpener(
        [openScenario](QWidget *parent, const Demagora::ComponentPopulations &populations,
            const Demagora::ResultSeries &series, const Demagora::RunSettings &settings) {
            Demagora::showResultWindow(parent, populations, series, settings.runLowTemp,
                settings.runHighTemp, settings.reportKind, openScenario());
        });
    mainWindow.setDiagramOpener(
        [openScenario](QWidget *parent, const Demagora::ResultSeries &series,
            Demagora::ComponentPopulations &populations, const Demagora::RunSettings &settings) {
            Demagora::showDiagramWindow(parent, series, populations, settings.runLowTemp,
                settings.stereoPointCount, nullptr, openScenario());
        });

    // The recent files are the one thing kept from one session of the program to the next.
    QApplication::setOrganizationName(QStringLiteral("Demagora"));
    QSettings settings;
    Demagora::ScenarioDocument &document = mainWindow.document();
    document.setRecentFiles(settings.value(QStringLiteral("recentFiles")).toStringList());
    QObject::connect(&document, &Demagora::ScenarioDocument::recentFilesChanged, &application,
        [](const QStringList &files) {
            QSettings().setValue(QStringLiteral("recentFiles"), files);
        });

    mainWindow.setAnalysisOpener(
        [openScenario, &mainWindow](QWidget *parent, Demagora::ComponentPopulations &populations,
            const Demagora::ResultSeries &series, const Demagora::RunSettings &settings,
            std::optional<double> typedFisherK) {
            const QString scenario = openScenario();
            // Paint in the analysis window draws the run with the analysis's fits over it.
            auto diagramOpener = [&](QWidget *window, const Demagora::DiagramOverlay &overlay) {
                Demagora::showDiagramWindow(window, series, populations, settings.runLowTemp,
                    settings.stereoPointCount, &overlay, scenario);
            };
            Demagora::showAnalysisWindow(parent, populations, series, settings.runLowTemp,
                settings.runHighTemp, typedFisherK, diagramOpener, scenario,
                [&mainWindow](const QString &path) { mainWindow.openOtherScenario(path); });
        });
    mainWindow.show();
    // A scenario that cannot be read is reported; the window then stays empty.
    if (commandLine.scenarioPath)
        mainWindow.openFile(QString::fromStdString(*commandLine.scenarioPath));

    return application.exec();
}
