#include "diagrams/tfrm_graph.h"

#include "diagrams/diagramwindow.h"
#include "diagrams/toolbaricons.h"
#include "diagramfixtures.h"
#include "support/scriptedprompts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace Demagora {
namespace {

using Testing::colourNear;
using Testing::component;
using Testing::countText;
using Testing::ScriptedPrompts;
using Testing::WorkedExample;

// Three resulting vectors from a population of three members per component.
struct ThreeVectors
{
    ComponentPopulations populations {
        { component(0, 20, 10, 100, 200, SpectrumShape::Gauss),
            component(10, 25, 10, 100, 200, SpectrumShape::Gauss),
            component(350, 15, 10, 100, 200, SpectrumShape::Gauss) },
        { component(90, -30, 5, 150, 250, SpectrumShape::Rectangular),
            component(80, -35, 5, 150, 250, SpectrumShape::Rectangular),
            component(100, -25, 5, 150, 250, SpectrumShape::Rectangular) },
    };
    ResultSeries series;

    ThreeVectors() { RunDemagnetization(150, 100, 250, series, populations); }
};

class TFrm_graphTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        window = std::make_unique<TFrm_graph>(data.series, data.populations, 100, 150);
        window->setBitmapFolder(folder.path());
    }

    template <typename Widget> Widget *child(const char *name)
    {
        auto *widget = window->findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void writeBitmaps()
    {
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::green);
        ASSERT_TRUE(picture.save(folder.filePath(QStringLiteral("arrowSingle.bmp")), "BMP"));
        ASSERT_TRUE(picture.save(folder.filePath(QStringLiteral("arrowmult.bmp")), "BMP"));
    }

    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    QString vectorLabel() { return child<QLabel>("lbl_vector")->text(); }

    ScriptedPrompts prompts;
    QTemporaryDir folder;
    ThreeVectors data;
    std::unique_ptr<TFrm_graph> window;
};

TEST_F(TFrm_graphTest, OpensInItsInitialState)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Graph"));
    EXPECT_EQ(window->size(), QSize(700, 724));
    EXPECT_EQ(vectorLabel(), QStringLiteral("0/2"));
    EXPECT_EQ(child<QLineEdit>("EB_degrees")->text(), QStringLiteral("50"));
    EXPECT_FALSE(child<QLineEdit>("EB_degrees")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btn_prev")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btn_next")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btn_mult")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btn_legend")->isChecked());
    EXPECT_EQ(child<QPushButton>("btn_mult")->toolTip(),
        QStringLiteral("choose between multiple/single vectors"));
    EXPECT_EQ(child<QPushButton>("btn_next")->x(),
        child<QLabel>("lbl_vector")->x() + child<QLabel>("lbl_vector")->width());
    const DiagramViewState state = window->viewState();
    EXPECT_EQ(state.mode, DisplayMode::Multiple);
    EXPECT_FALSE(state.showTemperatures);
}

TEST_F(TFrm_graphTest, HeightFollowsWidth)
{
    window->show();
    window->resize(370, 600);
    EXPECT_EQ(window->size(), QSize(370, 394));
    window->resize(900, 100);
    EXPECT_EQ(window->size(), QSize(900, 924));
}

TEST_F(TFrm_graphTest, ModeSwitchReadsTheBitmapsAndKeepsTheChosenVector)
{
    writeBitmaps();
    click("btn_mult");
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(window->viewState().mode, DisplayMode::Single);
    EXPECT_TRUE(child<QPushButton>("btn_prev")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btn_next")->isEnabled());

    click("btn_next");
    EXPECT_EQ(vectorLabel(), QStringLiteral("1/2"));
    click("btn_mult");
    EXPECT_EQ(window->viewState().mode, DisplayMode::Multiple);
    EXPECT_FALSE(child<QPushButton>("btn_next")->isEnabled());
    EXPECT_EQ(vectorLabel(), QStringLiteral("1/2"));
    click("btn_mult");
    EXPECT_EQ(window->viewState().mode, DisplayMode::Single);
    EXPECT_EQ(window->viewState().currentVector, 1);
}

TEST_F(TFrm_graphTest, MissingOrBrokenBitmapStopsTheModeSwitch)
{
    click("btn_mult");
    const QString missing = QDir(folder.path()).absoluteFilePath(QStringLiteral("arrowmult.bmp"));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0],
        QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(missing));
    EXPECT_EQ(window->viewState().mode, DisplayMode::Multiple);
    EXPECT_FALSE(child<QPushButton>("btn_prev")->isEnabled());

    QFile broken(missing);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    click("btn_mult");
    ASSERT_EQ(prompts.errors.size(), 2);
    EXPECT_EQ(prompts.errors[1], QStringLiteral("Bitmap image is not valid."));
    EXPECT_EQ(window->viewState().mode, DisplayMode::Multiple);

    writeBitmaps();
    click("btn_mult");
    EXPECT_EQ(prompts.errors.size(), 2);
    EXPECT_EQ(window->viewState().mode, DisplayMode::Single);
}

TEST_F(TFrm_graphTest, ShippedBitmapsAreReadFromTheWorkingDirectory)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QStringLiteral(DEMAGORA_SOURCE_DIR)));
    window->setBitmapFolder(QStringLiteral("graphic"));
    click("btn_mult");
    click("btn_mult");
    QDir::setCurrent(previous);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(window->viewState().mode, DisplayMode::Multiple);
}

TEST(ModePictureLookupTest, FirstFolderHoldingTheFileWins)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QStringList folders { root.filePath(QStringLiteral("working")),
        root.filePath(QStringLiteral("installed")), root.filePath(QStringLiteral("source")) };
    for (const QString &folder : folders)
        ASSERT_TRUE(QDir().mkpath(folder));
    const auto place = [&](int folder, const QString &name) {
        QFile file(QDir(folders[folder]).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    place(0, QStringLiteral("both.bmp"));
    place(1, QStringLiteral("both.bmp"));
    place(1, QStringLiteral("installed.bmp"));
    place(2, QStringLiteral("installed.bmp"));
    place(2, QStringLiteral("source.bmp"));

    const struct
    {
        const char *name;
        int folder;
    } cases[]
        = { { "both.bmp", 0 }, { "installed.bmp", 1 }, { "source.bmp", 2 }, { "nowhere.bmp", 0 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(findModePicture(name, folders), QDir(folders[c.folder]).filePath(name));
    }
}

// Without a folder set, the window looks under the working directory first and then beside
// the executable and in the source tree: a test run from the build folder reaches single mode
// from any working directory, yet a graphic/ folder there still comes first.
TEST(ModePictureLookupTest, WindowFindsThePicturesFromAnyWorkingDirectory)
{
    ScriptedPrompts prompts;
    ThreeVectors data;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));

    TFrm_graph window(data.series, data.populations, 100, 150);
    window.menSingleClick();
    const DisplayMode reached = window.viewState().mode;

    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("graphic")));
    QFile broken(QStringLiteral("graphic/arrowSingle.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    window.menSingleClick();
    QDir::setCurrent(previous);

    EXPECT_EQ(reached, DisplayMode::Single);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], QStringLiteral("Bitmap image is not valid."));
    EXPECT_EQ(window.viewState().mode, DisplayMode::Single);
}

TEST_F(TFrm_graphTest, NavigationWrapsAround)
{
    writeBitmaps();
    click("btn_mult");
    click("btn_prev");
    EXPECT_EQ(vectorLabel(), QStringLiteral("2/2"));
    EXPECT_EQ(window->viewState().currentVector, 2);
    click("btn_next");
    EXPECT_EQ(vectorLabel(), QStringLiteral("0/2"));
    click("btn_next");
    click("btn_next");
    EXPECT_EQ(vectorLabel(), QStringLiteral("2/2"));
    EXPECT_EQ(child<QPushButton>("btn_next")->x(),
        child<QLabel>("lbl_vector")->x() + child<QLabel>("lbl_vector")->width());
}

TEST_F(TFrm_graphTest, SingleVectorRunStaysAtZero)
{
    WorkedExample example;
    TFrm_graph single(example.series, example.populations, 100, 150);
    auto *label = single.findChild<QLabel *>(QStringLiteral("lbl_vector"));
    EXPECT_EQ(label->text(), QStringLiteral("0/0"));
    single.btn_nextClick();
    EXPECT_EQ(label->text(), QStringLiteral("0/0"));
    single.btn_prevClick();
    EXPECT_EQ(label->text(), QStringLiteral("0/0"));
}

TEST_F(TFrm_graphTest, LegendAndTemperatureToggles)
{
    window->show();
    const QRect dJdT(QPoint(325, 24), QSize(25, 10));
    const QColor black(0, 0, 0);
    EXPECT_EQ(countText(window->grab().toImage(), dJdT, black), 0);
    click("btn_legend");
    EXPECT_TRUE(window->viewState().showLegend);
    EXPECT_GT(countText(window->grab().toImage(), dJdT, black), 0);
    click("btn_legend");
    EXPECT_EQ(countText(window->grab().toImage(), dJdT, black), 0);

    auto *degrees = child<QLineEdit>("EB_degrees");
    click("btn_temps");
    EXPECT_TRUE(degrees->isEnabled());
    EXPECT_TRUE(window->viewState().showTemperatures);
    click("btn_temps");
    EXPECT_FALSE(degrees->isEnabled());
    EXPECT_FALSE(window->viewState().showTemperatures);
}

TEST_F(TFrm_graphTest, InvalidIntervalIsMarkedAndDrawsNoLabels)
{
    click("btn_temps");
    auto *degrees = child<QLineEdit>("EB_degrees");
    degrees->clear();
    QTest::keyClicks(degrees, QStringLiteral("1.5"));
    EXPECT_TRUE(degrees->property("invalid").toBool());
    EXPECT_TRUE(degrees->styleSheet().contains(QStringLiteral("red")));
    EXPECT_FALSE(window->viewState().labelInterval);
    degrees->setText(QStringLiteral("0"));
    EXPECT_TRUE(degrees->property("invalid").toBool());
    degrees->setText(QStringLiteral("25"));
    EXPECT_FALSE(degrees->property("invalid").toBool());
    EXPECT_TRUE(degrees->styleSheet().isEmpty());
    EXPECT_EQ(window->viewState().labelInterval, 25);
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(TFrm_graphTest, EnterInTheIntervalRedraws)
{
    window->show();
    click("btn_temps");
    auto *degrees = child<QLineEdit>("EB_degrees");
    degrees->setFocus();
    QSignalSpy redraws(child<QPushButton>("btn_redraw"), &QPushButton::clicked);
    QTest::keyClick(degrees, Qt::Key_Return);
    EXPECT_EQ(redraws.count(), 1);
    EXPECT_TRUE(window->isVisible()) << "Enter must not close the window";
}

TEST_F(TFrm_graphTest, PaintingLeavesDrawnMembersAtTheRunStart)
{
    window->show();
    window->grab();
    for (const Population &population : data.populations) {
        for (const TVector &member : population)
            EXPECT_EQ(member.Temperature, 100);
    }
}

TEST_F(TFrm_graphTest, SavesThePictureAsPngOrSvg)
{
    const QString png = folder.filePath(QStringLiteral("diagrams.png"));
    const QString svg = folder.filePath(QStringLiteral("diagrams.SVG"));
    prompts.fileNames = { png, svg, QString(), folder.filePath(QStringLiteral("no/such/a.png")) };
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keySequence(window.get(), QKeySequence::Save);
    const QImage image(png, "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(700, 724));
    QImage expected(700, 724, QImage::Format_RGB32);
    QPainter painter(&expected);
    window->renderer().paint(painter, QRectF(0, 0, 700, 724), window->viewState());
    painter.end();
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), expected);

    click("btn_legend");
    QTest::keySequence(window.get(), QKeySequence::Save);
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains("dJ/dT")) << "labels stay text";

    QTest::keySequence(window.get(), QKeySequence::Save); // cancelled: nothing happens
    EXPECT_TRUE(prompts.errors.isEmpty());
    QTest::keySequence(window.get(), QKeySequence::Save);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith(QStringLiteral("Cannot create file \"")));
}

// The part of a picture below the tool bar, which covers the top strip of the window.
QImage belowToolBar(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32)
        .copy(0, 24, image.width(), image.height() - 24);
}

// The window as the user sees it, below the tool bar.
QImage shownPicture(TFrm_graph &window)
{
    return belowToolBar(window.grab().toImage());
}

// The picture the renderer defines for the window's size and state, as the files have it.
QImage rendererPicture(const TFrm_graph &window)
{
    QImage expected(window.size(), QImage::Format_RGB32);
    QPainter painter(&expected);
    window.renderer().paint(
        painter, QRectF(QPointF(0, 0), QSizeF(window.size())), window.viewState());
    painter.end();
    return belowToolBar(expected);
}

TEST_F(TFrm_graphTest, PictureDrawnOnAWorkerIsTheRenderersPixelForPixel)
{
    window->setBackgroundDrawingPoints(0);
    window->show();
    window->grab(); // the first paint starts the drawing
    EXPECT_TRUE(window->isDrawing());
    QTRY_VERIFY(!window->isDrawing());
    EXPECT_EQ(shownPicture(*window), rendererPicture(*window));

    // A change of state starts a new drawing; once it is done the window shows its picture.
    click("btn_temps");
    click("btn_legend");
    window->grab();
    QTRY_VERIFY(!window->isDrawing());
    EXPECT_TRUE(window->viewState().showTemperatures);
    EXPECT_EQ(shownPicture(*window), rendererPicture(*window));
}

TEST_F(TFrm_graphTest, NewerDrawingReplacesTheOlderAndClosingCancelsIt)
{
    window->setBackgroundDrawingPoints(0);
    window->show();
    window->grab();
    // Resized before the first drawing ended: only the picture of the new size is shown.
    window->resize(800, 824);
    window->grab();
    EXPECT_TRUE(window->isDrawing());
    QTRY_VERIFY(!window->isDrawing());
    const QImage shown = shownPicture(*window);
    EXPECT_EQ(shown.size(), QSize(800, 800));
    EXPECT_EQ(shown, rendererPicture(*window));

    // Closed while a drawing runs: the drawing is stopped and waited for before the window's
    // run goes, so that it finds nothing of the window destroyed (the sanitizers tell).
    click("btn_legend");
    window->grab();
    EXPECT_TRUE(window->isDrawing());
    window.reset();
}

TEST_F(TFrm_graphTest, ResizedWindowShowsTheLastPictureScaledWhileTheNewOneIsDrawn)
{
    window->setBackgroundDrawingPoints(0);
    window->show();
    window->grab();
    QTRY_VERIFY(!window->isDrawing());
    // The finished picture, as the renderer paints it for the window's size and state.
    QImage last(window->size(), QImage::Format_RGB32);
    QPainter lastPainter(&last);
    window->renderer().paint(
        lastPainter, QRectF(QPointF(0, 0), QSizeF(window->size())), window->viewState());
    lastPainter.end();
    {
        // The drawing's end comes through the event loop, which grabbing does not run: the
        // window is still drawing when it is grabbed.
        window->resize(900, 924);
        const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(window->isDrawing());
        QImage expected(shown.size(), QImage::Format_RGB32);
        expected.fill(window->viewState().faceColour);
        QPainter painter(&expected);
        painter.drawImage(QRectF(expected.rect()), last);
        painter.end();
        EXPECT_EQ(belowToolBar(shown), belowToolBar(expected)) << "scaled, not cropped";
    }
    QTRY_VERIFY(!window->isDrawing());
    EXPECT_EQ(shownPicture(*window), rendererPicture(*window));
}

TEST_F(TFrm_graphTest, ViewMenuOptionsReachThePictureAndAreRemembered)
{
    QSettings store(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    window->setPreferences(&store);
    EXPECT_EQ(window->viewState().options, DiagramOptions {});
    click("btn_temps");
    window->show();

    // Each entry of the View menu in turn, the options it leaves behind, the picture it
    // gives: another than before, and the renderer's picture of the window's state.
    DiagramOptions expected;
    const struct
    {
        const char *action;
        std::function<void(DiagramOptions &)> change;
    } cases[] = {
        { "act_netEqualArea", [](DiagramOptions &o) { o.net = NetKind::EqualArea; } },
        { "act_hemisphereByFill", [](DiagramOptions &o) { o.hemisphereByFill = true; } },
        { "act_labelsInDegrees", [](DiagramOptions &o) { o.labelsIn = LabelUnit::Degrees; } },
        { "act_clearLabels", [](DiagramOptions &o) { o.clearLabels = true; } },
        { "act_projectionEast",
            [](DiagramOptions &o) { o.projection = VerticalProjection::East; } },
        { "act_projectionBoth",
            [](DiagramOptions &o) { o.projection = VerticalProjection::Both; } },
        { "act_panelDecay", [](DiagramOptions &o) { o.panel = IntensityPanel::Decay; } },
        { "act_edgeRoom", [](DiagramOptions &o) { o.edgeRoom = true; } },
        { "act_axisTitles", [](DiagramOptions &o) { o.axisTitles = true; } },
        { "act_hemisphereByFill", [](DiagramOptions &o) { o.hemisphereByFill = false; } },
    };
    QImage before = shownPicture(*window);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.action);
        QAction *action = window->findChild<QAction *>(QString::fromLatin1(c.action));
        ASSERT_NE(action, nullptr);
        action->trigger();
        c.change(expected);
        EXPECT_EQ(window->viewState().options, expected);
        EXPECT_EQ(window->options(), expected);
        const QImage shown = shownPicture(*window);
        EXPECT_EQ(shown, rendererPicture(*window));
        EXPECT_TRUE(shown != before) << "the option changes the picture";
        before = shown;
    }
    EXPECT_FALSE(window->findChild<QAction *>(QStringLiteral("act_hemisphereByFill"))->isChecked());
    EXPECT_TRUE(window->findChild<QAction *>(QStringLiteral("act_projectionBoth"))->isChecked());
    EXPECT_FALSE(window->findChild<QAction *>(QStringLiteral("act_projectionNorth"))->isChecked());

    // The next window starts with the options of the last one, with the menu showing them.
    store.sync();
    QSettings reopened(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    TFrm_graph next(data.series, data.populations, 100, 150);
    EXPECT_EQ(next.viewState().options, DiagramOptions {}) << "without a store: the defaults";
    next.setPreferences(&reopened);
    EXPECT_EQ(next.viewState().options, expected);
    EXPECT_TRUE(next.findChild<QAction *>(QStringLiteral("act_edgeRoom"))->isChecked());
    EXPECT_TRUE(next.findChild<QAction *>(QStringLiteral("act_panelDecay"))->isChecked());
}

TEST_F(TFrm_graphTest, SavePictureButtonAndMenuEntryWritePngSvgAndPdf)
{
    const QString pdf = folder.filePath(QStringLiteral("diagrams.PDF"));
    const QString png = folder.filePath(QStringLiteral("diagrams.png"));
    prompts.fileNames = { pdf, png };
    window->resize(370, 394);
    EXPECT_LE(child<QPushButton>("btn_save")->geometry().right(), 369)
        << "the tool bar holds the save button in the narrowest window";
    click("btn_save");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF-"));
    window->findChild<QAction *>(QStringLiteral("act_savePicture"))->trigger();
    EXPECT_EQ(QImage(png, "PNG").size(), QSize(370, 394));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST(DiagramWindowToolBarTest, SaveButtonStaysWholeWhateverTheVectorNumber)
{
    ScriptedPrompts prompts;
    WorkedExample example;
    for (const std::size_t vectors : { std::size_t(3), std::size_t(100), std::size_t(100'000) }) {
        SCOPED_TRACE(vectors);
        // One step each: the window reads no more before it paints.
        const ResultSeries series(vectors, ResultSeriesEntry(1, example.series.front().front()));
        TFrm_graph window(series, example.populations, 100, 150);
        for (const int width : { 370, 700 }) {
            SCOPED_TRACE(width);
            window.resize(width, width + 24);
            const auto *save = window.findChild<QPushButton *>(QStringLiteral("btn_save"));
            const auto *view = window.findChild<QToolButton *>(QStringLiteral("btn_view"));
            const auto *next = window.findChild<QPushButton *>(QStringLiteral("btn_next"));
            const auto *mult = window.findChild<QPushButton *>(QStringLiteral("btn_mult"));
            EXPECT_LE(save->geometry().right(), width - 1);
            EXPECT_LE(view->geometry().right(), width - 1);
            EXPECT_FALSE(save->geometry().intersects(view->geometry()));
            EXPECT_FALSE(save->geometry().intersects(next->geometry()));
            EXPECT_FALSE(save->geometry().intersects(mult->geometry()));
        }
    }
}

TEST(DiagramWindowTest, NothingToDrawIsReported)
{
    ScriptedPrompts prompts;
    ComponentPopulations populations;
    showDiagramWindow(nullptr, {}, populations, 0, 1);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(
        prompts.errors[0], QStringLiteral("There is nothing to draw: calculate a run first."));
    WorkedExample example;
    EXPECT_TRUE(canShowDiagrams(example.series, example.populations));
    EXPECT_FALSE(canShowDiagrams({ {} }, example.populations));
    EXPECT_FALSE(canShowDiagrams(example.series, {}));
}

} // namespace
} // namespace Demagora
