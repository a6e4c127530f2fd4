#pragma once

#include "analysis/interpretation.h"
#include "measurements/measurementset.h"
#include "prompts/unsavedwork.h"
#include "specimens_window/shownspecimens.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class QAction;
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
    // demag: the demagnetization the set was read for; when not given, AF where a step is AF.
    SpecimensWindow(MeasurementSet set, const QString &path, QWidget *parent = nullptr,
        std::optional<DemagKind> demag = std::nullopt);
    ~SpecimensWindow() override;

    const MeasurementSet &measurements() const override { return m_set; }
    DemagKind demagnetization() const override { return m_demag; }
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
    std::vector<Specimen> readingsMarkedBad(const Interpretations &interpretations) const override;
    std::vector<std::string> restoreBadSteps(
        const MeasurementSet &saved, Interpretations &interpretations) const override;
    // View > Every reading: every reading of a repeated step as a step of its own, so that one
    // can be marked bad; off, the readings of a step are merged (averaged) without the bad ones.
    // Refused (false) where the set was read with its repeats merged.
    bool setEveryReading(bool on);
    bool everyReading() const { return m_everyReading; }
    void chooseSteps(const std::vector<int> &steps, bool add) override;
    InterpretationPanel &interpretation() const { return *m_interpretation; }

    // Opens a scenario file in the main window: the twins saved by the unmix windows.
    void setScenarioOpener(std::function<void(const QString &path)> opener)
    {
        m_scenarioOpener = std::move(opener);
    }

    // Reads the file again for the steps of the other demagnetization, in a window that takes
    // this one's place once open (the interpretations not saved asked about first).
    void readDemagnetization(DemagKind demag);
    // Unmixes the specimen shown in a window of its own; refused for AF steps.
    void unmix();
    // "Unmix site...": the specimens of the shown specimen's site unmixed together.
    void unmixSite();

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
    // Whether the steps shown can be unmixed; says why not when they cannot.
    bool mayUnmix();
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
    // Whether the set came with every reading, merged here (else View > Every reading is off).
    bool hasReadings() const;
    // The readings of a specimen merged at their steps, those marked bad left out where their
    // step has a good one.
    Specimen mergedSpecimen(std::size_t index, const std::vector<int> &badReadings);
    // The steps merged again for the specimens whose readings marked bad have changed.
    void mergeChangedReadings();
    // The interpretations over the merged steps seen over every reading.
    Interpretations readingsInterpretations(const Interpretations &ofSteps) const;

    // What the window shows and fits: the readings merged at their steps, or every reading.
    MeasurementSet m_set;
    // Every reading of every step as the file holds them (read with every repeat kept, flagged
    // as the file flags them); empty where the set came with its repeats merged.
    MeasurementSet m_readings;
    // Per specimen, the merged step of each reading, the number of merged steps, and the
    // readings marked bad its merged steps were last made without.
    std::vector<std::vector<int>> m_stepOfReading;
    std::vector<std::size_t> m_stepCounts;
    std::vector<std::vector<int>> m_mergedWith;
    // What the reader did with the file's rows, counted with the repeats merged.
    ReadSummary m_mergedSummary;
    bool m_everyReading = false;
    QAction *m_everyReadingAction = nullptr;
    QString m_path;
    DemagKind m_demag = DemagKind::Thermal;
    std::function<void(const QString &path)> m_scenarioOpener;
    int m_current = -1;
    // The question about unsaved interpretations has been answered for this close.
    bool m_closingSettled = false;

    SpecimenListModel *m_listModel = nullptr;
    SpecimenStepsModel *m_stepsModel = nullptr;
    QTableView *SG_specimens = nullptr;
    QTableView *SG_steps = nullptr;
    QComboBox *CB_coordinates = nullptr;
    QComboBox *CB_demagnetization = nullptr;
    QLabel *lbl_summary = nullptr;
    QLineEdit *LE_find = nullptr;
    SpecimenPicture *m_picture = nullptr;
    InterpretationPanel *m_interpretation = nullptr;
};

} // namespace Demagora
