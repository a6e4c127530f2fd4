#pragma once

#include "document/scenario.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

class QUndoStack;
class QWidget;

namespace Demagora {

// Whether a file of the recent list is a measurement file (or folder) rather than a scenario.
bool isMeasurementPath(const QString &path);

// The main window's scenario as a document: its file, whether it holds unsaved changes, the
// title that shows both, the "Save changes?" question, Save, Save As, Open and the list of
// recent files. The window supplies how a scenario is taken from and put into its session.
class ScenarioDocument : public QObject
{
    Q_OBJECT

public:
    // Replaces the window's data with a scenario read from a file, at once or later (building
    // populations takes time), then calls loaded: with nothing, or with what was thrown with
    // the user's message when it could not, and then nothing has changed.
    using Loaded = std::function<void(std::exception_ptr failure)>;
    using Loader = std::function<void(Scenario, Loaded loaded)>;
    using Saver = std::function<Scenario()>;

    // stack: the undoable changes; its clean state is the saved one.
    ScenarioDocument(QWidget *window, QUndoStack *stack, Loader loader, Saver saver);

    const QString &filePath() const { return m_filePath; }
    bool isModified() const;
    // "name[*] - Demagora", the mark standing for unsaved changes.
    QString title() const;
    // A change that is not undoable (the report kind) still needs saving.
    void markChanged();

    // With unsaved changes asks "Save changes?": Save saves, Discard goes on, Cancel stops.
    // Returns whether the caller may go on.
    bool maybeSave();
    bool save();
    bool saveAs();
    // Reads path without asking about unsaved changes and has it loaded; false when the file
    // cannot be read. On failure, now or when the loading ends, reports the file and the
    // reason and changes nothing.
    bool open(const QString &path);
    // Asks about unsaved changes, then for a file, and opens it.
    void openChosen();
    // Asks about unsaved changes, then opens path.
    void openRecent(const QString &path);
    // Puts a file opened elsewhere (a measurement file) at the top of the recent files.
    void remember(const QString &path);
    // Forgets the file: what follows is a new, unsaved document.
    void reset();

    const QStringList &recentFiles() const { return m_recentFiles; }
    void setRecentFiles(QStringList files);

    static constexpr int MaxRecentFiles = 8;

signals:
    // The title or the unsaved-changes mark changed.
    void titleChanged();
    void recentFilesChanged(const QStringList &files);

private:
    bool saveTo(const QString &path);
    void reportOpenFailure(const QString &path, std::exception_ptr failure);

    QWidget *m_window;
    QUndoStack *m_stack;
    Loader m_loader;
    Saver m_saver;
    QString m_filePath;
    bool m_otherChange = false;
    QStringList m_recentFiles;
};

} // namespace Demagora
