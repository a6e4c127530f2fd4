#pragma once

#include "analysis/runanalysis.h"
#include "diagrams/diagramoverlay.h"
#include "measurements/measurementsettings.h"
#include "model/populations.h"

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTableView;
class QTimer;

namespace Demagora {

class BackgroundJob;
class FitTableModel;

// The modal analysis window "Analysis": the fits of every member over an interval of the run,
// with the Fisher statistics of the fitted and of the drawn directions above the table.
// Copy puts summary and table on the clipboard, Save as CSV writes the fits, Paint opens the
// diagram window with the fitted lines and the mean drawn in. Opened by Analyse.
class AnalysisWindow : public QDialog
{
    Q_OBJECT

public:
    // Opens the diagram window over the run with the overlay drawn in.
    using DiagramOpener = std::function<void(QWidget *parent, const DiagramOverlay &overlay)>;
    // Opens a scenario file in the main window.
    using ScenarioOpener = std::function<void(const QString &path)>;

    // typedFisherK: the precision the populations were scattered with, absent when they
    // were not. The run must stay as it is while the window is open.
    AnalysisWindow(const ComponentPopulations &populations, const ResultSeries &series,
        std::int32_t runLowTemp, std::int32_t runHighTemp, std::optional<double> typedFisherK,
        QWidget *parent = nullptr);
    ~AnalysisWindow() override;

    void setDiagramOpener(DiagramOpener opener) { m_diagramOpener = std::move(opener); }
    // Whether a twin saved by an unmix window may be opened in the main window. Opening it
    // replaces the run this window reads, so the window closes first and scenarioToOpen()
    // tells showAnalysisWindow which file to open once the window is gone.
    void setTwinsOpen(bool open) { m_twinsOpen = open; }
    const QString &scenarioToOpen() const { return m_scenarioToOpen; }
    // The file of the open scenario, which Save as CSV refuses to replace.
    void setOpenScenario(const QString &path) { m_openScenario = path; }

    const FitTableModel &model() const { return *m_model; }
    QString summaryText() const;
    // From a Fit (or the window's first fit) until its fits, refusal or cancellation show.
    bool isFitting() const;

    void btn_fitClick();
    void btn_copyClick();
    void btn_saveClick();
    void btn_paintClick();

private:
    void buildControls();
    // Fits the interval and type of the controls on a worker thread while a progress dialog
    // offers Cancel; the fits, or the reason there are none, show when it ends.
    void fit(bool reportErrors);
    void showFit();
    void showRefusal(const std::exception &error, bool reportErrors);
    // The measurement settings of the typed schedule, noise and seed; empty for every whole
    // degree.
    std::optional<MeasurementSettings> chosenMeasurements() const;
    void stepsChoiceChanged();
    // Unmix...: the run's first member measured on the typed schedule, in an unmix window.
    void unmixFirstMember();

    const ComponentPopulations &m_populations;
    const ResultSeries &m_series;
    std::optional<double> m_typedFisherK;
    // The units of the fitted steps, for drawing the fits over the run.
    double m_fittedStepUnit = 1;
    DiagramOpener m_diagramOpener;
    QString m_openScenario;
    bool m_twinsOpen = false;
    QString m_scenarioToOpen;
    bool m_hasAnalysis = false;

    // The fit running: the worker reads the run in place, counts members into m_fitted and
    // hands over its outcome before it ends.
    std::unique_ptr<BackgroundJob> m_fitJob;
    std::atomic<std::size_t> m_fitted { 0 };
    std::optional<RunAnalysis> m_fitOutcome;
    std::exception_ptr m_fitFailure;
    std::optional<MeasurementSettings> m_fitMeasurements;
    bool m_fitReportsErrors = false;
    QProgressDialog *m_fitProgress = nullptr;
    QTimer *m_fitTicks = nullptr;

    FitTableModel *m_model = nullptr;
    QLineEdit *EB_from = nullptr;
    QLineEdit *EB_to = nullptr;
    QComboBox *CB_fitType = nullptr;
    QComboBox *CB_steps = nullptr;
    QLineEdit *EB_schedule = nullptr;
    QLineEdit *EB_noise = nullptr;
    QLineEdit *EB_seed = nullptr;
    QPushButton *btn_fit = nullptr;
    QLabel *lbl_summary = nullptr;
    QTableView *SG_fits = nullptr;
    QPushButton *btn_copy = nullptr;
    QPushButton *btn_save = nullptr;
    QPushButton *btn_paint = nullptr;
};

// Analyse: opens the analysis window over the last run, modally, and destroys it when it
// closes. Reports an error instead when there is no run to analyse.
void showAnalysisWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp,
    std::optional<double> typedFisherK, AnalysisWindow::DiagramOpener diagramOpener,
    const QString &openScenario = {}, AnalysisWindow::ScenarioOpener scenarioOpener = {});

} // namespace Demagora
