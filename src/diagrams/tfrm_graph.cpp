#include "diagrams/tfrm_graph.h"

#include "diagrams/backgroundpicture.h"
#include "diagrams/diagramscales.h"
#include "diagrams/diagramsettings.h"
#include "diagrams/picturefile.h"
#include "diagrams/stereogram.h"
#include "diagrams/toolbaricons.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace Demagora {

namespace {

constexpr int ButtonHeight = 21;
constexpr int ButtonTop = (ToolBarHeight - ButtonHeight) / 2;
constexpr int ViewButtonWidth = 38;
constexpr int SaveButtonWidth = 23;

template <typename Widget> Widget *placed(QWidget *parent, const char *name, int x, int width)
{
    auto *widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, ButtonTop, width, ButtonHeight);
    return widget;
}

} // namespace

TFrm_graph::TFrm_graph(const ResultSeries &series, ComponentPopulations &populations,
    std::int32_t runLowTemp, std::int32_t stereoPointCount, QWidget *parent)
    : QDialog(parent)
    , m_series(series)
    , m_populations(populations)
    , m_runLowTemp(runLowTemp)
    , m_renderer(series, populations, runLowTemp, stereoPointCount)
    , m_background(std::make_unique<BackgroundPicture>(m_renderer))
{
    connect(m_background.get(), &BackgroundPicture::pictureReady, this, [this] {
        unsetCursor();
        update();
    });
    setObjectName(QStringLiteral("Frm_graph"));
    setWindowTitle(QStringLiteral("Graph"));
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setMinimumSize(MinimumWindowWidth, windowHeightForWidth(MinimumWindowWidth));
    buildToolBar();

    move(0, 0);
    resize(InitialWindowWidth, windowHeightForWidth(InitialWindowWidth));
    CurrentVector = 0;
    ModeClicks = 0;
    showVectorNumber();

    auto *save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &TFrm_graph::savePicture);
}

TFrm_graph::~TFrm_graph()
{
    m_background.reset();
}

void TFrm_graph::buildToolBar()
{
    toolBar = new QWidget(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setFixedHeight(ToolBarHeight);

    btn_redraw = placed<QPushButton>(toolBar, "btn_redraw", 0, 32);
    btn_redraw->setIcon(redrawIcon());
    btn_redraw->setDefault(true);
    connect(btn_redraw, &QPushButton::clicked, this, &TFrm_graph::redraw);

    btn_legend = placed<QPushButton>(toolBar, "btn_legend", 32, 23);
    btn_legend->setIcon(letterIcon(QLatin1Char('L')));
    btn_legend->setCheckable(true);
    btn_legend->setToolTip(QStringLiteral("displays the legend"));
    connect(btn_legend, &QPushButton::clicked, this, [this] { MShowwordsAndTemps(btn_legend); });

    btn_temps = placed<QPushButton>(toolBar, "btn_temps", 55, 23);
    btn_temps->setIcon(letterIcon(QLatin1Char('T')));
    btn_temps->setCheckable(true);
    btn_temps->setToolTip(QStringLiteral("displays temperatures on diagrams"));
    connect(btn_temps, &QPushButton::clicked, this, [this] { MShowwordsAndTemps(btn_temps); });

    EB_degrees = placed<QLineEdit>(toolBar, "EB_degrees", 78, 33);
    EB_degrees->setText(QStringLiteral("50"));
    EB_degrees->setToolTip(QStringLiteral("temperature intervals"));
    EB_degrees->setEnabled(false);
    connect(EB_degrees, &QLineEdit::textChanged, this, &TFrm_graph::markInterval);

    Label2 = placed<QLabel>(toolBar, "Label2", 111, 38);
    Label2->setText(QStringLiteral("degrees"));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A wider font than the layout was made for must not cut the word: the spacer after it
    // gives way, so btn_mult keeps its place.
    Label2->resize(std::max(38, Label2->sizeHint().width()), ButtonHeight);

    const int spacerLeft = Label2->x() + Label2->width();
    Panel1 = placed<QWidget>(toolBar, "Panel1", spacerLeft, std::max(0, 198 - spacerLeft));

    btn_mult = placed<QPushButton>(toolBar, "btn_mult", 198, 23);
    btn_mult->setIcon(singleArrowIcon());
    btn_mult->setToolTip(QStringLiteral("choose between multiple/single vectors"));
    connect(btn_mult, &QPushButton::clicked, this, &TFrm_graph::menSingleClick);

    btn_prev = placed<QPushButton>(toolBar, "btn_prev", 221, 32);
    btn_prev->setIcon(leftArrowIcon());
    btn_prev->setFlat(true);
    btn_prev->setEnabled(false);
    connect(btn_prev, &QPushButton::clicked, this, &TFrm_graph::btn_prevClick);

    lbl_vector = new QLabel(QStringLiteral("0"), toolBar);
    lbl_vector->setObjectName(QStringLiteral("lbl_vector"));
    lbl_vector->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    btn_next = placed<QPushButton>(toolBar, "btn_next", 259, 32);
    btn_next->setIcon(rightArrowIcon());
    btn_next->setFlat(true);
    btn_next->setEnabled(false);
    connect(btn_next, &QPushButton::clicked, this, &TFrm_graph::btn_nextClick);

    buildViewMenu();

    for (QPushButton *button : toolBar->findChildren<QPushButton *>()) {
        if (button != btn_redraw)
            button->setAutoDefault(false);
    }
}

void TFrm_graph::buildViewMenu()
{
    btn_view = new QToolButton(toolBar);
    btn_view->setObjectName(QStringLiteral("btn_view"));
    btn_view->setText(QStringLiteral("View"));
    btn_view->setToolTip(QStringLiteral("how the diagrams are drawn"));
    btn_view->setPopupMode(QToolButton::InstantPopup);
    btn_view->setToolButtonStyle(Qt::ToolButtonTextOnly);
    menu_view = new QMenu(btn_view);
    menu_view->setObjectName(QStringLiteral("menu_view"));
    btn_view->setMenu(menu_view);

    // Each entry sets one option from its check mark; the entries of one choice form an
    // exclusive group, in which the entry chosen sets its value.
    const auto add = [this](QMenu *menu, const char *name, const QString &text, QActionGroup *group,
                         std::function<bool(const DiagramOptions &)> isOn,
                         std::function<void(DiagramOptions &, bool)> apply) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        if (group)
            group->addAction(action);
        m_optionEntries.push_back({ action, std::move(isOn) });
        connect(action, &QAction::triggered, this, [this, apply](bool checked) {
            DiagramOptions options = m_options;
            apply(options, checked);
            setOptions(options);
        });
    };
    const auto toggle = [&](const char *name, const QString &text, bool DiagramOptions::*field) {
        add(
            menu_view, name, text, nullptr, [field](const DiagramOptions &o) { return o.*field; },
            [field](DiagramOptions &o, bool checked) { o.*field = checked; });
    };
    const auto choice = [&](QMenu *menu, QActionGroup *group, const char *name, const QString &text,
                            auto DiagramOptions::*field, auto value) {
        add(
            menu, name, text, group,
            [field, value](const DiagramOptions &o) { return o.*field == value; },
            [field, value](DiagramOptions &o, bool) { o.*field = value; });
    };

    QMenu *net = menu_view->addMenu(QStringLiteral("Net"));
    auto *netGroup = new QActionGroup(net);
    choice(net, netGroup, "act_netInclinationLinear", QStringLiteral("Inclination linear"),
        &DiagramOptions::net, NetKind::InclinationLinear);
    choice(net, netGroup, "act_netEqualArea",
        QStringLiteral("Equal-area (Schmidt), lower hemisphere"), &DiagramOptions::net,
        NetKind::EqualArea);
    toggle("act_hemisphereByFill", QStringLiteral("Hemisphere by fill (open: up, filled: down)"),
        &DiagramOptions::hemisphereByFill);
    menu_view->addSeparator();
    add(
        menu_view, "act_labelsInDegrees", QStringLiteral("Labels in degrees"), nullptr,
        [](const DiagramOptions &o) { return o.labelsIn == LabelUnit::Degrees; },
        [](DiagramOptions &o, bool checked) {
            o.labelsIn = checked ? LabelUnit::Degrees : LabelUnit::Steps;
        });
    toggle("act_clearLabels", QStringLiteral("Labels without boxes"), &DiagramOptions::clearLabels);
    menu_view->addSeparator();
    QMenu *projection = menu_view->addMenu(QStringLiteral("Vertical projection"));
    auto *projectionGroup = new QActionGroup(projection);
    choice(projection, projectionGroup, "act_projectionNorth", QStringLiteral("North - down"),
        &DiagramOptions::projection, VerticalProjection::North);
    choice(projection, projectionGroup, "act_projectionEast", QStringLiteral("East - down"),
        &DiagramOptions::projection, VerticalProjection::East);
    choice(projection, projectionGroup, "act_projectionBoth", QStringLiteral("Both"),
        &DiagramOptions::projection, VerticalProjection::Both);
    QMenu *panel = menu_view->addMenu(QStringLiteral("Intensity panel"));
    auto *panelGroup = new QActionGroup(panel);
    choice(panel, panelGroup, "act_panelSpectra", QStringLiteral("Blocking spectra dJ/dT"),
        &DiagramOptions::panel, IntensityPanel::Spectra);
    choice(panel, panelGroup, "act_panelDecay", QStringLiteral("Decay curve J/J0"),
        &DiagramOptions::panel, IntensityPanel::Decay);
    toggle("act_edgeRoom", QStringLiteral("Edge room"), &DiagramOptions::edgeRoom);
    toggle("act_axisTitles", QStringLiteral("Axis titles and units"), &DiagramOptions::axisTitles);
    menu_view->addSeparator();
    QAction *save = menu_view->addAction(QStringLiteral("Save picture..."));
    save->setObjectName(QStringLiteral("act_savePicture"));
    connect(save, &QAction::triggered, this, &TFrm_graph::savePicture);

    btn_save = new QPushButton(toolBar);
    btn_save->setObjectName(QStringLiteral("btn_save"));
    btn_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    btn_save->setToolTip(QStringLiteral("Save picture..."));
    connect(btn_save, &QPushButton::clicked, this, &TFrm_graph::savePicture);
    showOptions();
}

void TFrm_graph::showOptions()
{
    for (const OptionEntry &entry : m_optionEntries)
        entry.action->setChecked(entry.isOn(m_options));
}

void TFrm_graph::setOptions(const DiagramOptions &options)
{
    m_options = options;
    showOptions();
    if (m_preferences)
        saveDiagramOptions(*m_preferences, m_options);
    redraw();
}

void TFrm_graph::setPreferences(QSettings *store)
{
    m_preferences = store;
    if (m_preferences) {
        m_options = loadDiagramOptions(*m_preferences);
        showOptions();
        redraw();
    }
}

DiagramViewState TFrm_graph::viewState() const
{
    DiagramViewState state;
    state.mode = ModeClicks % 2 == 0 ? DisplayMode::Multiple : DisplayMode::Single;
    state.currentVector = CurrentVector;
    state.showLegend = btn_legend->isChecked();
    state.showTemperatures = btn_temps->isChecked();
    state.labelInterval = labelIntervalFromText(EB_degrees->text());
    state.faceColour = palette().color(QPalette::Window);
    state.options = m_options;
    return state;
}

void TFrm_graph::redraw()
{
    update();
}

void TFrm_graph::MShowwordsAndTemps(QObject *sender)
{
    if (sender == btn_legend) {
        if (btn_legend->isChecked())
            ShowWords();
        else
            redraw();
        return;
    }
    EB_degrees->setEnabled(btn_temps->isChecked());
    redraw();
    if (btn_legend->isChecked())
        ShowWords();
}

void TFrm_graph::ShowWords()
{
    // The words belong to the picture while btn_legend is down; repainting with the same
    // state puts them on top of an unchanged picture.
    update();
}

void TFrm_graph::btn_prevClick()
{
    const auto count = static_cast<std::int32_t>(m_series.size());
    CurrentVector = CurrentVector > 0 ? CurrentVector - 1 : count - 1;
    showVectorNumber();
    redraw();
}

void TFrm_graph::btn_nextClick()
{
    const auto count = static_cast<std::int32_t>(m_series.size());
    CurrentVector = CurrentVector < count - 1 ? CurrentVector + 1 : 0;
    showVectorNumber();
    redraw();
}

void TFrm_graph::menSingleClick()
{
    const bool singleNow = ModeClicks % 2 != 0;
    const std::optional<QPixmap> picture = loadModePicture(
        singleNow ? QStringLiteral("arrowSingle.bmp") : QStringLiteral("arrowmult.bmp"));
    if (!picture)
        return;
    btn_mult->setIcon(QIcon(*picture));
    redraw();
    btn_prev->setEnabled(!singleNow);
    btn_next->setEnabled(!singleNow);
    ++ModeClicks;
}

std::optional<QPixmap> TFrm_graph::loadModePicture(const QString &fileName)
{
    const QString path = findModePicture(
        fileName, m_bitmapFolders.isEmpty() ? modePictureFolders() : m_bitmapFolders);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportError(this,
            QStringLiteral("Cannot open file \"%1\". %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
        return std::nullopt;
    }
    QImage image;
    if (!image.loadFromData(file.readAll(), "BMP")) {
        reportError(this, QStringLiteral("Bitmap image is not valid"));
        return std::nullopt;
    }
    return QPixmap::fromImage(image);
}

void TFrm_graph::showVectorNumber()
{
    lbl_vector->setText(QStringLiteral("%1/%2")
                            .arg(CurrentVector)
                            .arg(static_cast<qsizetype>(m_series.size()) - 1));
    lbl_vector->adjustSize();
    lbl_vector->setGeometry(253, ButtonTop, lbl_vector->width(), ButtonHeight);
    btn_next->move(lbl_vector->x() + lbl_vector->width(), ButtonTop);
    placeViewButtons();
}

void TFrm_graph::placeViewButtons()
{
    // The View menu and the save button follow the navigation. Where the tool bar ends
    // before them (a narrow window, a long vector number), the save button moves into the
    // spacer before btn_mult, which holds it whole.
    const int viewLeft = btn_next->x() + btn_next->width();
    btn_view->setGeometry(viewLeft, ButtonTop, ViewButtonWidth, ButtonHeight);
    const int spacerLeft = Panel1->x();
    const bool fits = viewLeft + ViewButtonWidth + SaveButtonWidth <= toolBar->width();
    if (fits || btn_mult->x() - spacerLeft < SaveButtonWidth)
        btn_save->setGeometry(viewLeft + ViewButtonWidth, ButtonTop, SaveButtonWidth, ButtonHeight);
    else
        btn_save->setGeometry(
            btn_mult->x() - SaveButtonWidth - 2, ButtonTop, SaveButtonWidth, ButtonHeight);
}

void TFrm_graph::markInterval()
{
    const bool valid = labelIntervalFromText(EB_degrees->text()).has_value();
    EB_degrees->setProperty("invalid", !valid);
    EB_degrees->setStyleSheet(
        valid ? QString() : QStringLiteral("QLineEdit { border: 1px solid red; }"));
}

void TFrm_graph::savePicture()
{
    const QString fileName = Prompts::current().askSaveFileName(this,
        QStringLiteral("Save diagrams"), QStringLiteral("diagrams.png"),
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (!confirmOutputs(this, { { fileName.toStdString(), "the picture" } }, m_openScenario))
        return;
    const QString error = saveDiagramPicture(
        fileName, m_renderer, viewState(), size(), protectedFiles(m_openScenario));
    if (!error.isEmpty())
        reportError(this, error);
}

void TFrm_graph::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    toolBar->setGeometry(0, 0, width(), ToolBarHeight);
    placeViewButtons();
    // The window keeps its height at width + 24, whatever the user drags.
    if (height() != windowHeightForWidth(width()))
        resize(width(), windowHeightForWidth(width()));
}

bool TFrm_graph::isDrawing() const
{
    return m_background->isBusy();
}

void TFrm_graph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const DiagramViewState state = viewState();
    if (m_renderer.pointCount(state) < m_backgroundDrawingPoints) {
        m_renderer.paint(painter, QRectF(rect()), state);
    } else if (const QImage *picture = m_background->picture(size(), devicePixelRatioF(), state)) {
        painter.drawImage(QPointF(0, 0), *picture);
    } else {
        // Busy: the last picture stays until the new one is there, scaled to the window as
        // it is now, so that a resized window shows all of it. The members are left alone
        // while a worker may still be reading them; the finished picture puts them back at
        // the run's start.
        setCursor(Qt::BusyCursor);
        painter.fillRect(rect(), state.faceColour);
        painter.drawImage(QRectF(rect()), m_background->lastPicture());
        return;
    }
    const DiagramRenderer::IndexRange range = m_renderer.indexRange(state);
    setDrawnMembersTemperature(m_populations, range.first, range.last, m_runLowTemp);
}

} // namespace Demagora
