#include "mainwindowfixture.h"

#include "main_window/mainmenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

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
    ASSERT_EQ(titles.size(), 4);
    EXPECT_EQ(titles[2], tools->menuAction());
    EXPECT_EQ(titles[3]->text(), "&Help");
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

} // namespace
} // namespace Demagora::Testing
