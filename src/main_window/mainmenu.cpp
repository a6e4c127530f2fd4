#include "main_window/mainmenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QFileInfo>
#include <QWidget>

namespace Demagora {

namespace {

QAction *addAction(QMenu *menu, const char *name, const QString &text, const QKeySequence &keys)
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
}

} // namespace

MainMenu::MainMenu(QWidget *window)
    : QObject(window)
    , m_menuBar(new QMenuBar(window))
{
    m_menuBar->setObjectName(QStringLiteral("MainMenu"));

    QMenu *file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    m_new = addAction(file, "actionNew", QStringLiteral("&New"), QKeySequence::New);
    m_open = addAction(file, "actionOpen", QStringLiteral("&Open..."), QKeySequence::Open);
    m_openMeasurements = addAction(file, "actionOpenMeasurements",
        QStringLiteral("Open &measurements..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    m_openMeasurementFolder = addAction(
        file, "actionOpenMeasurementFolder", QStringLiteral("Open measurement &folder..."), {});
    m_recent = file->addMenu(QStringLiteral("Open &Recent"));
    m_recent->setObjectName(QStringLiteral("RecentMenu"));
    m_recent->setEnabled(false);
    file->addSeparator();
    m_save = addAction(file, "actionSave", QStringLiteral("&Save"), QKeySequence::Save);
    m_saveAs = addAction(file, "actionSaveAs", QStringLiteral("Save &As..."),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    m_exportMeasurements = addAction(
        file, "actionExportMeasurements", QStringLiteral("&Export measurements..."), {});
    m_exportMeasurements->setEnabled(false);
    file->addSeparator();
    m_quit = addAction(
        file, "actionQuit", QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *edit = m_menuBar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    // Enabled and named by the window, which knows when the components may change.
    m_undo = addAction(
        edit, "actionUndo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = addAction(edit, "actionRedo", QStringLiteral("&Redo"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);

    m_help = m_menuBar->addMenu(QStringLiteral("&Help"));
    m_help->setObjectName(QStringLiteral("HelpMenu"));
    m_keyboard = addAction(m_help, "actionKeyboard", QStringLiteral("&Keyboard reference"), {});
    m_about = addAction(m_help, "actionAbout", QStringLiteral("&About Demagora"), {});

    // The shortcuts work wherever the focus is in the window, the menu bar included.
    for (QAction *action :
        { m_new, m_open, m_openMeasurements, m_save, m_saveAs, m_quit, m_undo, m_redo })
        action->setShortcutContext(Qt::WindowShortcut);
}

QMenu *MainMenu::addMenuBeforeHelp(const QString &title)
{
    auto *menu = new QMenu(title, m_menuBar);
    m_menuBar->insertMenu(m_help->menuAction(), menu);
    return menu;
}

void MainMenu::setRecentFiles(const QStringList &files)
{
    m_recent->clear();
    for (const QString &path : files) {
        QAction *action = m_recent->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { emit recentFileChosen(path); });
    }
    m_recent->setEnabled(!files.isEmpty());
}

QString MainMenu::aboutText()
{
    return QStringLiteral("Demagora %1\n\n"
                          "Simulates the stepwise thermal demagnetization of a rock sample whose "
                          "remanence is the sum of several magnetization components.\n\n"
                          "Licence: distributed under the terms of the licence that comes with "
                          "its source code.")
        .arg(QStringLiteral(DEMAGORA_VERSION));
}

QString MainMenu::keyboardText()
{
    return QStringLiteral("Down, Up\tnext or previous of the five component boxes\n"
                          "Tab\tnext control\n"
                          "Alt+A\tAdd direction\n"
                          "Alt+C\tCalculate\n"
                          "Alt+L\tClear everything\n"
                          "Alt+S\tShow result\n"
                          "Alt+P\tPaint\n"
                          "Alt+F, Alt+E\tthe File and Edit menus\n"
                          "Alt+N\tthe Analysis menu\n"
                          "Alt+H\tthe Help menu\n"
                          "Double-click on a grid row\tedit that component\n\n"
                          "Ctrl+N\tNew scenario\n"
                          "Ctrl+O\tOpen a scenario\n"
                          "Ctrl+S\tSave\n"
                          "Ctrl+Shift+S\tSave As\n"
                          "Ctrl+Z\tUndo\n"
                          "Ctrl+Shift+Z\tRedo\n"
                          "Ctrl+Q\tQuit");
}

} // namespace Demagora
