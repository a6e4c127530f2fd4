#include "mainwindowfixture.h"

#include "batch/batchrun.h"
#include "document/scenariopopulations.h"
#include "main_window/mainmenu.h"
#include "main_window/scenariodocument.h"
#include "support/filetext.h"
#include "support/samepopulations.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace Demagora::Testing {
namespace {

::testing::AssertionResult sameSeries(const ResultSeries &a, const ResultSeries &b)
{
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << a.size() << " curves against " << b.size();
    for (std::size_t m = 0; m < a.size(); ++m) {
        if (a[m].size() != b[m].size())
            return ::testing::AssertionFailure() << "curve " << m << " differs in length";
        for (std::size_t s = 0; s < a[m].size(); ++s) {
            const TResultVectors &x = a[m][s];
            const TResultVectors &y = b[m][s];
            if (!(x.Temperature == y.Temperature && x.X == y.X && x.Y == y.Y && x.Z == y.Z))
                return ::testing::AssertionFailure() << "curve " << m << ", step " << s;
        }
    }
    return ::testing::AssertionSuccess();
}

// Editing, saving and opening scenarios in the main window, with the menu's commands.
class ScenarioDocumentTest : public MainWindowTest
{
protected:
    // Two scattered components with different Fisher's k, a changed first one, and the
    // "Resulting" report: everything the document has to keep.
    void buildScattered()
    {
        check("CBmult")->click();
        check("CBdifLengths")->click();
        setComboText("CB_randomPoints", "7");
        setComboText("CB_k", "25");
        setComboText("CBdisper", "0.75");
        enter("10", "20", "5", "100", "300");
        click("btn_getcoor");
        setComboText("CB_k", "12.5");
        enter("200", "-30", "3.25", "150", "400");
        combo("CBshape")->setCurrentIndex(1);
        click("btn_getcoor");
        combo("CB_reportType")->setCurrentIndex(1);
        ASSERT_EQ(window.session().populations().size(), 2u);
    }
    QString path(const char *name) const { return folder.filePath(name); }
    // Commands that open or rebuild populations do so off the user-interface thread: each
    // is followed until the window takes input again.
    void trigger(QAction *action)
    {
        action->trigger();
        settle();
    }
    void calculate()
    {
        click("btn_add");
        ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    }

    QTemporaryDir folder;
};

TEST_F(ScenarioDocumentTest, EveryTypedValueReachesTheModel)
{
    buildScattered();
    const Scenario scenario = window.session().scenario();
    const TVector &first = scenario.components[0];
    EXPECT_EQ(first.Declination, 10);
    EXPECT_EQ(first.Inclination, 20);
    EXPECT_EQ(first.Height, 5);
    EXPECT_EQ(first.BlockLow, 100);
    EXPECT_EQ(first.BlockHigh, 300);
    EXPECT_EQ(first.Shape, SpectrumShape::Gauss);
    EXPECT_EQ(scenario.components[1].Shape, SpectrumShape::Rectangular);
    ASSERT_TRUE(scenario.population.has_value());
    EXPECT_EQ(scenario.population->randomPoints, 7);
    EXPECT_TRUE(scenario.population->differentLengths);
    EXPECT_EQ(scenario.draws[0].fisherK, 25);
    EXPECT_EQ(scenario.draws[0].heightStdDev, 0.75);
    EXPECT_EQ(scenario.draws[1].fisherK, 12.5);
    EXPECT_EQ(scenario.report, ReportKind::Resulting);
    const Population &members = window.session().populations()[1];
    EXPECT_EQ(members.size(), 8u);
    EXPECT_TRUE(members[7].DifferentLengths);

    // Change reads k as a whole number and takes the spread and the flag as they stand now.
    setComboText("CB_k", "40");
    setComboText("CBdisper", "2");
    window.setEditorRunner([](TFRM_par &editor) {
        editor.findChild<QLineEdit *>("EB_height")->setText("6");
        editor.btn_changeClick();
    });
    window.SG_1DblClick(1);
    settle();
    const Scenario changed = window.session().scenario();
    EXPECT_EQ(changed.components[0].Height, 6);
    EXPECT_EQ(changed.draws[0].fisherK, 40);
    EXPECT_EQ(changed.draws[0].heightStdDev, 2);
    EXPECT_TRUE(window.session().populations()[0][7].DifferentLengths);
    EXPECT_NE(window.session().populations()[0][7].Height, 6);
}

TEST_F(ScenarioDocumentTest, ARefusedBoxGetsTheFocusWithItsTextSelected)
{
    const char *boxes[] = { "EB_dec", "EB_inc", "EB_height", "EB_blockLow", "EB_blockHigh" };
    for (const char *bad : boxes) {
        SCOPED_TRACE(bad);
        enter("1", "2", "3", "4", "5");
        type(bad, "1.2.3");
        box("EB_dec")->setFocus();
        prompts.errors.clear();
        click("btn_getcoor");
        EXPECT_EQ(prompts.errors, QStringList { "'1.2.3' is not a valid floating point value." });
        EXPECT_EQ(QApplication::focusWidget(), box(bad));
        EXPECT_EQ(box(bad)->selectedText(), "1.2.3");
    }
    EXPECT_TRUE(window.session().populations().empty());
}

TEST_F(ScenarioDocumentTest, AfterCalculateTheFocusWaitsInTheDeclinationBox)
{
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    click("btn_getcoor");
    button("btn_add")->setFocus();
    calculate();
    EXPECT_EQ(QApplication::focusWidget(), box("EB_dec"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(combo("CBshape")->currentIndex(), 0);
}

TEST_F(ScenarioDocumentTest, SavedScenarioReopensAndRunsBitForBitInTheWindowAndTheBatch)
{
    buildScattered();
    EXPECT_TRUE(window.isWindowModified());
    prompts.fileNames.push_back(path("saved"));
    trigger(window.menu().saveAsAction());
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("; ").toStdString();
    EXPECT_EQ(window.windowTitle(), "saved.json[*] - Demagora");
    EXPECT_FALSE(window.isWindowModified());
    const ComponentPopulations built = window.session().populations();
    calculate();
    const ResultSeries windowRun = window.session().results();

    // The batch reads the file; the seed it is given does not matter to seeded components.
    const Scenario read = readScenarioFile(path("saved.json").toStdString());
    MersenneTwisterSource unused(1);
    EXPECT_TRUE(samePopulations(buildPopulations(read, unused), built));
    const BatchRun batch = runScenario(read, unused);
    EXPECT_EQ(read.report, ReportKind::Resulting);
    EXPECT_TRUE(sameSeries(batch.series, windowRun));

    TFrm_1 reopened;
    ASSERT_TRUE(reopened.openFile(path("saved.json")));
    ASSERT_TRUE(waitUntil([&] { return !reopened.isBusy(); }));
    EXPECT_TRUE(samePopulations(reopened.session().populations(), built));
    EXPECT_EQ(reopened.session().settings().reportKind, ReportKind::Resulting);
    EXPECT_EQ(reopened.findChild<QComboBox *>("CB_randomPoints")->currentText(), "7");
    EXPECT_TRUE(reopened.findChild<QCheckBox *>("CBdifLengths")->isChecked());
    EXPECT_EQ(reopened.session().settings().runHighTemp, 400);

    // Saved again unchanged, the file is the same byte for byte.
    const std::string first = fileText(path("saved.json").toStdString());
    reopened.document().save();
    EXPECT_EQ(fileText(path("saved.json").toStdString()), first);
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(ScenarioDocumentTest, OpenedExampleGivesTheBatchPopulationsAndRun)
{
    const QString example = QStringLiteral(DEMAGORA_EXAMPLES_DIR "/scattered.json");
    ASSERT_TRUE(window.openFile(example));
    settle();
    EXPECT_EQ(window.windowTitle(), "scattered.json[*] - Demagora");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(cell(2, 0), "Comp. #2");
    EXPECT_EQ(cell(2, 1), "170");
    EXPECT_TRUE(check("CBmult")->isChecked());
    EXPECT_FALSE(enabled("CBmult"));
    EXPECT_TRUE(enabled("btn_add"));

    const Scenario scenario = readScenarioFile(example.toStdString());
    MersenneTwisterSource random(*scenario.seed);
    EXPECT_TRUE(
        samePopulations(window.session().populations(), buildPopulations(scenario, random)));
    MersenneTwisterSource again(*scenario.seed);
    const BatchRun batch = runScenario(scenario, again);
    calculate();
    EXPECT_TRUE(sameSeries(window.session().results(), batch.series));
    EXPECT_EQ(window.menu().recentMenu()->actions().size(), 1);
}

TEST_F(ScenarioDocumentTest, DamagedOrForeignFilesAreRefusedWithNothingChanged)
{
    buildScattered();
    const ComponentPopulations before = window.session().populations();
    const QString title = window.windowTitle();
    const std::pair<const char *, const char *> files[] = {
        { "damaged.json", R"({"components": [{"declination": 1)" },
        { "foreign.json", R"({"specimens": ["a1", "a2"]})" },
        { "newer.json", R"({"version": 9, "components": []})" },
    };
    for (const auto &[name, text] : files) {
        std::ofstream(path(name).toStdString()) << text;
    }
    for (const QString &name :
        { path("damaged.json"), path("foreign.json"), path("newer.json"), path("missing.json") }) {
        SCOPED_TRACE(name.toStdString());
        prompts.errors.clear();
        EXPECT_FALSE(window.openFile(name));
        ASSERT_EQ(prompts.errors.size(), 1);
        EXPECT_TRUE(prompts.errors[0].startsWith(name + ": ")) << prompts.errors[0].toStdString();
        EXPECT_TRUE(samePopulations(window.session().populations(), before));
        EXPECT_EQ(window.windowTitle(), title);
        EXPECT_TRUE(window.isWindowModified());
    }
}

TEST_F(ScenarioDocumentTest, SaveChangesIsAnsweredEachWay)
{
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    ASSERT_TRUE(window.isWindowModified());

    prompts.answers = { Prompts::Answer::Cancel, Prompts::Answer::Cancel };
    trigger(window.menu().newAction());
    EXPECT_EQ(window.session().populations().size(), 1u);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(prompts.questions, (QStringList { "Save changes?", "Save changes?" }));

    // Save, then the dialog is cancelled: nothing is saved and nothing is lost.
    prompts.answers = { Prompts::Answer::Save };
    trigger(window.menu().openAction());
    EXPECT_EQ(window.session().populations().size(), 1u);

    prompts.answers = { Prompts::Answer::Save };
    prompts.fileNames = { path("kept.json") };
    trigger(window.menu().newAction());
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_EQ(readScenarioFile(path("kept.json").toStdString()).components.size(), 1u);
    EXPECT_EQ(window.windowTitle(), "Untitled[*] - Demagora");

    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    prompts.answers = { Prompts::Answer::Discard };
    prompts.fileNames = { path("kept.json") };
    trigger(window.menu().openAction());
    EXPECT_EQ(window.windowTitle(), "kept.json[*] - Demagora");
    EXPECT_EQ(window.session().populations().size(), 1u);
    EXPECT_FALSE(window.isWindowModified());

    // Unmodified, nothing is asked.
    prompts.questions.clear();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(prompts.questions.isEmpty());
}

TEST_F(ScenarioDocumentTest, FailedSaveKeepsTheOldFileAndTheChangesMark)
{
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    prompts.fileNames = { path("old.json") };
    trigger(window.menu().saveAsAction());
    const std::string old = fileText(path("old.json").toStdString());
    click("btn_getcoor");
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.json"));
    prompts.fileNames = { path("folder.json") };
    trigger(window.menu().saveAsAction());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("folder.json")) << prompts.errors[0].toStdString();
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_EQ(window.windowTitle(), "old.json[*] - Demagora");
    EXPECT_EQ(fileText(path("old.json").toStdString()), old);
}

TEST_F(ScenarioDocumentTest, EachCommandIsUndoneAndRedone)
{
    buildScattered();
    calculate();
    QAction *undo = window.menu().undoAction();
    QAction *redo = window.menu().redoAction();
    const auto rows = [this] {
        QStringList texts;
        for (int r = 1; r <= grid()->rowCount(); ++r)
            texts << cell(r, 0) + "|" + cell(r, 1) + "|" + cell(r, 3) + "|" + cell(r, 6);
        return texts;
    };
    struct Step
    {
        const char *name;
        std::function<void()> act;
    };
    const Step steps[] = {
        { "Add direction",
            [this] {
                enter("5", "6", "7", "120", "220");
                click("btn_getcoor");
            } },
        { "Change",
            [this] {
                // Change reads Fisher's k as a whole number.
                setComboText("CB_k", "30");
                window.setEditorRunner([](TFRM_par &editor) {
                    editor.findChild<QLineEdit *>("EB_height")->setText("9");
                    editor.btn_changeClick();
                });
                window.SG_1DblClick(2);
                settle();
            } },
        { "Delete component",
            [this] {
                window.setEditorRunner([](TFRM_par &editor) { editor.btn_deleteClick(); });
                window.SG_1DblClick(1);
            } },
        { "Clear everything", [this] { click("btn_clear"); } },
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        // A run leaves its members at its last temperature: compared are the members as
        // the scenario builds them.
        MersenneTwisterSource unused(1);
        const ComponentPopulations before = buildPopulations(window.session().scenario(), unused);
        const Scenario scenarioBefore = window.session().scenario();
        const QStringList rowsBefore = rows();
        step.act();
        EXPECT_EQ(undo->text(), QString("&Undo ") + step.name);
        const ComponentPopulations after = buildPopulations(window.session().scenario(), unused);
        const QStringList rowsAfter = rows();
        ASSERT_NE(rowsAfter, rowsBefore);

        trigger(undo);
        EXPECT_TRUE(samePopulations(window.session().populations(), before));
        EXPECT_EQ(window.session().scenario().draws, scenarioBefore.draws);
        EXPECT_EQ(rows(), rowsBefore);
        EXPECT_TRUE(window.session().results().empty());
        EXPECT_FALSE(enabled("btn_showRes"));
        trigger(redo);
        EXPECT_TRUE(samePopulations(window.session().populations(), after));
        EXPECT_EQ(rows(), rowsAfter);
    }
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_TRUE(enabled("CBmult"));
    trigger(undo);
    EXPECT_FALSE(enabled("CBmult"));
    EXPECT_TRUE(check("CBmult")->isChecked());
    EXPECT_EQ(window.session().populations().size(), 2u);
}

// Opening a scenario of large scattered populations builds them off the user-interface
// thread: opening returns at once, under the busy cursor, and the window gets every member.
TEST_F(ScenarioDocumentTest, LargePopulationsAreBuiltWhileTheWindowPaints)
{
    std::ofstream(path("large.json").toStdString()) << R"({"components": [
        {"declination": 10, "inclination": 20, "height": 3, "blockLow": 100, "blockHigh": 400,
         "shape": "gauss", "seed": 5, "skippedDraws": 3000000},
        {"declination": 200, "inclination": -30, "height": 2, "blockLow": 200, "blockHigh": 500,
         "shape": "rectangular"}],
        "population": {"randomPoints": 100000, "fisherK": 30, "differentLengths": true,
         "heightStdDev": 0.5}, "seed": 9})";
    ASSERT_TRUE(window.openFile(path("large.json")));
    EXPECT_TRUE(window.isBusy());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    settle();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window.windowTitle(), "large.json[*] - Demagora");
    ASSERT_EQ(window.session().populations().size(), 2u);
    EXPECT_EQ(window.session().populations()[1].size(), 100001u);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

// A scenario that reads well but is too large to build fails when its loading ends: the file
// and the reason are reported and the open document stays as it was.
TEST_F(ScenarioDocumentTest, ScenarioTooLargeToBuildIsReportedAndChangesNothing)
{
    buildScattered();
    const ComponentPopulations before = window.session().populations();
    const QString title = window.windowTitle();
    // 600 components of 100,001 members each: more members than a run may hold.
    std::ofstream huge(path("huge.json").toStdString());
    huge << R"({"components": [)";
    for (int c = 0; c < 600; ++c) {
        huge << (c ? "," : "")
             << R"({"declination": 10, "inclination": 20, "height": 3, "blockLow": 100,
                    "blockHigh": 400, "shape": "gauss"})";
    }
    huge << R"(], "population": {"randomPoints": 100000, "fisherK": 30, "differentLengths": false,
        "heightStdDev": 0.5}, "seed": 9})";
    huge.close();
    ASSERT_TRUE(window.openFile(path("huge.json"))) << prompts.errors.join(";").toStdString();
    settle();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith(path("huge.json") + ": The scenario is too large"))
        << prompts.errors[0].toStdString();
    EXPECT_TRUE(samePopulations(window.session().populations(), before));
    EXPECT_EQ(window.windowTitle(), title);
}

// Change, Undo and Redo rebuild scattered populations from their seeds, which can take
// seconds: as opening does, they build them on a worker thread under the busy cursor while
// the window handles events, and give the members the scenario builds.
TEST_F(ScenarioDocumentTest, RebuiltPopulationsAreBuiltWhileTheWindowPaints)
{
    std::ofstream(path("skipping.json").toStdString()) << R"({"components": [
        {"declination": 10, "inclination": 20, "height": 3, "blockLow": 100, "blockHigh": 400,
         "shape": "gauss", "seed": 5, "skippedDraws": 3000000},
        {"declination": 200, "inclination": -30, "height": 2, "blockLow": 200, "blockHigh": 500,
         "shape": "rectangular", "seed": 6, "skippedDraws": 2000000}],
        "population": {"randomPoints": 20000, "fisherK": 30, "differentLengths": true,
         "heightStdDev": 0.5}})";
    ASSERT_TRUE(window.openFile(path("skipping.json")));
    settle();
    MersenneTwisterSource unused(1);
    const ComponentPopulations opened = buildPopulations(window.session().scenario(), unused);
    window.setEditorRunner([](TFRM_par &editor) {
        editor.findChild<QLineEdit *>("EB_height")->setText("9");
        editor.btn_changeClick();
    });
    const struct
    {
        const char *name;
        std::function<void()> act;
    } steps[] = {
        { "Change", [this] { window.SG_1DblClick(2); } },
        { "Undo", [this] { window.menu().undoAction()->trigger(); } },
        { "Redo", [this] { window.menu().redoAction()->trigger(); } },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_TRUE(window.isBusy());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        settle();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(samePopulations(
            window.session().populations(), buildPopulations(window.session().scenario(), unused)));
        EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    }
    EXPECT_EQ(window.session().populations()[1].front().Height, 9);
    trigger(window.menu().undoAction());
    EXPECT_TRUE(samePopulations(window.session().populations(), opened));
}

} // namespace
} // namespace Demagora::Testing

namespace Demagora {
namespace {

TEST(RecentFilesTest, TellScenariosFromMeasurements)
{
    EXPECT_FALSE(isMeasurementPath(QStringLiteral("/a/saved1.json")));
    EXPECT_FALSE(isMeasurementPath(QStringLiteral("/a/SAVED.JSON")));
    EXPECT_TRUE(isMeasurementPath(QStringLiteral("/a/PI47-.sam")));
    EXPECT_TRUE(isMeasurementPath(QStringLiteral("/a/magic/measurements.txt")));
    EXPECT_TRUE(isMeasurementPath(QStringLiteral("/a/2g-folder")));
}

} // namespace
} // namespace Demagora
