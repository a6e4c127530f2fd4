// The main window's menu: building it, connecting its commands, the title it shares with the
// document, and which of its commands are available. The rest of TFrm_1 is in tfrm_1.cpp.
#include "main_window/tfrm_1.h"

#include "main_window/mainmenu.h"
#include "main_window/scenariodocument.h"
#include "prompts/prompts.h"
#include "measurements/formattable.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>

namespace Demagora {

void TFrm_1::buildMenu()
{
    m_undoStack = new QUndoStack(this);
    m_menu = new MainMenu(this);
    m_document = new ScenarioDocument(
        this, m_undoStack, [this](Scenario scenario, ScenarioDocument::Loaded loaded) {
            loadScenario(std::move(scenario), std::move(loaded));
        },
        [this] { return m_session.scenario(); });
    connect(m_menu->exportMeasurementsAction(), &QAction::triggered, this,
        &TFrm_1::exportMeasurementsClick);
    connect(m_menu->quitAction(), &QAction::triggered, this, &QWidget::close);
    connect(m_menu->aboutAction(), &QAction::triggered, this, [this] {
        Prompts::current().showInformation(
            this, QStringLiteral("About Demagora"), MainMenu::aboutText());
    });
    connect(m_menu->keyboardAction(), &QAction::triggered, this, [this] {
        Prompts::current().showInformation(
            this, QStringLiteral("Keyboard reference"), MainMenu::keyboardText());
    });
    // N: A is Add direction's.
    QMenu *analysis = m_menu->addMenuBeforeHelp(QStringLiteral("A&nalysis"));
    m_analyseAction = analysis->addAction(QStringLiteral("Analyse..."));
    m_analyseAction->setObjectName(QStringLiteral("actionAnalyse"));
    connect(m_analyseAction, &QAction::triggered, this, &TFrm_1::btn_analyseClick);
}

void TFrm_1::connectMenu()
{
    const auto twinOpener = [this](const QString &path) { openOtherScenario(path); };
    connect(m_menu->newAction(), &QAction::triggered, this, &TFrm_1::newDocument);
    connect(m_menu->openAction(), &QAction::triggered, this, [this] {
        if (!isRunning())
            m_document->openChosen();
    });
    // Measurements open beside the scenario, which stays as it is; the file or folder opened
    // joins the recent files.
    const auto openMeasurementsAt = [this, twinOpener](const QString &path) {
        if (!path.isEmpty() && m_measurementsOpener)
            m_measurementsOpener(
                this, path, twinOpener, [this, path] { m_document->remember(path); });
    };
    connect(
        m_menu->openMeasurementsAction(), &QAction::triggered, this, [this, openMeasurementsAt] {
            openMeasurementsAt(
                Prompts::current().askExistingFileName(this, QStringLiteral("Open measurements"),
                    QString::fromStdString(measurementFileFilter())));
        });
    connect(m_menu->openMeasurementFolderAction(), &QAction::triggered, this,
        [this, openMeasurementsAt] {
            openMeasurementsAt(Prompts::current().askFolder(
                this, QStringLiteral("Open measurement folder"), QString()));
        });
    connect(
        m_menu, &MainMenu::recentFileChosen, this, [this, openMeasurementsAt](const QString &path) {
            if (isMeasurementPath(path))
                openMeasurementsAt(path);
            else if (!isRunning())
                m_document->openRecent(path);
        });
    connect(m_menu->saveAction(), &QAction::triggered, m_document, &ScenarioDocument::save);
    connect(m_menu->saveAsAction(), &QAction::triggered, m_document, &ScenarioDocument::saveAs);
    connect(m_menu->undoAction(), &QAction::triggered, this, [this] { undoOrRedo(true); });
    connect(m_menu->redoAction(), &QAction::triggered, this, [this] { undoOrRedo(false); });
    connect(m_undoStack, &QUndoStack::indexChanged, this, &TFrm_1::applyCommandState);
    connect(m_document, &ScenarioDocument::titleChanged, this, &TFrm_1::updateTitle);
    connect(m_document, &ScenarioDocument::recentFilesChanged, m_menu, &MainMenu::setRecentFiles);
    updateTitle();
}

void TFrm_1::updateTitle()
{
    setWindowTitle(m_document->title());
    setWindowModified(m_document->isModified());
}

void TFrm_1::applyMenuState()
{
    // While a run lasts the components stay as they are: no undo, no other document.
    const bool idle = !m_commands.isRunning();
    const auto named = [](const char *command, const QString &text) {
        return text.isEmpty() ? QString::fromLatin1(command)
                              : QString::fromLatin1(command) + ' ' + text;
    };
    m_menu->undoAction()->setEnabled(idle && m_undoStack->canUndo());
    m_menu->undoAction()->setText(named("&Undo", m_undoStack->undoText()));
    m_menu->redoAction()->setEnabled(idle && m_undoStack->canRedo());
    m_menu->redoAction()->setText(named("&Redo", m_undoStack->redoText()));
    m_menu->newAction()->setEnabled(idle);
    m_menu->openAction()->setEnabled(idle);
    m_menu->recentMenu()->setEnabled(idle && !m_document->recentFiles().isEmpty());
}

} // namespace Demagora
