#pragma once

#include "main_window/commandstate.h"
#include "main_window/componentsession.h"
#include "main_window/measurementexportcommand.h"
#include "main_window/runsettings.h"
#include "main_window/scenariodocument.h"
#include "model/randomsource.h"
#include "prompts/busywork.h"
#include "prompts/unsavedwork.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QCursor;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QUndoStack;

namespace Demagora {

class ComponentGridTable;
class MainMenu;
class RunController;
class TFRM_par;

// The main window: entry and listing of the components, the run settings, and the commands
// that run the model and open the result table, the diagram window and the component
// editor. It owns the session with both lists; the run goes to a RunController.
class TFrm_1 : public QWidget, public UnsavedWork
{
    Q_OBJECT

public:
    using ResultOpener = std::function<void(
        QWidget *parent, const ComponentPopulations &, const ResultSeries &, const RunSettings &)>;
    using DiagramOpener = std::function<void(
        QWidget *parent, const ResultSeries &, ComponentPopulations &, const RunSettings &)>;
    // typedFisherK: the Fisher's k the populations were scattered with, absent when they
    // were not scattered.
    using AnalysisOpener = std::function<void(QWidget *parent, ComponentPopulations &,
        const ResultSeries &, const RunSettings &, std::optional<double> typedFisherK)>;
    // Starts opening measurements (a file or folder) in a window of their own, and returns;
    // opened() is called once that window is open. scenarioOpener opens the scenarios that
    // window saves (an unmixing's twin) here.
    using MeasurementsOpener = std::function<void(QWidget *parent, const QString &path,
        std::function<void(const QString &path)> scenarioOpener, std::function<void()> opened)>;
    // Shows the component editor and returns once it has closed.
    using EditorRunner = std::function<void(TFRM_par &editor)>;

    explicit TFrm_1(QWidget *parent = nullptr);
    ~TFrm_1() override;

    const ComponentSession &session() const { return m_session; }
    MainMenu &menu() const { return *m_menu; }
    ScenarioDocument &document() const { return *m_document; }
    // Opens a scenario file (the command line's); a file that cannot be read is reported.
    bool openFile(const QString &path);
    // Opens a scenario another window wrote (an unmixing's twin), asking first about unsaved
    // changes; refused with a message while a run lasts.
    void openOtherScenario(const QString &path);
    bool isRunning() const;
    // While a change rebuilds populations off this thread; the window then takes no input.
    bool isBusy() const { return m_busy.isBusy(); }

    // The scenario not saved: Save, Discard or Cancel.
    bool askAboutUnsavedWork() override;
    void closeWithoutAsking() override;

    void setResultOpener(ResultOpener opener) { m_resultOpener = std::move(opener); }
    void setDiagramOpener(DiagramOpener opener) { m_diagramOpener = std::move(opener); }
    void setAnalysisOpener(AnalysisOpener opener) { m_analysisOpener = std::move(opener); }
    void setEditorRunner(EditorRunner runner) { m_editorRunner = std::move(runner); }
    void setMeasurementsOpener(MeasurementsOpener opener)
    {
        m_measurementsOpener = std::move(opener);
    }
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    // Where new components draw their seeds; the window starts from the clock.
    void setRandomSource(std::unique_ptr<RandomSource> source) { m_random = std::move(source); }
    void setDecimalSeparator(const QString &separator);
    void setMeasurementExportRunner(MeasurementExportRunner runner)
    {
        m_measurementExportRunner = std::move(runner);
    }
    // Where the export dialog keeps its last choices (not owned); nullptr: the program's
    // settings of the user.
    void setPreferences(QSettings *store) { m_preferences = store; }

    void btn_getcoorClick();
    void btn_addClick();
    void btn_clearClick();
    void btn_showResClick();
    void btn_paintClick();
    void btn_analyseClick();
    // r: the grid row, counting the heading row as 0.
    void SG_1DblClick(int r);
    // File > Export measurements...: available once a run has results.
    void exportMeasurementsClick();
    SpectrumShape FshapeOfspectrum() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void runGuarded(const std::function<void()> &command);
    void buildLeftPanel();
    void buildRightPanel();
    void buildGrid();
    void buildMenu();
    void connectMenu();
    void connectControls();
    QLabel *addLabel(
        QGridLayout *layout, const char *name, const QString &text, int row, int column);

    void FormCreate();
    void FormResize();
    void FormClose();
    void FormKeyDown(int key);
    int whichBox() const;
    void ChangeBox(int box);
    void EB_blockHighChange();
    void CBmultClick();
    void CBdifLengthsClick();
    void CB_reportTypeChange();
    void changeCursor(const QCursor &cursor);
    void EraseLists();

    void newDocument();
    void undoOrRedo(bool undo);
    void recordChange(const QString &text, const ComponentSession::State &before);
    void applyState(const ComponentSession::State &state);
    void loadScenario(Scenario scenario, ScenarioDocument::Loaded loaded);
    void showLoadedScenario();
    // Starts work on the window's BusyWork; if other work still runs, calls done with why.
    void startBusy(std::function<void()> work, BusyWork::Done done);
    void reportFailure(std::exception_ptr failure);
    void showPopulationSettings(bool withTexts);
    void focusEntryField(EntryField field);
    void clearBoxes();
    void updateTitle();
    void applyMenuState();

    void runEnded();
    // Beside the typed Fisher's k, the k the run's populations were drawn with.
    void showDrawnK();
    void applyCommandState();
    void showGrid();
    ComponentTexts enteredTexts() const;
    PopulationChoices populationChoices() const;

    ComponentSession m_session;
    CommandState m_commands;
    std::unique_ptr<RandomSource> m_random;
    RunController *m_runController = nullptr;
    QUndoStack *m_undoStack = nullptr;
    MainMenu *m_menu = nullptr;
    ScenarioDocument *m_document = nullptr;
    bool m_closed = false;
    // The questions about unsaved work have been answered for this close.
    bool m_closingSettled = false;
    ResultOpener m_resultOpener;
    DiagramOpener m_diagramOpener;
    AnalysisOpener m_analysisOpener;
    EditorRunner m_editorRunner;
    MeasurementsOpener m_measurementsOpener;
    std::function<void()> m_beep;
    MeasurementExportRunner m_measurementExportRunner = showMeasurementExportDialog;
    QSettings *m_preferences = nullptr;

    QWidget *PMain = nullptr;
    QWidget *Pleft = nullptr;
    QWidget *Pright = nullptr;
    QWidget *PGrid = nullptr;
    QLineEdit *EB_dec = nullptr;
    QLineEdit *EB_inc = nullptr;
    QLineEdit *EB_height = nullptr;
    QLineEdit *EB_blockLow = nullptr;
    QLineEdit *EB_blockHigh = nullptr;
    QPushButton *btn_getcoor = nullptr;
    QPushButton *btn_add = nullptr;
    QPushButton *btn_showRes = nullptr;
    QPushButton *btn_clear = nullptr;
    QPushButton *btn_paint = nullptr;
    QPushButton *btn_analyse = nullptr;
    QAction *m_analyseAction = nullptr;
    QCheckBox *CBmult = nullptr;
    QCheckBox *CBdifLengths = nullptr;
    QComboBox *CBshape = nullptr;
    QComboBox *CB_k = nullptr;
    QComboBox *CBdisper = nullptr;
    QComboBox *CB_randomPoints = nullptr;
    QComboBox *CB_reportType = nullptr;
    QComboBox *EB_conv = nullptr;
    QProgressBar *PrBar = nullptr;
    QLabel *lbl_drawnK = nullptr;
    ComponentGridTable *SG_1 = nullptr;
    // Last, so that it goes first: work still running ends before what it changes goes.
    BusyWork m_busy;
};

} // namespace Demagora
