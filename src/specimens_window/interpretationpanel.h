#pragma once

#include "specimens_window/shownspecimens.h"

#include "analysis/fits.h"
#include "analysis/interpretationfiles.h"

#include <QString>
#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QTableView;

namespace Demagora {

class InterpretationTableModel;
class SiteSummaryModel;
class SpecimenInterpretations;
struct SpecimenDiagramData;

// The interpretation of the specimens window: the commands that fit the chosen steps (keys L,
// A, O, P) or mark them bad (B), delete and rename components, undo and redo, open and save a MagIC
// specimens table; the components of the specimen shown and the site means. The window shows it
// under its steps and lets it add the fits to the picture.
class InterpretationPanel : public QWidget
{
    Q_OBJECT

public:
    // parent: the widget the panel sits in; shown: what it reads and sets of its window.
    InterpretationPanel(
        ShownSpecimens &shown, const QString &measurementsPath, QWidget *parent = nullptr);
    ~InterpretationPanel() override;

    const SpecimenInterpretations &interpretations() const { return *m_store; }
    // The same interpretations seen over other steps of the measurements (every reading, or
    // the readings merged); the undo history is cleared.
    void resetInterpretations(Interpretations interpretations);
    // The File, Edit and Interpretation menus, over the panel's actions.
    QMenuBar *createMenuBar(QWidget *parent);

    // The window shows another specimen or other coordinates.
    void specimenShown();
    // Adds the components of the specimen shown, the fit of the chosen steps and, in the site
    // view, the site means to the picture; the line under the buttons tells the chosen fit.
    void decorate(SpecimenDiagramData &data);
    // Asks about unsaved interpretations; false when the window is to stay open.
    bool mayClose();
    // Asks the question about unsaved interpretations (Save, Discard or Cancel): false on Cancel
    // or a save that failed.
    bool settleUnsaved(const QString &question);

    void fitChosen(FitType type);
    // Marks the chosen steps bad, or good again when every one of them is bad (key B).
    void markChosenBad();
    // The command that marks steps bad, for the context menus of the steps and the picture.
    QAction *markBadAction() const { return m_markBad; }
    void deleteComponent();
    bool saveInterpretations();
    void openInterpretations();

signals:
    void pictureChanged();

private:
    void buildActions();
    void buildLayout();
    void interpretationsChanged();
    void showComponents();
    void showSites();
    void componentClicked(int row);

    ShownSpecimens &m_shown;
    QString m_measurementsPath;
    SpecimenInterpretations *m_store = nullptr;
    InterpretationTableModel *m_componentsModel = nullptr;
    SiteSummaryModel *m_sitesModel = nullptr;
    FitType m_lastType = FitType::Free;

    QLineEdit *LE_component = nullptr;
    QLabel *lbl_choice = nullptr;
    QLabel *lbl_sites = nullptr;
    QCheckBox *CH_site = nullptr;
    QTableView *SG_components = nullptr;
    QTableView *SG_sites = nullptr;
    QAction *m_fitFree = nullptr;
    QAction *m_fitAnchored = nullptr;
    QAction *m_fitOrigin = nullptr;
    QAction *m_fitPlane = nullptr;
    QAction *m_delete = nullptr;
    QAction *m_markBad = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_save = nullptr;
    QAction *m_open = nullptr;
};

} // namespace Demagora
