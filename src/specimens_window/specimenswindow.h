#pragma once

#include "analysis/interpretation.h"
#include "measurements/measurementset.h"
#include "prompts/unsavedwork.h"
#include "specimens_window/shownspecimens.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTableView;

namespace Demagora {

class InterpretationPanel;
class SpecimenListModel;
class SpecimenPicture;
class SpecimenStepsModel;

// The specimens window: the specimens of a measurement file, and for the chosen one its four
// diagrams and its steps in the coordinates chosen. Opened by File > Open measurements...
class SpecimensWindow : public QWidget, public ShownSpecimens, public UnsavedWork
{
    Q_OBJECT

public:
    SpecimensWindow(MeasurementSet set, const QString &path, QWidget *parent = nullptr);
    ~SpecimensWindow() override;

    const MeasurementSet &measurements() const override { return m_set; }
    int currentSpecimen() const override { return m_current; }
    void setCurrentSpecimen(int index);
    // 0 specimen, 1 geographic, 2 tilt-corrected.
    void setCoordinates(CoordinateSystem system) override;
    // The coordinates chosen; a specimen without the orientation they need is shown (and
    // fitted) in its own.
    CoordinateSystem coordinates() const override;
    const SpecimenPicture &picture() const { return *m_picture; }
    // The chosen steps of the current specimen, in step order.
    std::vector<int> chosenSteps() const override;
    void chooseSteps(const std::vector<int> &steps, bool add) override;
    InterpretationPanel &interpretation() const { return *m_interpretation; }

    // Opens a scenario file in the main window: the twins saved by the unmix windows.
    void setScenarioOpener(std::function<void(const QString &path)> opener)
    {
        m_scenarioOpener = std::move(opener);
    }

    // What the reader left out and merged, in one line, and the readers' notes.
    static QString summaryText(const ReadSummary &summary);

    // File menu: what the window shows, saved through the output layer (never over a file the
    // measurements were read from); true when written.
    bool savePicture();
    bool saveStepsCsv(); // the current specimen's steps in the coordinates shown
    bool saveFitsCsv(); // every fit, in the coordinates chosen, as the batch's --fits
    bool saveSiteMeansCsv(); // as the batch's --site-means
    // Edit > Copy: the table the user is in (else the steps) as shown, tab-separated.
    void copyTable() const;

    // The interpretations not saved: Save, Discard or Cancel.
    bool askAboutUnsavedWork() override;
    void closeWithoutAsking() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    // The files read and the path opened: no output replaces them.
    std::vector<std::string> measurementsRead() const;
    bool saveOutput(const QString &caption, const QString &suggested, const QString &filter,
        const char *what, const std::function<void(const QString &name, std::ostream &)> &write);
    // Save picture, steps, fits and site means (File), Copy table (Edit).
    void addSavingCommands(QMenuBar &bar);
    // Next, previous and find, with their keys.
    QMenu *specimenMenu(QWidget *parent);
    // Shows the first specimen from index from on (round to the start) whose name holds text.
    void findSpecimen(const QString &text, int from);
    void showSpecimen();
    void repaintPicture();

    MeasurementSet m_set;
    QString m_path;
    std::function<void(const QString &path)> m_scenarioOpener;
    int m_current = -1;
    // The question about unsaved interpretations has been answered for this close.
    bool m_closingSettled = false;

    SpecimenListModel *m_listModel = nullptr;
    SpecimenStepsModel *m_stepsModel = nullptr;
    QTableView *SG_specimens = nullptr;
    QTableView *SG_steps = nullptr;
    QComboBox *CB_coordinates = nullptr;
    QLabel *lbl_summary = nullptr;
    QLineEdit *LE_find = nullptr;
    SpecimenPicture *m_picture = nullptr;
    InterpretationPanel *m_interpretation = nullptr;
};

} // namespace Demagora
