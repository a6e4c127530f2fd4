#include "diagrams/tfrm_graph.h"

#include "diagrams/backgroundpicture.h"
#include "diagrams/diagramscales.h"
#include "diagrams/picturefile.h"
#include "diagrams/stereogram.h"
#include "diagrams/toolbaricons.h"
#include "prompts/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>

#include <algorithm>

namespace Demagora {

namespace {

constexpr int ButtonHeight = 21;
constexpr int ButtonTop = (ToolBarHeight - ButtonHeight) / 2;

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
    , m_background(new BackgroundPicture(m_renderer, this))
{
    connect(m_background, &BackgroundPicture::pictureReady, this, [this] {
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

    for (QPushButton *button : toolBar->findChildren<QPushButton *>()) {
        if (button != btn_redraw)
            button->setAutoDefault(false);
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
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"));
    if (fileName.isEmpty())
        return;
    const QString error = saveDiagramPicture(fileName, m_renderer, viewState(), size());
    if (!error.isEmpty())
        reportError(this, error);
}

void TFrm_graph::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    toolBar->setGeometry(0, 0, width(), ToolBarHeight);
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
        // Busy: the last picture stays until the new one is there. The members are left
        // alone while a worker may still be reading them; the finished picture puts them
        // back at the run's start.
        setCursor(Qt::BusyCursor);
        painter.fillRect(rect(), state.faceColour);
        painter.drawImage(QPointF(0, 0), m_background->lastPicture());
        return;
    }
    const DiagramRenderer::IndexRange range = m_renderer.indexRange(state);
    setDrawnMembersTemperature(m_populations, range.first, range.last, m_runLowTemp);
}

} // namespace Demagora
