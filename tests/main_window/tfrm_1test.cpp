#include "mainwindowfixture.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>

#include <cmath>

namespace Demagora::Testing {
namespace {

using TFrm_1Test = MainWindowTest;

const char *const CommandButtons[]
    = { "btn_getcoor", "btn_add", "btn_showRes", "btn_clear", "btn_paint" };

TEST_F(TFrm_1Test, StartsWithTheGridHeadingsAndOnlyClearEverythingAvailable)
{
    EXPECT_EQ(window.windowTitle(), "Untitled[*] - Demagora");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(window.minimumSize().width(), 750);
    EXPECT_EQ(grid()->rowCount(), 1);
    const QStringList headings { "", "Dec", "Inc", "Height", "low", "high", "length" };
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(grid()->horizontalHeaderItem(column)->text(), headings[column]);

    const QStringList captions { "&Add direction", "&Calculate", "&Show result",
        "C&lear everything", "&Paint" };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(CommandButtons[i]);
        EXPECT_EQ(button(CommandButtons[i])->text(), captions[i]);
        EXPECT_EQ(button(CommandButtons[i])->size(), QSize(95, 33));
        EXPECT_EQ(enabled(CommandButtons[i]), i == 3);
    }
    EXPECT_TRUE(enabled("CBmult"));
    for (const char *name : { "CBdifLengths", "CB_k", "CBdisper", "CB_randomPoints" })
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_EQ(combo("CB_k")->currentText(), "30");
    EXPECT_EQ(combo("CB_k")->count(), 16);
    EXPECT_EQ(combo("CBdisper")->currentText(), "3");
    EXPECT_EQ(combo("CB_randomPoints")->itemText(18), "100");
    EXPECT_EQ(combo("CBshape")->currentText(), "Gauss");
    EXPECT_EQ(combo("CB_reportType")->currentText(), "Initial");
    EXPECT_EQ(combo("EB_conv")->currentText(), "3");
    EXPECT_FALSE(combo("EB_conv")->isVisibleTo(&window));
    EXPECT_EQ(control<QLabel>("lbl_blockLow")->text(), "lower temperature ");
    EXPECT_EQ(control<QProgressBar>("PrBar")->value(), 0);
}

TEST_F(TFrm_1Test, TabKeyFollowsTheEntryOrderAndSkipsTheRightPanel)
{
    for (const char *name : { "btn_getcoor", "btn_add", "btn_showRes", "btn_paint" })
        button(name)->setEnabled(true);
    check("CBdifLengths")->setEnabled(true);
    const QStringList expected { "EB_inc", "EB_height", "EB_blockLow", "EB_blockHigh",
        "btn_getcoor", "btn_add", "btn_showRes", "btn_clear", "btn_paint", "CBmult", "CBdifLengths",
        "CBshape", "SG_1", "EB_dec" };
    box("EB_dec")->setFocus();
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(TFrm_1Test, TypicalUseFromEntryToClearEverything)
{
    enter("0", "0", "10", "100", "200");
    ASSERT_TRUE(enabled("btn_getcoor"));
    click("btn_getcoor");
    EXPECT_EQ(QApplication::focusWidget(), box("EB_dec"));
    EXPECT_FALSE(enabled("btn_add"));
    EXPECT_FALSE(enabled("CBmult"));
    EXPECT_EQ(cell(1, 0), "Comp. #1");
    EXPECT_EQ(cell(1, 6), "416");

    enter("90", "0", "5", "150", "250");
    combo("CBshape")->setCurrentIndex(1);
    click("btn_getcoor");
    EXPECT_EQ(QApplication::focusWidget(), button("btn_getcoor"));
    EXPECT_EQ(grid()->rowCount(), 3);
    EXPECT_EQ(cell(2, 0), "Comp. #2");
    EXPECT_EQ(cell(2, 6), "500");
    ASSERT_TRUE(enabled("btn_add"));

    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    const ResultSeries &results = window.session().results();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_EQ(results[0].size(), 151u);
    EXPECT_NEAR(results[0][0].X, 416.6545573, 1e-6);
    EXPECT_EQ(results[0][0].Y, 500.5);
    EXPECT_NEAR(results[0][75].X, 27.51429540, 1e-7);
    EXPECT_EQ(results[0][100].X, 0);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(control<QProgressBar>("PrBar")->value(), 0);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    for (const char *name : CommandButtons)
        EXPECT_TRUE(enabled(name)) << name;

    click("btn_showRes");
    click("btn_paint");
    EXPECT_EQ(openedResults, QStringList { "results 1 from 100" });
    EXPECT_EQ(openedDiagrams, QStringList { "diagrams 1 to 150" });

    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    EXPECT_EQ(window.session().results().size(), 1u);
    EXPECT_EQ(beeps, 2);

    click("btn_clear");
    EXPECT_EQ(prompts.questions, (QStringList { "Clear all data ?", "Save changes?" }));
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(cell(1, 0), "");
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_TRUE(window.session().results().empty());
    EXPECT_EQ(window.session().settings().componentCounter, 1);
    EXPECT_EQ(box("EB_blockHigh")->text(), "");
    for (const char *name : { "btn_getcoor", "btn_add", "btn_showRes", "btn_paint" })
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("CBmult"));
    EXPECT_TRUE(enabled("CB_randomPoints"));
    EXPECT_FALSE(enabled("CBdifLengths"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(TFrm_1Test, AddDirectionNeedsAChangeOfTheUpperTemperatureAndReportsAnEmptyBox)
{
    type("EB_blockHigh", "200");
    type("EB_dec", "1");
    type("EB_inc", "2");
    type("EB_height", "3");
    type("EB_blockLow", "100");
    EXPECT_FALSE(enabled("btn_getcoor"));
    type("EB_blockHigh", "201");
    EXPECT_TRUE(enabled("btn_getcoor"));
    box("EB_dec")->clear();
    EXPECT_TRUE(enabled("btn_getcoor"));
    click("btn_getcoor");
    EXPECT_EQ(prompts.errors, QStringList { "'' is not a valid floating point value." });
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_EQ(window.session().settings().componentCounter, 1);
}

TEST_F(TFrm_1Test, RefusedFisherKWritesNoRowAndFocusesItsBox)
{
    check("CBmult")->click();
    EXPECT_TRUE(enabled("CB_k"));
    EXPECT_TRUE(enabled("CB_randomPoints"));
    EXPECT_TRUE(enabled("CBdifLengths"));
    EXPECT_FALSE(enabled("CBdisper"));
    check("CBdifLengths")->click();
    EXPECT_TRUE(enabled("CBdisper"));

    setComboText("CB_k", "0");
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.value(0).startsWith("Fisher's k must be greater than 0"));
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(cell(1, 0), "");
    EXPECT_EQ(QApplication::focusWidget(), combo("CB_k"));
    EXPECT_EQ(combo("CB_k")->lineEdit()->selectedText(), "0");
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_TRUE(enabled("CBmult"));

    setComboText("CB_k", "20");
    setComboText("CB_randomPoints", "4");
    click("btn_getcoor");
    ASSERT_EQ(window.session().populations().size(), 1u);
    EXPECT_EQ(window.session().populations()[0].size(), 5u);
    EXPECT_TRUE(window.session().populations()[0][0].DifferentLengths);
    EXPECT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(cell(1, 0), "Comp. #1");
    EXPECT_FALSE(enabled("CB_randomPoints"));
    EXPECT_TRUE(enabled("CB_k"));
}

TEST_F(TFrm_1Test, DecimalSeparatorOfTheLocaleIsTheOneRead)
{
    window.setDecimalSeparator(",");
    enter("12,5", "-3,5", "1", "0", "10,9");
    click("btn_getcoor");
    ASSERT_EQ(window.session().populations().size(), 1u);
    EXPECT_EQ(window.session().populations()[0][0].Declination, 12.5);
    EXPECT_EQ(cell(1, 2), "-4");
    enter("12.5", "1", "1", "0", "10");
    click("btn_getcoor");
    EXPECT_EQ(prompts.errors, QStringList { "'12.5' is not a valid floating point value." });
}

TEST_F(TFrm_1Test, ArrowKeysMoveBetweenTheBoxesBeforeTheControlSeesThem)
{
    struct Case
    {
        const char *from;
        Qt::Key key;
        const char *to;
    };
    const Case cases[]
        = { { "EB_dec", Qt::Key_Down, "EB_inc" }, { "EB_blockLow", Qt::Key_Down, "EB_blockHigh" },
              { "EB_blockHigh", Qt::Key_Down, "EB_blockHigh" }, { "EB_dec", Qt::Key_Up, "EB_dec" },
              { "EB_height", Qt::Key_Up, "EB_inc" }, { "btn_clear", Qt::Key_Down, "EB_dec" },
              { "SG_1", Qt::Key_Down, "EB_dec" }, { "SG_1", Qt::Key_Up, "SG_1" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + (c.key == Qt::Key_Down ? " down" : " up"));
        QWidget *from = control<QWidget>(c.from);
        from->setFocus();
        QTest::keyClick(from, c.key);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.to);
    }
}

TEST_F(TFrm_1Test, ColumnWidthFollowsTheWindowWidth)
{
    window.resize(1000, 400);
    QTest::qWait(20);
    const int expected = window.frameGeometry().width() / 7 - 5;
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(grid()->horizontalHeader()->sectionSize(column), expected);
    EXPECT_EQ(grid()->horizontalHeader()->defaultSectionSize(), expected);
    window.resize(750, 287);
    QTest::qWait(20);
    EXPECT_EQ(grid()->horizontalHeader()->sectionSize(3), window.frameGeometry().width() / 7 - 5);
}

TEST_F(TFrm_1Test, ReportKindFollowsTheChoiceAndSurvivesClearEverything)
{
    combo("CB_reportType")->setCurrentIndex(1);
    EXPECT_EQ(window.session().settings().reportKind, ReportKind::Resulting);
    check("CBmult")->click();
    check("CBdifLengths")->click();
    click("btn_clear");
    EXPECT_EQ(window.session().settings().reportKind, ReportKind::Resulting);
    EXPECT_TRUE(check("CBmult")->isChecked());
    EXPECT_TRUE(check("CBdifLengths")->isChecked());
    EXPECT_TRUE(enabled("CBdifLengths"));
    combo("CB_reportType")->setCurrentIndex(0);
    EXPECT_EQ(window.session().settings().reportKind, ReportKind::Initial);
}

TEST_F(TFrm_1Test, ClearEverythingAnsweredNoChangesNothing)
{
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    prompts.answers.push_back(Prompts::Answer::No);
    click("btn_clear");
    EXPECT_EQ(window.session().populations().size(), 1u);
    EXPECT_EQ(cell(1, 0), "Comp. #1");
    EXPECT_EQ(box("EB_blockHigh")->text(), "10");
}

TEST_F(TFrm_1Test, RunWithoutTemperatureRangeIsRefusedAndChangesNoCommand)
{
    enter("1", "2", "3", "200", "200");
    click("btn_getcoor");
    click("btn_getcoor");
    EXPECT_EQ(window.session().settings().pointCount, 0);
    click("btn_add");
    EXPECT_EQ(prompts.errors,
        QStringList { "The run needs a temperature range of at least one degree, but the "
                      "blocking temperatures give a run from 200 to 200 degrees." });
    EXPECT_FALSE(window.isRunning());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    for (const char *name : { "btn_getcoor", "btn_add", "btn_clear" })
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_EQ(beeps, 0);
}

TEST_F(TFrm_1Test, AfterARunAddDirectionIsAvailableWhateverTheBoxesHold)
{
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    click("btn_getcoor");
    click("btn_clear");
    enter("1", "2", "3", "0", "10");
    click("btn_getcoor");
    click("btn_getcoor");
    box("EB_inc")->clear();
    box("EB_blockHigh")->clear();
    EXPECT_FALSE(enabled("btn_getcoor"));
    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    EXPECT_TRUE(enabled("btn_getcoor"));
    click("btn_getcoor");
    EXPECT_EQ(prompts.errors, QStringList { "'' is not a valid floating point value." });
}

// Many members over a short range: the run lasts long enough to act on the window meanwhile.
class TFrm_1RunTest : public MainWindowTest
{
protected:
    void startLongRun(const QString &members)
    {
        check("CBmult")->click();
        setComboText("CB_randomPoints", members);
        enter("10", "20", "5", "0", "100");
        click("btn_getcoor");
        enter("100", "-30", "3", "20", "120");
        click("btn_getcoor");
        click("btn_add");
        ASSERT_TRUE(window.isRunning());
    }
};

TEST_F(TFrm_1RunTest, DuringARunTheWindowRespondsButTheListsCannotBeTouched)
{
    startLongRun("300");
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);

    int editorsOpened = 0;
    window.setEditorRunner([&](TFRM_par &) { ++editorsOpened; });
    for (const char *name : CommandButtons) {
        EXPECT_FALSE(enabled(name)) << name;
        click(name);
    }
    window.btn_getcoorClick();
    window.btn_clearClick();
    window.btn_showResClick();
    window.btn_paintClick();
    window.SG_1DblClick(1);
    type("EB_blockHigh", "130");
    EXPECT_FALSE(enabled("btn_getcoor"));
    EXPECT_EQ(editorsOpened, 0);
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_TRUE(openedResults.isEmpty());
    EXPECT_EQ(window.session().populations().size(), 2u);
    EXPECT_TRUE(window.session().results().empty());

    QProgressBar *bar = control<QProgressBar>("PrBar");
    ASSERT_TRUE(waitUntil([&] { return bar->value() > 0 || !window.isRunning(); }));
    EXPECT_EQ(bar->maximum(), 301);
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    EXPECT_EQ(window.session().results().size(), 301u);
    EXPECT_EQ(window.session().results()[300].size(), 121u);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    for (const char *name : CommandButtons)
        EXPECT_TRUE(enabled(name)) << name;
}

// A scenario another window wrote (an unmixing's twin) is refused while the run lasts, then
// opens like a recent file: unsaved changes are asked about first.
TEST_F(TFrm_1RunTest, ScenarioFromAnotherWindowWaitsForTheRunAndAsksAboutChanges)
{
    const QString example = QStringLiteral(DEMAGORA_EXAMPLES_DIR "/scattered.json");
    startLongRun("50");
    window.openOtherScenario(example);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("while the run lasts")));
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    EXPECT_EQ(window.session().populations().size(), 2u);
    EXPECT_EQ(cell(2, 1), "100");

    prompts.answers.push_back(Prompts::Answer::Discard);
    window.openOtherScenario(example);
    settle();
    EXPECT_EQ(prompts.questions, QStringList { "Save changes?" });
    EXPECT_EQ(cell(2, 1), "170");
    EXPECT_EQ(window.windowTitle(), "scattered.json[*] - Demagora");
}

TEST_F(TFrm_1RunTest, ClosingTheWindowDuringARunStopsItAndDestroysTheLists)
{
    startLongRun("20000");
    ASSERT_TRUE(waitUntil([&] { return control<QProgressBar>("PrBar")->value() > 0; }));
    ASSERT_TRUE(window.isRunning());
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_TRUE(window.session().results().empty());
    QTest::qWait(50);
    EXPECT_TRUE(window.session().populations().empty());
    EXPECT_EQ(beeps, 0);
}

TEST_F(TFrm_1Test, AWindowTooLargeForTheMemoryEndsWithAMessageAndKeepsEverything)
{
    const auto tooLarge = [](auto &&...) { throw std::bad_alloc(); };
    window.setResultOpener(tooLarge);
    window.setDiagramOpener(tooLarge);
    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    enter("90", "0", "5", "150", "250");
    click("btn_getcoor");
    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    for (const char *command : { "btn_showRes", "btn_paint" }) {
        SCOPED_TRACE(command);
        prompts.errors.clear();
        click(command);
        EXPECT_EQ(prompts.errors, QStringList { "There is not enough memory for this command." });
        EXPECT_EQ(window.session().populations().size(), 2u);
        EXPECT_EQ(window.session().results().size(), 1u);
        EXPECT_EQ(cell(2, 0), "Comp. #2");
        EXPECT_TRUE(enabled(command));
    }
}

TEST_F(TFrm_1Test, WindowsShowARunWithTheComponentsItWasComputedFrom)
{
    QStringList opened;
    const auto record = [&](const char *name, const ComponentPopulations &populations,
                            const ResultSeries &series, const RunSettings &settings) {
        opened << QString("%1: %2 components, %3 members, %4 to %5")
                      .arg(name)
                      .arg(populations.size())
                      .arg(series.size())
                      .arg(settings.runLowTemp)
                      .arg(settings.runHighTemp);
    };
    window.setResultOpener(
        [&](QWidget *, const ComponentPopulations &populations, const ResultSeries &series,
            const RunSettings &settings) { record("result", populations, series, settings); });
    window.setDiagramOpener(
        [&](QWidget *, const ResultSeries &series, ComponentPopulations &populations,
            const RunSettings &settings) { record("diagram", populations, series, settings); });
    window.setAnalysisOpener(
        [&](QWidget *, ComponentPopulations &populations, const ResultSeries &series,
            const RunSettings &settings,
            std::optional<double>) { record("analysis", populations, series, settings); });
    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    enter("90", "0", "5", "150", "250");
    click("btn_getcoor");
    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    // A third component after the run: the commands stay, and show the run as it was made.
    enter("90", "10", "3", "50", "300");
    click("btn_getcoor");
    ASSERT_EQ(window.session().populations().size(), 3u);
    for (const char *command : { "btn_showRes", "btn_paint", "btn_analyse" })
        click(command);
    EXPECT_EQ(opened,
        QStringList({ "result: 2 components, 1 members, 100 to 250",
            "diagram: 2 components, 1 members, 100 to 250",
            "analysis: 2 components, 1 members, 100 to 250" }));
    EXPECT_TRUE(prompts.errors.isEmpty());

    opened.clear();
    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    click("btn_paint");
    EXPECT_EQ(opened, QStringList { "diagram: 3 components, 1 members, 50 to 300" });
}

TEST_F(TFrm_1Test, AnalyseOpensOverTheRunWithTheTypedFisherK)
{
    QStringList opened;
    window.setAnalysisOpener(
        [&](QWidget *, ComponentPopulations &populations, const ResultSeries &series,
            const RunSettings &settings, std::optional<double> typedFisherK) {
            opened << QString("%1 members, %2 components, %3 to %4, k %5")
                          .arg(series.size())
                          .arg(populations.size())
                          .arg(settings.runLowTemp)
                          .arg(settings.runHighTemp)
                          .arg(typedFisherK ? QString::number(*typedFisherK) : QString("none"));
        });
    EXPECT_EQ(button("btn_analyse")->text(), "Analyse...");
    EXPECT_FALSE(enabled("btn_analyse"));
    EXPECT_FALSE(window.findChild<QAction *>(QStringLiteral("actionAnalyse"))->isEnabled());
    check("CBmult")->click();
    setComboText("CB_k", "20");
    setComboText("CB_randomPoints", "3");
    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    enter("90", "0", "5", "150", "250");
    click("btn_getcoor");
    EXPECT_FALSE(enabled("btn_analyse"));
    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    ASSERT_TRUE(enabled("btn_analyse"));
    click("btn_analyse");
    EXPECT_EQ(opened, QStringList { "4 members, 2 components, 100 to 250, k 20" });
    auto *menuEntry = window.findChild<QAction *>(QStringLiteral("actionAnalyse"));
    ASSERT_NE(menuEntry, nullptr);
    ASSERT_TRUE(menuEntry->isEnabled());
    menuEntry->trigger();
    EXPECT_EQ(opened.size(), 2);
    EXPECT_TRUE(prompts.errors.isEmpty());
}

// Calculate, unavailable until there are two components, says why on its tool tip.
TEST_F(TFrm_1Test, CalculateSaysItNeedsASecondComponent)
{
    EXPECT_TRUE(button("btn_add")->toolTip().contains("two components"));
    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    EXPECT_FALSE(enabled("btn_add"));
    EXPECT_EQ(button("btn_add")->toolTip(),
        "A run needs a second component: add one with Add direction, then Calculate");
    enter("90", "0", "5", "150", "250");
    click("btn_getcoor");
    EXPECT_TRUE(enabled("btn_add"));
    EXPECT_EQ(button("btn_add")->toolTip(), "");
}

// The typed k is not the drawn one: the box says so, and after a run the k the populations
// were drawn with stands beside it.
TEST_F(TFrm_1Test, DrawnFisherKStandsBesideTheTypedOneAfterARun)
{
    EXPECT_TRUE(combo("CB_k")->toolTip().contains("halved"));
    auto *drawn = control<QLabel>("lbl_drawnK");
    check("CBmult")->click();
    setComboText("CB_k", "30");
    setComboText("CB_randomPoints", "100");
    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    enter("90", "0", "5", "150", "250");
    click("btn_getcoor");
    EXPECT_FALSE(drawn->isVisible());
    click("btn_add");
    ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    ASSERT_TRUE(drawn->isVisible());
    // "drawn 104-131": both populations near four times the typed 30.
    const QStringList range = drawn->text().mid(QStringLiteral("drawn ").size()).split('-');
    ASSERT_TRUE(drawn->text().startsWith("drawn ")) << drawn->text().toStdString();
    for (const QString &k : range) {
        SCOPED_TRACE(k.toStdString());
        EXPECT_GT(k.toInt(), 80);
        EXPECT_LT(k.toInt(), 170);
    }
    EXPECT_TRUE(drawn->toolTip().contains("component 1 ")) << drawn->toolTip().toStdString();
    EXPECT_TRUE(drawn->toolTip().contains("component 2 "));

    prompts.answers = { Prompts::Answer::Yes };
    click("btn_clear");
    EXPECT_FALSE(drawn->isVisible());
}

} // namespace
} // namespace Demagora::Testing
