#pragma once

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace Demagora {

// The main window's menu bar: File, Edit and Help with their standard shortcuts. It only
// creates the actions; the window connects them. Further menus go in before Help.
class MainMenu : public QObject
{
    Q_OBJECT

public:
    explicit MainMenu(QWidget *window);

    QMenuBar *menuBar() const { return m_menuBar; }
    // A new menu placed before Help, for commands other parts of the program add.
    QMenu *addMenuBeforeHelp(const QString &title);

    QAction *newAction() const { return m_new; }
    QAction *openAction() const { return m_open; }
    QAction *openMeasurementsAction() const { return m_openMeasurements; }
    // A folder read as one: a folder of 2G files, a MagIC contribution.
    QAction *openMeasurementFolderAction() const { return m_openMeasurementFolder; }
    QMenu *recentMenu() const { return m_recent; }
    QAction *saveAction() const { return m_save; }
    QAction *saveAsAction() const { return m_saveAs; }
    // Disabled until the export of measurements connects it.
    QAction *exportMeasurementsAction() const { return m_exportMeasurements; }
    QAction *quitAction() const { return m_quit; }
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    QAction *aboutAction() const { return m_about; }
    QAction *keyboardAction() const { return m_keyboard; }

    // Lists files under Open Recent, newest first; choosing one emits recentFileChosen.
    void setRecentFiles(const QStringList &files);

    // The text of Help > About and of the keyboard reference.
    static QString aboutText();
    static QString keyboardText();

signals:
    void recentFileChosen(const QString &path);

private:
    QMenuBar *m_menuBar;
    QMenu *m_help = nullptr;
    QMenu *m_recent = nullptr;
    QAction *m_new = nullptr;
    QAction *m_open = nullptr;
    QAction *m_openMeasurements = nullptr;
    QAction *m_openMeasurementFolder = nullptr;
    QAction *m_save = nullptr;
    QAction *m_saveAs = nullptr;
    QAction *m_exportMeasurements = nullptr;
    QAction *m_quit = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_about = nullptr;
    QAction *m_keyboard = nullptr;
};

} // namespace Demagora
