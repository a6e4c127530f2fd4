#include "specimens_window/interpretationpanel.h"
#include "specimens_window/interpretationtablemodel.h"
#include "specimens_window/openmeasurements.h"
#include "specimens_window/specimeninterpretations.h"
#include "diagrams/specimenpicture.h"
#include "specimens_window/specimenswindow.h"
#include "unmix_window/unmixdialog.h"

#include "measurements/measurementreader.h"
#include "support/scriptedprompts.h"
#include "support/sharedmeasurements.h"
#include "support/smallcitsite.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace Demagora {
namespace {

const QString CitSite = QStringLiteral(DEMAGORA_MEASUREMENTS_DIR "/cit-PI47/PI47-.sam");
const QString SmallSite = Testing::SmallCitSite;

std::unique_ptr<SpecimensWindow> openActiveCit(const QString &path = SmallSite)
{
    auto window = std::make_unique<SpecimensWindow>(readMeasurements(path.toStdString()), path);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
}

// A file of that text in the folder, for a test to open.
QString fileIn(const QTemporaryDir &folder, const char *name, const char *text)
{
    const QString path = folder.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name;
    file.write(text);
    return path;
}

QTableView *table(const SpecimensWindow &window, const char *name)
{
    return window.findChild<QTableView *>(QLatin1String(name));
}

QString cell(const QTableView *view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

// Every cell of a table, row by row, as the user reads it.
QStringList tableText(const QTableView *view)
{
    QStringList rows;
    for (int r = 0; r < view->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            cells << cell(view, r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// A point of the picture over a step's symbol in the vector diagram.
QPoint pointOfStep(const SpecimenPicture &picture, int step)
{
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            if (picture.diagram().stepAt(picture.rect(), QPointF(x, y), 0.75) == step)
                return { x, y };
        }
    }
    ADD_FAILURE() << "no pixel over step " << step;
    return {};
}

TEST(InterpretationPanelTest, KeysFitTheStepsChosenByKeyboardAndMouseAndUndoTakesThemBack)
{
    Testing::ScriptedPrompts prompts;
    const auto window = openActiveCit();
    QTableView *steps = table(*window, "SG_steps");
    QTableView *components = table(*window, "SG_components");
    const auto *choice = window->findChild<QLabel *>(QStringLiteral("lbl_choice"));

    // Steps 3 to 6 by keyboard, then a free line with L.
    steps->setFocus();
    steps->setCurrentIndex(steps->model()->index(3, 0));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(steps, Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(window->chosenSteps(), (std::vector<int> { 3, 4, 5, 6 }));
    EXPECT_TRUE(choice->text().startsWith(QStringLiteral("4 steps chosen, free line: D ")))
        << choice->text().toStdString();
    QTest::keyClick(steps, Qt::Key_L);
    ASSERT_EQ(components->model()->rowCount(), 1);
    EXPECT_EQ(cell(components, 0, InterpretationTableModel::Type), QStringLiteral("free line"));
    EXPECT_EQ(cell(components, 0, InterpretationTableModel::Steps), QStringLiteral("4"));
    const QStringList fourSteps = tableText(components);
    // The component and the chosen steps' fit, drawn over the vector diagram.
    EXPECT_EQ(window->picture().diagram().data().lines.size(), 2u);

    // Ctrl and a click on step 9 in the picture adds it; L again refits the same component.
    auto *picture = const_cast<SpecimenPicture *>(&window->picture());
    QTest::mouseClick(picture, Qt::LeftButton, Qt::ControlModifier, pointOfStep(*picture, 9));
    ASSERT_EQ(window->chosenSteps(), (std::vector<int> { 3, 4, 5, 6, 9 }));
    EXPECT_TRUE(choice->text().startsWith(QStringLiteral("5 steps chosen")))
        << choice->text().toStdString();
    QTest::keyClick(steps, Qt::Key_L);
    ASSERT_EQ(components->model()->rowCount(), 1);
    EXPECT_EQ(cell(components, 0, InterpretationTableModel::Steps), QStringLiteral("5"));
    EXPECT_EQ(cell(components, 0, InterpretationTableModel::To), cell(steps, 9, 1));
    const QStringList fiveSteps = tableText(components);
    EXPECT_NE(fiveSteps, fourSteps);

    // P makes it a plane: a great circle, no line but the choice's.
    QTest::keyClick(steps, Qt::Key_P);
    EXPECT_EQ(cell(components, 0, InterpretationTableModel::Type), QStringLiteral("plane"));
    EXPECT_EQ(cell(components, 0, InterpretationTableModel::Dang), QString());
    EXPECT_EQ(window->picture().diagram().data().planes.size(), 2u);

    QTest::keyClick(steps, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tableText(components), fiveSteps);
    QTest::keyClick(steps, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tableText(components), fourSteps);
    QTest::keyClick(steps, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tableText(components), fiveSteps);

    QTest::keyClick(steps, Qt::Key_Delete);
    EXPECT_EQ(components->model()->rowCount(), 0);
    // The choice alone is drawn, fitted as the last fit made: a plane.
    EXPECT_TRUE(window->picture().diagram().data().lines.empty());
    EXPECT_EQ(window->picture().diagram().data().planes.size(), 1u);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

TEST(InterpretationPanelTest, FitWithoutEnoughStepsIsRefusedAndChangesNothing)
{
    Testing::ScriptedPrompts prompts;
    const auto window = openActiveCit();
    QTableView *steps = table(*window, "SG_steps");
    window->chooseSteps({ 2, 3 }, false);
    QTest::keyClick(steps, Qt::Key_P);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.front().startsWith(QStringLiteral("Cannot fit C1 of SM1-1a: ")))
        << prompts.errors.front().toStdString();
    EXPECT_EQ(table(*window, "SG_components")->model()->rowCount(), 0);
    EXPECT_TRUE(window->interpretation().interpretations().isSaved());
}

TEST(InterpretationPanelTest, SavedInterpretationsReopenWithTheSameFits)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("specimens.txt"));
    std::vector<QStringList> made;
    QStringList sites;
    {
        const auto window = openActiveCit();
        window->setCoordinates(CoordinateSystem::Geographic);
        const int count = int(window->measurements().specimens.size());
        for (int i = 0; i < count; ++i) {
            window->setCurrentSpecimen(i);
            const int n = int(window->measurements().specimens[std::size_t(i)].steps.size());
            std::vector<int> high;
            for (int s = 3; s < n; ++s)
                high.push_back(s);
            window->chooseSteps(high, false);
            window->interpretation().fitChosen(FitType::Free);
            window->chooseSteps({ 0, 1, 2, 3 }, false);
            window->findChild<QLineEdit *>(QStringLiteral("LE_component"))->setText("LT");
            window->interpretation().fitChosen(i % 2 ? FitType::Plane : FitType::Anchored);
            window->findChild<QLineEdit *>(QStringLiteral("LE_component"))->setText("C1");
            made.push_back(tableText(table(*window, "SG_components")));
            EXPECT_EQ(made.back().size(), 2);
        }
        sites = tableText(table(*window, "SG_sites"));
        ASSERT_FALSE(sites.isEmpty());
        EXPECT_FALSE(window->interpretation().interpretations().isSaved());

        // Closing asks about the unsaved interpretations; Cancel keeps the window.
        prompts.answers = { Prompts::Answer::Cancel };
        EXPECT_FALSE(window->close());
        EXPECT_EQ(prompts.questions.size(), 1);

        prompts.fileNames = { path };
        ASSERT_TRUE(window->interpretation().saveInterpretations());
        EXPECT_TRUE(window->interpretation().interpretations().isSaved());
        EXPECT_TRUE(window->close());
        EXPECT_EQ(prompts.questions.size(), 1);

        // Saving over the file, and the steps' table saved beside it, asks first; No leaves them.
        prompts.fileNames = { path };
        prompts.answers = { Prompts::Answer::No };
        EXPECT_FALSE(window->interpretation().saveInterpretations());
        ASSERT_EQ(prompts.questions.size(), 2);
        EXPECT_EQ(prompts.questions.back(),
            QStringLiteral("These files already exist:\n%1\n%2\nReplace them?")
                .arg(path, folder.filePath(QStringLiteral("measurements.txt"))));
    }

    // The table holds every fit once per frame; the window takes those of the frame it shows,
    // each fit once, and says how many it read and used.
    const auto window = openActiveCit();
    window->setCoordinates(CoordinateSystem::Geographic);
    prompts.fileNames = { path };
    window->interpretation().openInterpretations();
    EXPECT_EQ(window->coordinates(), CoordinateSystem::Geographic);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    ASSERT_EQ(prompts.informations.size(), 1);
    const int fits = 2 * int(made.size());
    EXPECT_TRUE(prompts.informations.front().contains(
        QStringLiteral("%1 used in geographic coordinates").arg(fits)))
        << prompts.informations.front().toStdString();
    EXPECT_TRUE(prompts.informations.front().contains(QStringLiteral("%1 geographic").arg(fits)));
    EXPECT_TRUE(window->interpretation().interpretations().isSaved());
    for (int i = 0; i < int(made.size()); ++i) {
        SCOPED_TRACE(i);
        window->setCurrentSpecimen(i);
        EXPECT_EQ(tableText(table(*window, "SG_components")), made[std::size_t(i)]);
    }
    EXPECT_EQ(tableText(table(*window, "SG_sites")), sites);
    // Opening is one step to undo.
    QTest::keyClick(table(*window, "SG_steps"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(table(*window, "SG_components")->model()->rowCount(), 0);
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// Saving over a lab's specimens table keeps its rows and columns; the folder's own table is
// never proposed, and a fit that leaves out steps is saved only after a warning.
TEST(InterpretationPanelTest, SavingOverALabsTableKeepsWhatItDidNotMake)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("specimens.txt"));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(DEMAGORA_MEASUREMENTS_DIR "/cit-PI47/specimens.txt"), path));
    // The lab's measurements table beside it is never replaced, though the steps marked bad
    // would go in a table of that name.
    const QString labMeasurements = folder.filePath(QStringLiteral("measurements.txt"));
    ASSERT_TRUE(QFile::copy(
        QStringLiteral(DEMAGORA_MEASUREMENTS_DIR "/cit-PI47/measurements.txt"), labMeasurements));
    const auto window = openActiveCit(CitSite);
    window->chooseSteps({ 0, 2, 4, 6 }, false);
    window->interpretation().fitChosen(FitType::Free);

    prompts.fileNames = { path };
    prompts.answers = { Prompts::Answer::Cancel };
    EXPECT_FALSE(window->interpretation().saveInterpretations());
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_TRUE(prompts.warnings.front().contains(QStringLiteral("PI47-1a C1")));
    EXPECT_TRUE(prompts.suggestedNames.isEmpty()); // cancelled before the dialog

    ASSERT_TRUE(window->interpretation().saveInterpretations());
    ASSERT_EQ(prompts.suggestedNames.size(), 1);
    EXPECT_FALSE(prompts.suggestedNames.front().endsWith(QStringLiteral("cit-PI47/specimens.txt")));
    EXPECT_EQ(
        prompts.questions, QStringList { path + QStringLiteral(" already exists. Replace it?") });
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "tab\tspecimens\nspecimen\tsample\tanalysts\tcitations\tmethod_codes\tvolume\tweight\t")))
        << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("\tLP-NOMAG\t")), 9) << text.toStdString();
    // The fit once per frame the CIT orientation and bedding give.
    for (const char *frame :
        { "\t-1\t273\t448\tK\t", "\t0\t273\t448\tK\t", "\t100\t273\t448\tK\t" })
        EXPECT_EQ(text.count(QString::fromLatin1(frame)), 1) << frame;
    QFile lab(labMeasurements);
    ASSERT_TRUE(lab.open(QIODevice::ReadOnly));
    QFile original(QStringLiteral(DEMAGORA_MEASUREMENTS_DIR "/cit-PI47/measurements.txt"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(lab.readAll(), original.readAll());
    ASSERT_EQ(prompts.informations.size(), 1);
    EXPECT_TRUE(prompts.informations.front().contains(
        QStringLiteral("holds measurements this program did not write")))
        << prompts.informations.front().toStdString();
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// No name given to the table replaces a file the measurements were read from: the site's .sam
// file and a specimen's file are refused before any question, even when the user would answer
// Yes, and stay as they were.
TEST(InterpretationPanelTest, MeasurementFilesAreNeverReplacedBySaving)
{
    QTemporaryDir folder;
    const QString sam = Testing::copySmallCitSite(folder.path());
    ASSERT_FALSE(sam.isEmpty());
    const auto window = openActiveCit(sam);
    window->chooseSteps({ 0, 1, 2, 3 }, false);
    window->interpretation().fitChosen(FitType::Free);
    for (const char *name : { "SM1-.sam", "SM1-2a" }) {
        SCOPED_TRACE(name);
        Testing::ScriptedPrompts prompts;
        const QString path = folder.filePath(QLatin1String(name));
        QFile before(path);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const QByteArray text = before.readAll();
        prompts.fileNames = { path };
        prompts.answers = { Prompts::Answer::Yes };
        EXPECT_FALSE(window->interpretation().saveInterpretations());
        EXPECT_TRUE(prompts.questions.isEmpty());
        ASSERT_EQ(prompts.errors.size(), 1);
        EXPECT_TRUE(prompts.errors.front().contains("the measurements were read from it"));
        QFile after(path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), text);
    }
    EXPECT_FALSE(window->interpretation().interpretations().isSaved());
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

QString componentSteps(const SpecimensWindow &window, int row)
{
    return cell(table(window, "SG_components"), row, InterpretationTableModel::Steps);
}

// A step marked bad with B leaves the fit that took it and any fit made over it, is drawn and
// listed as bad, is undone like a fit, and comes back bad, with the same fits and site means,
// from the tables saved.
TEST(InterpretationPanelTest, BadStepLeavesTheFitsAndComesBackFromTheSavedTables)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("demagora-specimens.txt"));
    QStringList components;
    QStringList sites;
    {
        const auto window = openActiveCit();
        QTableView *steps = table(*window, "SG_steps");
        window->chooseSteps({ 3, 4, 5, 6 }, false);
        QTest::keyClick(steps, Qt::Key_L);
        ASSERT_EQ(componentSteps(*window, 0), QStringLiteral("4"));

        window->chooseSteps({ 5 }, false);
        QTest::keyClick(steps, Qt::Key_B);
        EXPECT_EQ(componentSteps(*window, 0), QStringLiteral("3"));
        EXPECT_EQ(cell(steps, 5, 0), QStringLiteral("thermal, bad"));
        EXPECT_EQ(cell(steps, 4, 0), QStringLiteral("thermal"));
        EXPECT_TRUE(window->picture().diagram().data().steps[5].bad);
        EXPECT_FALSE(window->picture().diagram().data().steps[4].bad);
        QTest::keyClick(steps, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(componentSteps(*window, 0), QStringLiteral("4"));
        EXPECT_EQ(cell(steps, 5, 0), QStringLiteral("thermal"));
        QTest::keyClick(steps, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(componentSteps(*window, 0), QStringLiteral("3"));

        // Unmix takes the good steps only.
        window->findChild<QPushButton *>(QStringLiteral("btn_unmix"))->click();
        auto *unmix = window->findChild<UnmixDialog *>();
        ASSERT_NE(unmix, nullptr);
        const std::vector<SpecimenDiagramStep> &unmixed = unmix->picture().diagram().data().steps;
        ASSERT_EQ(int(unmixed.size()), steps->model()->rowCount() - 1);
        EXPECT_EQ(QString::number(unmixed[5].level), cell(steps, 6, 1));
        unmix->close();

        // Six steps chosen over the bad one: the fit takes five.
        window->chooseSteps({ 3, 4, 5, 6, 7, 8 }, false);
        window->findChild<QLineEdit *>(QStringLiteral("LE_component"))->setText("C2");
        QTest::keyClick(steps, Qt::Key_L);
        ASSERT_EQ(componentSteps(*window, 1), QStringLiteral("5"));
        components = tableText(table(*window, "SG_components"));
        sites = tableText(table(*window, "SG_sites"));

        prompts.fileNames = { path };
        ASSERT_TRUE(window->interpretation().saveInterpretations());
        EXPECT_TRUE(prompts.warnings.isEmpty()) << prompts.warnings.join('\n').toStdString();
    }
    QFile beside(folder.filePath(QStringLiteral("demagora-measurements.txt")));
    ASSERT_TRUE(beside.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(beside.readAll());
    EXPECT_EQ(saved.count(QStringLiteral("\tb\tu\t")), 1) << saved.toStdString();
    EXPECT_EQ(saved.count(QStringLiteral("\tg\tu\t")), 35) << saved.toStdString();

    const auto window = openActiveCit();
    prompts.fileNames = { path };
    window->interpretation().openInterpretations();
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    EXPECT_EQ(cell(table(*window, "SG_steps"), 5, 0), QStringLiteral("thermal, bad"));
    EXPECT_EQ(tableText(table(*window, "SG_components")), components);
    EXPECT_EQ(tableText(table(*window, "SG_sites")), sites);
    EXPECT_TRUE(window->interpretation().interpretations().isSaved());
}

// A row the file flags bad is opened as a bad step: out of the fits until the user marks it
// good, and then fitted like the others. A step measured twice shows its two readings.
TEST(InterpretationPanelTest, FlaggedRowOfAFileIsABadStepThatCanBeMarkedGood)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString path = fileIn(folder, "measurements.txt",
        "tab\tmeasurements\n"
        "specimen\tmethod_codes\ttreat_temp\tdir_dec\tdir_inc\tmagn_moment\tquality\n"
        "a1\tLT-NO\t273\t10\t20\t1e-5\tg\n"
        "a1\tLT-T-Z\t373\t12\t21\t8e-6\tg\n"
        "a1\tLT-T-Z\t423\t150\t-60\t7e-6\tb\n"
        "a1\tLT-T-Z\t473\t11\t19\t5e-6\tg\n"
        "a1\tLT-T-Z\t523\t13\t22\t3e-6\tg\n"
        "a1\tLT-T-Z\t573\t10\t18\t1e-6\tg\n"
        "a1\tLT-T-Z\t573\t10\t18\t1.2e-6\tg\n");
    QSignalSpy done(openMeasurements(nullptr, path), &MeasurementOpening::done);
    ASSERT_TRUE(done.wait(10000));
    ASSERT_TRUE(done.front().front().toBool());
    std::unique_ptr<SpecimensWindow> window;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *opened = qobject_cast<SpecimensWindow *>(widget))
            window.reset(opened);
    }
    ASSERT_TRUE(window);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QTableView *steps = table(*window, "SG_steps");
    ASSERT_EQ(steps->model()->rowCount(), 6);
    EXPECT_EQ(cell(steps, 2, 0), QStringLiteral("thermal, bad"));
    // The step measured twice says so.
    EXPECT_EQ(cell(steps, 4, 8), QStringLiteral("1"));
    EXPECT_EQ(cell(steps, 5, 8), QStringLiteral("2"));
    EXPECT_TRUE(window->findChild<QLabel *>(QStringLiteral("lbl_summary"))
                    ->text()
                    .contains(QStringLiteral("1 flagged bad shown as bad steps")));
    EXPECT_TRUE(window->interpretation().interpretations().isSaved());

    window->chooseSteps({ 0, 1, 2, 3, 4, 5 }, false);
    window->interpretation().fitChosen(FitType::Free);
    EXPECT_EQ(componentSteps(*window, 0), QStringLiteral("5"));
    window->chooseSteps({ 2 }, false);
    window->interpretation().markChosenBad();
    EXPECT_EQ(cell(steps, 2, 0), QStringLiteral("thermal"));
    window->chooseSteps({ 0, 1, 2, 3, 4, 5 }, false);
    window->interpretation().fitChosen(FitType::Free);
    EXPECT_EQ(componentSteps(*window, 0), QStringLiteral("6"));
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    window->closeWithoutAsking();
}

// Shown with every reading, one reading of a repeated step marked bad leaves the step to the
// other reading once the readings are merged again; saved, the mark comes back on that reading,
// and goes with the opening undone.
TEST(InterpretationPanelTest, RepeatMarkedBadLeavesItsStepToTheOtherReadings)
{
    Testing::ScriptedPrompts prompts;
    QTemporaryDir folder;
    const QString path = fileIn(folder, "measurements.txt",
        "tab\tmeasurements\n"
        "specimen\tmethod_codes\ttreat_temp\tdir_dec\tdir_inc\tmagn_moment\n"
        "a1\tLT-NO\t273\t10\t20\t5e-6\n"
        "a1\tLT-T-Z\t473\t10\t20\t3e-6\n"
        "a1\tLT-T-Z\t573\t10\t20\t2e-6\n"
        "a1\tLT-T-Z\t573\t100\t20\t2e-6\n"
        "a1\tLT-T-Z\t673\t10\t20\t1e-6\n");
    QWidget parent;
    QSignalSpy done(openMeasurements(&parent, path), &MeasurementOpening::done);
    ASSERT_TRUE(done.wait(10000));
    auto *window = parent.findChild<SpecimensWindow *>();
    ASSERT_NE(window, nullptr) << prompts.errors.join('\n').toStdString();
    QTableView *steps = table(*window, "SG_steps");
    // Declination and intensity.
    const auto direction = [&](int row) {
        return QStringList { cell(steps, row, 5), cell(steps, row, 7) };
    };
    ASSERT_EQ(steps->model()->rowCount(), 4);
    EXPECT_EQ(direction(2).front(), QStringLiteral("55.0"));
    EXPECT_EQ(cell(steps, 2, 8), QStringLiteral("2"));

    QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(window->everyReading());
    ASSERT_EQ(steps->model()->rowCount(), 5);
    window->chooseSteps({ 3 }, false);
    window->interpretation().markChosenBad();
    EXPECT_EQ(cell(steps, 3, 0), QStringLiteral("thermal, bad"));
    QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(steps->model()->rowCount(), 4);
    EXPECT_EQ(direction(2), (QStringList { "10.0", "2e-06" }));
    EXPECT_EQ(cell(steps, 2, 0), QStringLiteral("thermal"));
    EXPECT_EQ(cell(steps, 2, 8), QStringLiteral("1"));
    EXPECT_FALSE(window->interpretation().interpretations().isSaved());

    const QString saved = folder.filePath(QStringLiteral("demagora-specimens.txt"));
    window->chooseSteps({ 0, 1, 2, 3 }, false);
    window->interpretation().fitChosen(FitType::Free);
    prompts.fileNames = { saved };
    ASSERT_TRUE(window->interpretation().saveInterpretations());
    window->closeWithoutAsking();
    QSignalSpy again(openMeasurements(&parent, path), &MeasurementOpening::done);
    ASSERT_TRUE(again.wait(10000));
    auto *reopened = parent.findChildren<SpecimensWindow *>().last();
    prompts.fileNames = { saved };
    reopened->interpretation().openInterpretations();
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    QTableView *reopenedSteps = table(*reopened, "SG_steps");
    EXPECT_EQ(cell(reopenedSteps, 2, 5), QStringLiteral("10.0"));
    EXPECT_EQ(cell(reopenedSteps, 2, 8), QStringLiteral("1"));
    // Undoing the opening takes the reading's mark back with the fits.
    QTest::keyClick(reopened, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cell(reopenedSteps, 2, 5), QStringLiteral("55.0"));
}

} // namespace
} // namespace Demagora
