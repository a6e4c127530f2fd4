#include "specimens_window/interpretationpanel.h"
#include "specimens_window/openmeasurements.h"
#include "specimens_window/specimeninterpretations.h"
#include "diagrams/specimenpicture.h"
#include "specimens_window/specimenswindow.h"
#include "unmix_window/siteunmixdialog.h"
#include "unmix_window/unmixdialog.h"

#include "document/scenario.h"
#include "measurements/measurementreader.h"
#include "support/scriptedprompts.h"
#include "support/mnemonics.h"
#include "support/smallcitsite.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace Demagora {
namespace {

const QString CitSite = Testing::SmallCitSite;

std::unique_ptr<SpecimensWindow> openCit()
{
    auto window
        = std::make_unique<SpecimensWindow>(readMeasurements(CitSite.toStdString()), CitSite);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    return window;
}

QString cell(const QTableView *view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

TEST(SpecimensWindowTest, ListsTheSpecimensAndArrowsMoveThroughThem)
{
    const auto window = openCit();
    auto *list = window->findChild<QTableView *>(QStringLiteral("SG_specimens"));
    ASSERT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(cell(list, 0, 0), QStringLiteral("SM1-1a"));
    EXPECT_EQ(window->currentSpecimen(), 0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(window->currentSpecimen(), 2);
    EXPECT_EQ(window->picture().diagram().data().title.left(6), QStringLiteral("SM1-3a"));
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(window->currentSpecimen(), 1);
}

// A file whose last line has no line end may have been cut inside its last number: the
// summary says so, naming the file and line, as the batch does on standard error.
TEST(SpecimensWindowTest, SummaryShowsTheReadersNotes)
{
    QTemporaryDir folder;
    const QString sam = Testing::copySmallCitSite(folder.path());
    ASSERT_FALSE(sam.isEmpty());
    QFile cut(folder.filePath(QStringLiteral("SM1-2a")));
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    QByteArray text = cut.readAll();
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    const int lines = int(text.count('\n')) + 1;
    ASSERT_TRUE(cut.resize(0));
    cut.write(text);
    cut.close();
    SpecimensWindow window(readMeasurements(sam.toStdString()), sam);
    const QString summary = window.findChild<QLabel *>(QStringLiteral("lbl_summary"))->text();
    EXPECT_TRUE(summary.contains(
        QStringLiteral("SM1-2a, line %1: the last line has no line end").arg(lines)))
        << summary.toStdString();
}

// Moving through the specimens works from anywhere in the window: Ctrl+Down and Ctrl+Up from
// the picture, Find by part of a name (Enter for the next match), each specimen's steps shown
// from their first row; Undo shows the specimen it changes.
TEST(SpecimensWindowTest, NextPreviousFindAndUndoShowTheirSpecimen)
{
    Testing::ScriptedPrompts prompts;
    const auto window = openCit();
    window->resize(900, 420);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *picture = window->findChild<SpecimenPicture *>();
    picture->setFocus();
    QTest::keyClick(picture, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(picture, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(window->currentSpecimen(), 2);
    QTest::keyClick(picture, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(window->currentSpecimen(), 2);
    QTest::keyClick(picture, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(window->currentSpecimen(), 1);

    auto *steps = window->findChild<QTableView *>(QStringLiteral("SG_steps"));
    steps->scrollToBottom();
    ASSERT_GT(steps->verticalScrollBar()->value(), 0);
    QTest::keyClick(picture, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(steps->verticalScrollBar()->value(), 0);

    auto *find = window->findChild<QLineEdit *>(QStringLiteral("LE_find"));
    QTest::keyClick(picture, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(find->hasFocus());
    QTest::keyClicks(find, QStringLiteral("3A"));
    EXPECT_EQ(window->currentSpecimen(), 2);
    find->clear();
    QTest::keyClicks(find, QStringLiteral("sm1-"));
    EXPECT_EQ(window->currentSpecimen(), 0);
    for (int expected : { 1, 2, 0 }) {
        QTest::keyClick(find, Qt::Key_Return);
        EXPECT_EQ(window->currentSpecimen(), expected);
    }

    window->chooseSteps({ 0, 1, 2, 3 }, false);
    window->interpretation().fitChosen(FitType::Free);
    window->setCurrentSpecimen(2);
    QTest::keyClick(picture, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->currentSpecimen(), 0);
    EXPECT_TRUE(window->interpretation().interpretations().of(0).components.empty());
    window->setCurrentSpecimen(1);
    QTest::keyClick(picture, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->currentSpecimen(), 0);
    EXPECT_EQ(window->interpretation().interpretations().of(0).components.size(), 1u);
}

// Each Alt+letter key of the window belongs to one control or menu; the choice line counts one
// step as one; Delete with no component to delete says why.
TEST(SpecimensWindowTest, KeysAndMessagesOfTheInterpretationPanel)
{
    Testing::ScriptedPrompts prompts;
    const auto window = openCit();
    EXPECT_EQ(Testing::sharedMnemonics(*window), QStringList {});
    window->chooseSteps({ 4 }, false);
    EXPECT_TRUE(window->findChild<QLabel *>(QStringLiteral("lbl_choice"))
                    ->text()
                    .startsWith(QStringLiteral("1 step chosen")));
    window->findChild<QLineEdit *>(QStringLiteral("LE_component"))->setText(QStringLiteral("HT"));
    window->interpretation().deleteComponent();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.front().startsWith(QStringLiteral("No component to delete")));
}

// What the window shows can be saved (the picture in the format its name asks for, the steps,
// fits and site means as the batch writes them) and copied as a spreadsheet pastes it; no
// name given replaces a file the measurements were read from.
TEST(SpecimensWindowTest, SavesAndCopiesWhatItShows)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString sam = Testing::copySmallCitSite(folder.path());
    ASSERT_FALSE(sam.isEmpty());
    SpecimensWindow window(readMeasurements(sam.toStdString()), sam);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.chooseSteps({ 0, 1, 2, 3 }, false);
    window.interpretation().fitChosen(FitType::Free);
    const struct
    {
        const char *file;
        std::function<bool()> save;
        QByteArray start;
        int lines;
    } cases[] = {
        { "p.png", [&] { return window.savePicture(); }, "\x89PNG", -1 },
        { "p.svg", [&] { return window.savePicture(); }, "<?xml", -1 },
        { "p.pdf", [&] { return window.savePicture(); }, "%PDF", -1 },
        { "steps.csv", [&] { return window.saveStepsCsv(); },
            "specimen,treatment,level,x,y,z,unit,declination,inclination,intensity\nSM1-1a,nrm,0,",
            13 },
        { "fits.csv", [&] { return window.saveFitsCsv(); },
            "specimen,type,from,to,n,declination,inclination,mad,dang,alpha95_from_mad,"
            "alpha95_isotropic,site,component\nSM1-1a,free,0,150,4,",
            2 },
        { "sites.csv", [&] { return window.saveSiteMeansCsv(); },
            "site,n_lines,n_planes,declination,inclination,k,alpha95,component,note\n", 2 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = folder.filePath(QLatin1String(c.file));
        prompts.fileNames = { path };
        ASSERT_TRUE(c.save());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(c.start)) << bytes.left(120).toStdString();
        if (c.lines >= 0) {
            EXPECT_EQ(bytes.count('\n'), c.lines);
        }
    }
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();

    prompts.fileNames = { folder.filePath(QStringLiteral("SM1-1a")) };
    EXPECT_FALSE(window.savePicture());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.front().contains("the measurements were read from it"));

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto *components = window.findChild<QTableView *>(QStringLiteral("SG_components"));
    components->setFocus();
    QTest::keyClick(components, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_GE(copied.size(), 2);
    EXPECT_TRUE(copied[0].startsWith(QStringLiteral("Name\tFit\t"))) << copied[0].toStdString();
    EXPECT_TRUE(copied[1].startsWith(QStringLiteral("C1\tfree line\t"))) << copied[1].toStdString();
}

TEST(SpecimensWindowTest, CoordinatesTurnTheStepsButKeepTheirIntensity)
{
    const auto window = openCit();
    auto *steps = window->findChild<QTableView *>(QStringLiteral("SG_steps"));
    const QString specimenDeclination = cell(steps, 0, 5);
    const QString intensity = cell(steps, 0, 7);
    window->setCoordinates(CoordinateSystem::Geographic);
    EXPECT_NE(cell(steps, 0, 5), specimenDeclination);
    EXPECT_EQ(cell(steps, 0, 7), intensity);
    EXPECT_EQ(
        window->picture().diagram().data().steps.size(), std::size_t(steps->model()->rowCount()));
}

// View > Vertical projection holds for every specimen shown; geographic and tilt-corrected
// steps are drawn on north, east and down, the specimen's own on x, y and z; the scales name
// the file's unit and the stereogram's legend the component of a site mean.
TEST(SpecimensWindowTest, ViewChoosesTheProjectionAndTheAxesFollowTheCoordinates)
{
    const auto window = openCit();
    const auto shown = [&] { return window->picture().diagram().data(); };
    window->chooseSteps({ 0, 1, 2, 3 }, false);
    window->interpretation().fitChosen(FitType::Free);
    window->findChild<QCheckBox *>(QStringLiteral("CH_site"))->setChecked(true);
    ASSERT_EQ(shown().cones.size(), 1u);
    EXPECT_EQ(shown().cones.front().name, QStringLiteral("C1"));
    EXPECT_EQ(shown().options.projection, VerticalProjection::North);
    window->findChild<QAction *>(QStringLiteral("act_projectionBoth"))->trigger();
    window->setCurrentSpecimen(1);
    EXPECT_EQ(shown().options.projection, VerticalProjection::Both);
    EXPECT_EQ(shown().momentUnit, QStringLiteral("A m2"));
    for (const auto &[system, specimenAxes] : { std::pair { CoordinateSystem::Geographic, false },
             std::pair { CoordinateSystem::TiltCorrected, false },
             std::pair { CoordinateSystem::Specimen, true } }) {
        SCOPED_TRACE(int(system));
        window->setCoordinates(system);
        EXPECT_EQ(shown().specimenAxes, specimenAxes);
    }
}

TEST(SpecimensWindowTest, StepsChosenInTheTableOrOnTheDiagramAreTheSame)
{
    const auto window = openCit();
    auto *steps = window->findChild<QTableView *>(QStringLiteral("SG_steps"));
    window->chooseSteps({ 3, 4, 5 }, false);
    EXPECT_EQ(window->chosenSteps(), (std::vector<int> { 3, 4, 5 }));
    int highlighted = 0;
    for (const SpecimenDiagramStep &step : window->picture().diagram().data().steps)
        highlighted += step.selected ? 1 : 0;
    EXPECT_EQ(highlighted, 3);

    // A click on the symbol of a step in the picture chooses that step alone. Every pixel lies
    // within 0.71 of a symbol centre, so the search finds the step whatever the layout.
    auto *picture = const_cast<SpecimenPicture *>(&window->picture());
    const SpecimenDiagram &diagram = picture->diagram();
    std::optional<QPoint> target;
    for (int x = 0; x < picture->width() && !target; ++x) {
        for (int y = 0; y < picture->height() && !target; ++y) {
            if (diagram.stepAt(picture->rect(), QPointF(x, y), 0.75) == 7)
                target = QPoint(x, y);
        }
    }
    ASSERT_TRUE(target.has_value());
    QTest::mouseClick(picture, Qt::LeftButton, {}, *target);
    EXPECT_EQ(window->chosenSteps(), (std::vector<int> { 7 }));
    // Dragging over the whole picture chooses every step.
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseMove(picture, QPoint(picture->width() - 1, picture->height() - 1));
    QTest::mouseRelease(
        picture, Qt::LeftButton, {}, QPoint(picture->width() - 1, picture->height() - 1));
    EXPECT_EQ(int(window->chosenSteps().size()), steps->model()->rowCount());
}

TEST(SpecimensWindowTest, RefusedFileIsReportedAndOpensNothing)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("broken.jr6"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a measurement file\n");
    file.close();
    QSignalSpy done(openMeasurements(nullptr, path), &MeasurementOpening::done);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(done.front().front().toBool());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.front().contains(QStringLiteral("broken.jr6")))
        << prompts.errors.front().toStdString();
}

// A file of AF steps only opens on them, in mT; Unmix, whose model is thermal, refuses them.
TEST(SpecimensWindowTest, AnAfFileOpensOnItsAfStepsWhichUnmixRefuses)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString sam = Testing::copySmallCitSite(folder.path());
    ASSERT_FALSE(sam.isEmpty());
    for (const char *name : { "SM1-1a", "SM1-2a", "SM1-3a" }) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray text = file.readAll().replace("\nTT ", "\nAF ");
        ASSERT_TRUE(file.resize(0));
        file.write(text);
    }
    QWidget parent;
    QSignalSpy done(openMeasurements(&parent, sam), &MeasurementOpening::done);
    ASSERT_TRUE(done.wait(10000));
    auto *window = parent.findChild<SpecimensWindow *>();
    ASSERT_NE(window, nullptr) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(window->demagnetization(), DemagKind::AlternatingField);
    auto *steps = window->findChild<QTableView *>(QStringLiteral("SG_steps"));
    ASSERT_EQ(steps->model()->rowCount(), 12);
    EXPECT_EQ(cell(steps, 1, 0), QStringLiteral("AF"));
    EXPECT_EQ(steps->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Level (mT)"));
    EXPECT_EQ(window->picture().diagram().data().levelUnit, QStringLiteral("mT"));

    window->findChild<QPushButton *>(QStringLiteral("btn_unmix"))->click();
    EXPECT_EQ(window->findChild<UnmixDialog *>(), nullptr);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.front().startsWith(QStringLiteral("Unmix needs thermal steps")));

    // Its thermal steps, which it has none of, are refused: the window stays on the AF ones.
    window->readDemagnetization(DemagKind::Thermal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompts.errors.size() == 2; }, 10000));
    EXPECT_TRUE(prompts.errors.back().endsWith(QStringLiteral("holds no thermal step beside the NRM.")))
        << prompts.errors.back().toStdString();
    EXPECT_EQ(parent.findChildren<SpecimensWindow *>().size(), 1);
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("CB_demagnetization"))->currentText(),
        QStringLiteral("AF"));
}

// The unmix window names its picture's axes as the specimens window does: x, y and z for
// steps in the specimen's own frame, north, east and down once oriented.
TEST(SpecimensWindowTest, UnmixWindowNamesItsAxesByTheCoordinatesShown)
{
    Testing::ScriptedPrompts prompts;
    const auto window = openCit();
    for (const auto &[index, specimenAxes] : { std::pair { 0, true }, std::pair { 1, false } }) {
        SCOPED_TRACE(index);
        window->findChild<QComboBox *>(QStringLiteral("CB_coordinates"))->setCurrentIndex(index);
        window->findChild<QPushButton *>(QStringLiteral("btn_unmix"))->click();
        auto *dialog = window->findChild<UnmixDialog *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->picture().diagram().data().specimenAxes, specimenAxes);
        delete dialog;
    }
}

// "Unmix site..." opens the site window over every specimen of the shown specimen's site, the
// shown one first, and fits them together.
TEST(SpecimensWindowTest, UnmixSiteOpensOverTheShownSpecimensSite)
{
    Testing::ScriptedPrompts prompts;
    const auto window = openCit();
    window->setCurrentSpecimen(1);
    auto *unmixSite = window->findChild<QPushButton *>(QStringLiteral("btn_unmixSite"));
    // In specimen coordinates the specimens' directions cannot be compared.
    unmixSite->click();
    EXPECT_EQ(window->findChild<SiteUnmixDialog *>(), nullptr);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("choose Geographic")) << prompts.errors[0].toStdString();
    prompts.errors.clear();
    window->findChild<QComboBox *>(QStringLiteral("CB_coordinates"))->setCurrentIndex(1);
    unmixSite->click();
    auto *dialog = window->findChild<SiteUnmixDialog *>();
    ASSERT_NE(dialog, nullptr) << prompts.errors.join('\n').toStdString();
    const auto *specimens = dialog->findChild<QComboBox *>(QStringLiteral("CB_specimen"));
    EXPECT_EQ(specimens->count(), 3);
    EXPECT_EQ(specimens->currentText(), "SM1-2a");
    QSignalSpy finished(dialog, &SiteUnmixDialog::unmixFinished);
    dialog->setChoices(1, 0);
    dialog->btn_unmixClick();
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_TRUE(dialog->result().has_value()) << dialog->statusText().toStdString();
    EXPECT_EQ(dialog->result()->specimens.size(), 3u);
}

// The twin an unmix window saves is handed to the opener the main window gave the specimens
// window, which opens it there; without an opener nobody is asked about opening it.
TEST(SpecimensWindowTest, UnmixWindowsHandTheirTwinsToTheMainWindow)
{
    for (const bool withOpener : { true, false }) {
        SCOPED_TRACE(withOpener);
        Testing::ScriptedPrompts prompts;
        const auto window = openCit();
        QStringList opened;
        if (withOpener)
            window->setScenarioOpener([&opened](const QString &path) { opened << path; });
        window->findChild<QPushButton *>(QStringLiteral("btn_unmix"))->click();
        auto *dialog = window->findChild<UnmixDialog *>();
        ASSERT_NE(dialog, nullptr);
        QSignalSpy finished(dialog, &UnmixDialog::unmixFinished);
        dialog->setChoices(1, UnmixShapes::Gauss, 0);
        dialog->btn_unmixClick();
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_TRUE(dialog->result().has_value()) << dialog->statusText().toStdString();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("twin.json"));
        prompts.fileNames = { path };
        prompts.answers = { Prompts::Answer::Yes };
        dialog->btn_saveClick();
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_EQ(opened, withOpener ? QStringList { path } : QStringList {});
        ASSERT_EQ(prompts.questions.size(), withOpener ? 1 : 0);
        // Scaled so that the NRM (3.95e-8 A m2) is 1,000 of the main window's units: the
        // component's height over its range of a few hundred degrees is then a few units. The
        // factor is said in the question that offers the twin, else when it is saved.
        const Scenario twin = readScenarioFile(QFile::encodeName(path).toStdString());
        ASSERT_EQ(twin.components.size(), 1u);
        EXPECT_GT(twin.components[0].Height, 1);
        EXPECT_LT(twin.components[0].Height, 100);
        const QStringList said = withOpener ? prompts.questions : prompts.informations;
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said.front().contains(
            QStringLiteral("divided by 3.95e-11 A m2, so that the NRM of 3.95e-08 A m2 is "
                           "1,000 units")))
            << said.front().toStdString();
    }
}

TEST(StepLossesTest, RemovedVectorPerDegreeBetweenRisingSteps)
{
    const std::vector<SpecimenDiagramStep> steps { { 0, { 3, 4, 0 } }, { 100, { 0, 0, 0 } },
        { 100, { 0, 0, 1 } }, { 300, { 0, 0, -1 } } };
    const std::vector<StepLoss> losses = stepLosses(steps);
    ASSERT_EQ(losses.size(), 2u); // the repeat at 100 has no span
    EXPECT_DOUBLE_EQ(losses[0].perLevel, 5.0 / 100);
    EXPECT_DOUBLE_EQ(losses[1].perLevel, 2.0 / 200); // a reversal removes twice its length
}

} // namespace
} // namespace Demagora
