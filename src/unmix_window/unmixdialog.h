#pragma once

#include "measurements/specimen.h"
#include "unmix_window/unmixrun.h"
#include "unmixing/unmixing.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace Demagora {

class SpecimenPicture;


// The "Unmix" window over one specimen: the number of components (automatic or 1-4), the
// shapes and the bootstrap count; the fit runs on a worker thread with a progress bar and
// Cancel, and its result is drawn over the steps with the tables of components and residuals.
// "Save as scenario..." writes the twin. Opened by the specimens and the analysis windows.
class UnmixDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens a scenario file in the main window.
    using ScenarioOpener = std::function<void(const QString &path)>;

    // scaleAPerM: the moment unit of the steps per unit of the model's magnetization, the
    // twin's heights divided by it.
    UnmixDialog(std::string specimen, std::vector<UnmixStep> steps, double scaleAPerM,
        QWidget *parent = nullptr);
    ~UnmixDialog() override;

    void setScenarioOpener(ScenarioOpener opener) { m_opener = std::move(opener); }
    // What the twin's scale is, said when the twin is saved.
    void setTwinScaleNote(QString note) { m_twinScaleNote = std::move(note); }
    // The file of the open scenario, which saving the twin refuses to replace.
    void setOpenScenario(const QString &path) { m_openScenario = path; }
    // The files the steps were measured in, which saving the twin refuses to replace too.
    void setMeasurementsRead(std::vector<std::string> files)
    {
        m_measurementsRead = std::move(files);
    }

    // The steps are in the specimen's own frame: the picture names its axes x, y and z.
    void setSpecimenAxes(bool specimenAxes);
    // 0 automatic, else the number of components; shapes; bootstrap refits.
    void setChoices(int components, UnmixShapes shapes, int bootstrap);
    bool isRunning() const { return m_run->isRunning(); }
    const std::optional<UnmixResult> &result() const { return m_result; }
    const SpecimenPicture &picture() const { return *m_picture; }
    QString statusText() const;
    QString warningText() const;

    void btn_unmixClick();
    void btn_cancelClick();
    void btn_saveClick();

signals:
    // The worker ended: with a result, cancelled or refused.
    void unmixFinished();

private:
    void buildControls();
    // The fit has ended: its result shown, or why there is none.
    void finish(bool cancelled, const QString &failure);
    void showResult();
    void setRunning(bool running);

    std::string m_specimen;
    std::vector<UnmixStep> m_steps;
    double m_scaleAPerM;
    QString m_twinScaleNote;
    ScenarioOpener m_opener;
    QString m_openScenario;
    std::vector<std::string> m_measurementsRead;
    std::optional<UnmixResult> m_result;
    bool m_chosenByBic = false;
    bool m_specimenAxes = false;

    // The fit runs on the run's background job; it reads the steps and options and writes the
    // pending result, which the window takes once the fit has ended.
    UnmixRun *m_run = nullptr;
    std::optional<UnmixResult> m_pending;

    QComboBox *CB_shapes = nullptr;
    QPushButton *btn_save = nullptr;
    QLabel *lbl_summary = nullptr;
    QLabel *lbl_warning = nullptr;
    QTableWidget *SG_components = nullptr;
    QTableWidget *SG_candidates = nullptr;
    QTableWidget *SG_residuals = nullptr;
    SpecimenPicture *m_picture = nullptr;
};

// Opens an unmix window over the steps, not modal, deleted when closed.
UnmixDialog *openUnmixDialog(
    QWidget *parent, const std::string &specimen, std::vector<UnmixStep> steps, double scaleAPerM);

// Opens an unmix window over a measured specimen's steps (in the coordinates shown), its twin
// scaled as the batch scales a measured file's; a specimen that cannot be unmixed (steps of
// alternating field) is refused with a message instead, and nullptr returned.
UnmixDialog *openUnmixDialog(
    QWidget *parent, const Specimen &specimen, std::vector<SpecimenStep> steps);

} // namespace Demagora
