#include "mainwindowfixture.h"

#include "main_window/mainmenu.h"
#include "support/mnemonics.h"
#include "support/smallcitsite.h"

#include "measurements/measurementreader.h"
#include "specimens_window/interpretationpanel.h"
#include "specimens_window/specimeninterpretations.h"
#include "specimens_window/specimenswindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QFileInfo>
#include <QTemporaryDir>

namespace Demagora::Testing {
namespace {

using MainMenuTest = MainWindowTest;

TEST_F(MainMenuTest, MenusHoldTheCommandsWithTheirStandardShortcuts)
{
    struct Item
    {
        const char *action;
        const char *menu;
        QString text;
        QKeySequence keys;
    };
    const Item items[] = {
        { "actionNew", "FileMenu", "&New", QKeySequence("Ctrl+N") },
        { "actionOpen", "FileMenu", "&Open...", QKeySequence("Ctrl+O") },
        { "actionSave", "FileMenu", "&Save", QKeySequence("Ctrl+S") },
        { "actionSaveAs", "FileMenu", "Save &As...", QKeySequence("Ctrl+Shift+S") },
        { "actionExportMeasurements", "FileMenu", "&Export measurements...", QKeySequence() },
        { "actionQuit", "FileMenu", "&Quit", QKeySequence("Ctrl+Q") },
        { "actionUndo", "EditMenu", "&Undo", QKeySequence("Ctrl+Z") },
        { "actionRedo", "EditMenu", "&Redo", QKeySequence("Ctrl+Shift+Z") },
        { "actionKeyboard", "HelpMenu", "&Keyboard reference", QKeySequence() },
        { "actionAbout", "HelpMenu", "&About Demagora", QKeySequence() },
    };
    for (const Item &item : items) {
        SCOPED_TRACE(item.action);
        auto *menu = control<QMenu>(item.menu);
        auto *action = window.findChild<QAction *>(QLatin1String(item.action));
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(menu->actions().contains(action));
        EXPECT_EQ(action->text(), item.text);
        EXPECT_EQ(action->shortcut(), item.keys);
    }
    EXPECT_TRUE(
        control<QMenu>("FileMenu")->actions().contains(window.menu().recentMenu()->menuAction()));
    EXPECT_FALSE(window.menu().exportMeasurementsAction()->isEnabled());
    EXPECT_FALSE(window.menu().undoAction()->isEnabled());
}

TEST_F(MainMenuTest, MenuBarSitsAboveTheUnchangedLayout)
{
    const int menuHeight = window.menu().menuBar()->height();
    ASSERT_GT(menuHeight, 0);
    EXPECT_EQ(window.minimumSize(), QSize(750, 287 + menuHeight));
    EXPECT_EQ(control<QWidget>("PMain")->geometry(), QRect(0, menuHeight, window.width(), 155));
    EXPECT_EQ(control<QWidget>("PGrid")->height(), window.height() - menuHeight - 155);
}

TEST_F(MainMenuTest, NewMenuGoesBeforeHelp)
{
    QMenu *tools = window.menu().addMenuBeforeHelp("&Tools");
    const QList<QAction *> titles = window.menu().menuBar()->actions();
    // File, Edit, the window's own Analysis menu, the new one, Help.
    ASSERT_EQ(titles.size(), 5);
    EXPECT_EQ(titles[3], tools->menuAction());
    EXPECT_EQ(titles[4]->text(), "&Help");
}

TEST_F(MainMenuTest, HelpShowsVersionAndKeysAndQuitClosesTheWindow)
{
    window.menu().aboutAction()->trigger();
    window.menu().keyboardAction()->trigger();
    ASSERT_EQ(prompts.informations.size(), 2);
    EXPECT_TRUE(prompts.informations[0].startsWith("About Demagora\nDemagora " DEMAGORA_VERSION));
    EXPECT_TRUE(prompts.informations[0].contains("Licence"));
    EXPECT_TRUE(prompts.informations[1].startsWith("Keyboard reference\n"));
    EXPECT_TRUE(prompts.informations[1].contains("Ctrl+Shift+Z\tRedo"));

    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
}

// Each Alt+letter key of the window does what the Keyboard reference says it does, on its first
// press: every key belongs to one control or menu.
TEST_F(MainMenuTest, AltKeysDoWhatTheKeyboardReferenceSays)
{
    EXPECT_EQ(sharedMnemonics(window), QStringList {});
    window.menu().keyboardAction()->trigger();
    ASSERT_EQ(prompts.informations.size(), 1);
    const QString reference = prompts.informations[0];
    for (const char *line : { "Alt+A\tAdd direction\n", "Alt+C\tCalculate\n",
             "Alt+L\tClear everything\n", "Alt+N\tthe Analysis menu\n" }) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(reference.contains(QLatin1String(line))) << reference.toStdString();
    }

    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    enter("90", "0", "5", "150", "250");
    box("EB_dec")->setFocus();
    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    // A button pressed by its key shows itself pressed for a moment before it acts.
    EXPECT_TRUE(waitUntil([&] { return grid()->rowCount() == 3; }, 3000))
        << "the first Alt+A adds the component";
    box("EB_dec")->setFocus();

    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return enabled("btn_showRes"); }, 5000))
        << "the first Alt+C calculates";
    EXPECT_TRUE(prompts.questions.isEmpty());
    prompts.answers.push_back(Prompts::Answer::No);
    QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return !prompts.questions.isEmpty(); }, 3000))
        << "the first Alt+L asks to clear everything";
    EXPECT_EQ(grid()->rowCount(), 3);
}

} // namespace
} // namespace Demagora::Testing

namespace Demagora::Testing {
namespace {

// Quit asks every window with unsaved work before any closes: Cancel in a specimens window
// keeps every window as it was, the main window's changes included; Discard closes them all.
TEST_F(MainMenuTest, QuitAsksEveryWindowBeforeClosingAny)
{
    enter("0", "0", "10", "100", "200");
    click("btn_getcoor");
    ASSERT_TRUE(window.isWindowModified());
    const QString sam = SmallCitSite;
    auto *specimens = new SpecimensWindow(readMeasurements(sam.toStdString()), sam, &window);
    specimens->setAttribute(Qt::WA_DeleteOnClose, false);
    specimens->show();
    specimens->chooseSteps({ 0, 1, 2, 3 }, false);
    specimens->interpretation().fitChosen(FitType::Free);
    ASSERT_FALSE(specimens->interpretation().interpretations().isSaved());

    prompts.answers = { Prompts::Answer::Discard, Prompts::Answer::Cancel };
    window.menu().quitAction()->trigger();
    EXPECT_EQ(prompts.questions,
        QStringList({ "Save changes?", "Save the interpretations before closing?" }));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(specimens->isVisible());
    EXPECT_TRUE(window.isWindowModified());

    prompts.questions.clear();
    prompts.answers = { Prompts::Answer::Discard, Prompts::Answer::Discard };
    window.menu().quitAction()->trigger();
    EXPECT_EQ(prompts.questions.size(), 2);
    EXPECT_FALSE(specimens->isVisible());
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace Demagora::Testing

namespace Demagora::Testing {
namespace {

// A folder is read as one (a MagIC contribution here, a folder of 2G files alike): its
// specimens open in one specimens window, and the folder joins the recent files.
TEST_F(MainMenuTest, MeasurementFolderOpensAsOneSet)
{
    QTemporaryDir folder;
    QFile table(folder.filePath(QStringLiteral("measurements.txt")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("tab\tmeasurements\nspecimen\tmethod_codes\ttreat_temp\tdir_dec\tdir_inc\t"
                "magn_moment\tquality\n"
                "a1\tLT-NO\t273\t10\t20\t4e-6\tg\na1\tLT-T-Z\t373\t10\t20\t3e-6\tg\n"
                "b1\tLT-NO\t273\t30\t40\t5e-6\tg\n");
    table.close();
    prompts.fileNames = { folder.path() };
    window.menu().openMeasurementFolderAction()->trigger();
    EXPECT_EQ(prompts.folderCaptions, QStringList { "Open measurement folder" });
    // The reading is a background job: the window opens once it has ended.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !window.findChildren<SpecimensWindow *>().isEmpty(); }));
    const auto opened = window.findChildren<SpecimensWindow *>();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.front()->measurements().specimens.size(), 2u);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    const auto *recent = window.findChild<QMenu *>(QStringLiteral("RecentMenu"));
    ASSERT_FALSE(recent->actions().isEmpty());
    EXPECT_TRUE(recent->actions().front()->text().contains(QFileInfo(folder.path()).fileName()));
    opened.front()->close();
}

} // namespace
} // namespace Demagora::Testing
