#include "main_window/scenariodocument.h"

#include "files/outputfiles.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QUndoStack>
#include <QWidget>

#include <exception>

namespace Demagora {

bool isMeasurementPath(const QString &path)
{
    return QFileInfo(path).suffix().compare(QStringLiteral("json"), Qt::CaseInsensitive) != 0;
}

ScenarioDocument::ScenarioDocument(QWidget *window, QUndoStack *stack, Loader loader, Saver saver)
    : QObject(window)
    , m_window(window)
    , m_stack(stack)
    , m_loader(std::move(loader))
    , m_saver(std::move(saver))
{
    connect(m_stack, &QUndoStack::cleanChanged, this, &ScenarioDocument::titleChanged);
}

bool ScenarioDocument::isModified() const
{
    return m_otherChange || !m_stack->isClean();
}

QString ScenarioDocument::title() const
{
    const QString name
        = m_filePath.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(m_filePath).fileName();
    return name + QStringLiteral("[*] - Demagora");
}

void ScenarioDocument::markChanged()
{
    const bool was = isModified();
    m_otherChange = true;
    if (!was)
        emit titleChanged();
}

bool ScenarioDocument::maybeSave()
{
    if (!isModified())
        return true;
    switch (Prompts::current().askSaveChanges(m_window, QStringLiteral("Save changes?"))) {
    case Prompts::Answer::Save:
        return save();
    case Prompts::Answer::Discard:
        return true;
    default:
        return false;
    }
}

bool ScenarioDocument::save()
{
    return m_filePath.isEmpty() ? saveAs() : saveTo(m_filePath);
}

bool ScenarioDocument::saveAs()
{
    const QString suggested = m_filePath.isEmpty() ? QStringLiteral("scenario.json") : m_filePath;
    QString path = Prompts::current().askSaveFileName(m_window, QStringLiteral("Save scenario"),
        suggested, QStringLiteral("Scenarios (*.json);;All files (*)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".json");
    // The open scenario may be saved over itself; any other existing file only when agreed.
    if (!confirmOutputs(
            m_window, { { QFile::encodeName(path).toStdString(), "the scenario" } }, QString()))
        return false;
    return saveTo(path);
}

bool ScenarioDocument::saveTo(const QString &path)
{
    try {
        const Scenario scenario = m_saver();
        // The old file stays whole until the new one has been written completely.
        writeOutputFile(path.toStdString(), "the scenario",
            [&scenario](std::ostream &out) { writeScenario(out, scenario); });
    } catch (const std::exception &error) {
        reportError(m_window, QString::fromStdString(error.what()));
        return false;
    }
    m_filePath = path;
    m_otherChange = false;
    m_stack->setClean();
    remember(path);
    emit titleChanged();
    return true;
}

bool ScenarioDocument::open(const QString &path)
{
    Scenario scenario;
    try {
        scenario = readScenarioFile(path.toStdString());
    } catch (...) {
        reportOpenFailure(path, std::current_exception());
        return false;
    }
    m_loader(std::move(scenario), [this, path](std::exception_ptr failure) {
        if (failure) {
            reportOpenFailure(path, failure);
            return;
        }
        m_filePath = path;
        m_otherChange = false;
        m_stack->clear();
        remember(path);
        emit titleChanged();
    });
    return true;
}

void ScenarioDocument::reportOpenFailure(const QString &path, std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const ScenarioError &error) {
        reportError(m_window, QString::fromStdString(error.what()));
    } catch (const std::exception &error) {
        reportError(m_window, path + QStringLiteral(": ") + QString::fromStdString(error.what()));
    }
}

void ScenarioDocument::openChosen()
{
    if (!maybeSave())
        return;
    const QString path = Prompts::current().askExistingFileName(m_window,
        QStringLiteral("Open scenario"), QStringLiteral("Scenarios (*.json);;All files (*)"));
    if (!path.isEmpty())
        open(path);
}

void ScenarioDocument::openRecent(const QString &path)
{
    if (maybeSave())
        open(path);
}

void ScenarioDocument::reset()
{
    m_filePath.clear();
    m_otherChange = false;
    m_stack->clear();
    emit titleChanged();
}

void ScenarioDocument::setRecentFiles(QStringList files)
{
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    m_recentFiles = std::move(files);
    emit recentFilesChanged(m_recentFiles);
}

void ScenarioDocument::remember(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = m_recentFiles;
    files.removeAll(absolute);
    files.prepend(absolute);
    setRecentFiles(std::move(files));
}

} // namespace Demagora
