// The main window's document side: the menu's commands, the title, opening a scenario, and
// undoing and redoing the component commands. The rest of TFrm_1 is in tfrm_1.cpp.
#include "main_window/tfrm_1.h"

#include "main_window/mainmenu.h"
#include "main_window/scenariodocument.h"
#include "main_window/sessioncommand.h"
#include "specimens_window/openmeasurements.h"
#include "text/numbertext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QUndoStack>

#include <exception>
#include <thread>

namespace Demagora {

void TFrm_1::connectMenu()
{
    connect(m_menu->newAction(), &QAction::triggered, this, &TFrm_1::newDocument);
    connect(m_menu->openAction(), &QAction::triggered, this, [this] {
        if (!isRunning())
            m_document->openChosen();
    });
    connect(m_menu->openMeasurementsAction(), &QAction::triggered, this, [this] {
        const QString path = askMeasurementFile(this);
        if (!path.isEmpty() && openMeasurements(this, path))
            m_document->remember(path);
    });
    connect(m_menu, &MainMenu::recentFileChosen, this, [this](const QString &path) {
        // Measurement files open beside the scenario, which stays as it is.
        if (isMeasurementPath(path)) {
            if (openMeasurements(this, path))
                m_document->remember(path);
        } else if (!isRunning()) {
            m_document->openRecent(path);
        }
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

bool TFrm_1::openFile(const QString &path)
{
    return m_document->open(path);
}

void TFrm_1::newDocument()
{
    if (isRunning() || !m_document->maybeSave())
        return;
    clearBoxes();
    m_session.clearEverything();
    showGrid();
    m_commands.cleared(CBmult->isChecked());
    m_document->reset();
    applyCommandState();
}

void TFrm_1::undoOrRedo(bool undo)
{
    if (isRunning())
        return;
    if (undo)
        m_undoStack->undo();
    else
        m_undoStack->redo();
}

void TFrm_1::recordChange(const QString &text, const ComponentSession::State &before)
{
    m_undoStack->push(new SessionCommand(text, before, m_session.state(),
        [this](const ComponentSession::State &state) { applyState(state); }));
}

void TFrm_1::applyState(const ComponentSession::State &state)
{
    m_session.restore(state);
    showGrid();
    showPopulationSettings(false);
    m_commands.componentsReplaced(
        m_session.populations().size(), CBmult->isChecked(), CBdifLengths->isChecked());
    applyCommandState();
}

void TFrm_1::loadScenario(Scenario scenario)
{
    // Scattered populations, and the numbers their own seeds skip, can take seconds to build:
    // they are built on a worker thread while the windows go on painting, their input held
    // back, so that nothing on this thread reads or changes the session meanwhile.
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            m_session.load(std::move(scenario), *m_random);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
    if (failure)
        std::rethrow_exception(failure);
    {
        // Opening sets the report kind; it is no change of the document.
        const QSignalBlocker blocker(CB_reportType);
        CB_reportType->setCurrentIndex(
            m_session.settings().reportKind == ReportKind::Initial ? 0 : 1);
    }
    showGrid();
    showPopulationSettings(true);
    m_commands.componentsReplaced(
        m_session.populations().size(), CBmult->isChecked(), CBdifLengths->isChecked());
    applyCommandState();
}

// The population settings the components were built with; withTexts: Fisher's k and the
// spread of heights too, which may differ between components and stay free to change.
void TFrm_1::showPopulationSettings(bool withTexts)
{
    const Scenario &scenario = m_session.state().scenario;
    if (scenario.components.empty())
        return;
    CBmult->setChecked(scenario.population.has_value());
    if (!scenario.population)
        return;
    const PopulationSettings &settings = *scenario.population;
    CBdifLengths->setChecked(settings.differentLengths);
    CB_randomPoints->setEditText(QString::number(settings.randomPoints));
    if (withTexts) {
        const std::string &separator = m_session.decimalSeparator();
        CB_k->setEditText(QString::fromStdString(formatGeneral(settings.fisherK, separator)));
        CBdisper->setEditText(
            QString::fromStdString(formatGeneral(settings.heightStdDev, separator)));
    }
}

void TFrm_1::focusEntryField(EntryField field)
{
    QWidget *boxes[] = { nullptr, EB_dec, EB_inc, EB_height, EB_blockLow, EB_blockHigh, CB_k,
        CB_randomPoints, CBdisper };
    QWidget *box = boxes[static_cast<int>(field)];
    if (!box)
        return;
    box->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        edit->selectAll();
    else if (auto *combo = qobject_cast<QComboBox *>(box))
        combo->lineEdit()->selectAll();
}

void TFrm_1::clearBoxes()
{
    EB_dec->clear();
    EB_height->clear();
    EB_inc->clear();
    EB_blockLow->clear();
    EB_blockHigh->clear();
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
