#pragma once

#include "diagrams/diagramrenderer.h"
#include "diagrams/diagramviewstate.h"
#include "model/populations.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPixmap;
class QPushButton;
class QSettings;
class QToolButton;
class QWidget;

namespace Demagora {

class BackgroundPicture;

// The diagram window "Graph": a tool bar over the four diagrams of a run (vector diagram,
// blocking spectra, the two stereograms). Opened modally by the main window's Paint command;
// turns tool bar clicks into a view state and leaves the drawing to DiagramRenderer.
class TFrm_graph : public QDialog
{
    Q_OBJECT

public:
    // Requires at least one resulting vector with a step and at least one population.
    TFrm_graph(const ResultSeries &series, ComponentPopulations &populations,
        std::int32_t runLowTemp, std::int32_t stereoPointCount, QWidget *parent = nullptr);
    // Cancels a drawing under way and waits for it before the renderer and the run go.
    ~TFrm_graph() override;

    // The one folder of the two mode pictures; a relative one is taken from the working
    // directory at the time of the click. Unless set, the folders of modePictureFolders().
    void setBitmapFolder(const QString &folder) { m_bitmapFolders = QStringList { folder }; }

    // Draws an analysis's fitted lines and mean over the picture.
    void setOverlay(DiagramOverlay overlay) { m_renderer.setOverlay(std::move(overlay)); }
    // The file of the open scenario, which Save picture refuses to replace.
    void setOpenScenario(const QString &path) { m_openScenario = path; }

    // Where the drawing options are kept between sessions (not owned; it must outlive the
    // window). Reads them at once; every change of an option is written back. Without it the
    // options start at their defaults and are forgotten on closing.
    void setPreferences(QSettings *store);
    const DiagramOptions &options() const { return m_options; }

    DiagramViewState viewState() const;
    const DiagramRenderer &renderer() const { return m_renderer; }

    // Pictures of at least this many result points are drawn on a worker thread while the
    // window shows a busy cursor over the last picture; smaller ones are painted at once.
    void setBackgroundDrawingPoints(std::size_t points) { m_backgroundDrawingPoints = points; }
    bool isDrawing() const;

    void redraw();
    void MShowwordsAndTemps(QObject *sender);
    void ShowWords();
    void btn_prevClick();
    void btn_nextClick();
    void menSingleClick();
    // Asks for a file name and writes the picture as PNG, or SVG or PDF for a name ending in
    // .svg or .pdf.
    void savePicture();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildToolBar();
    void buildViewMenu();
    // Shows the options in the menu's check marks.
    void showOptions();
    void setOptions(const DiagramOptions &options);
    void showVectorNumber();
    void placeViewButtons();
    void markInterval();
    // The picture of a mode file, or empty after the error has been reported.
    std::optional<QPixmap> loadModePicture(const QString &fileName);

    const ResultSeries &m_series;
    ComponentPopulations &m_populations;
    std::int32_t m_runLowTemp;
    QString m_openScenario;
    DiagramRenderer m_renderer;
    // Not a child object: children outlive the members, and the drawing reads m_renderer.
    std::unique_ptr<BackgroundPicture> m_background;
    std::size_t m_backgroundDrawingPoints = 1'000'000;
    QStringList m_bitmapFolders;
    DiagramOptions m_options;
    QSettings *m_preferences = nullptr;
    // An entry of the View menu and whether the options show it checked.
    struct OptionEntry
    {
        QAction *action = nullptr;
        std::function<bool(const DiagramOptions &)> isOn;
    };
    std::vector<OptionEntry> m_optionEntries;

    std::int32_t ModeClicks = 0; // even: multiple mode, odd: single mode
    std::int32_t CurrentVector = 0;

    QWidget *toolBar = nullptr;
    QPushButton *btn_redraw = nullptr;
    QPushButton *btn_legend = nullptr;
    QPushButton *btn_temps = nullptr;
    QLineEdit *EB_degrees = nullptr;
    QLabel *Label2 = nullptr;
    QWidget *Panel1 = nullptr;
    QPushButton *btn_mult = nullptr;
    QPushButton *btn_prev = nullptr;
    QLabel *lbl_vector = nullptr;
    QPushButton *btn_next = nullptr;
    QToolButton *btn_view = nullptr;
    QMenu *menu_view = nullptr;
    QPushButton *btn_save = nullptr;
};

} // namespace Demagora
