// The main window's document side: a new or opened scenario, and undoing and redoing the
// component commands. The rest of TFrm_1 is in tfrm_1.cpp and the files beside it.
#include "main_window/tfrm_1.h"

#include "main_window/scenariodocument.h"
#include "main_window/mainwindowrules.h"
#include "main_window/sessioncommand.h"
#include "prompts/prompts.h"
#include "text/numbertext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QUndoStack>

namespace Demagora {

bool TFrm_1::openFile(const QString &path)
{
    return m_document->open(path);
}

void TFrm_1::openOtherScenario(const QString &path)
{
    if (isRunning()) {
        reportError(this,
            QStringLiteral("%1 cannot be opened while the run lasts: open it with File > Open "
                           "once the run has ended.")
                .arg(path));
        return;
    }
    m_document->openRecent(path);
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
    if (isRunning() || isBusy())
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
    // The populations are rebuilt from their seeds, which can take seconds.
    startBusy([this, state] { m_session.restore(state); },
        [this](std::exception_ptr failure) {
            showGrid();
            showPopulationSettings(false);
            m_commands.componentsReplaced(
                m_session.populations().size(), CBmult->isChecked(), CBdifLengths->isChecked());
            applyCommandState();
            reportFailure(failure);
        });
}

void TFrm_1::loadScenario(Scenario scenario, ScenarioDocument::Loaded loaded)
{
    // Scattered populations, and the numbers their own seeds skip, can take seconds to build.
    startBusy(
        [this, scenario = std::move(scenario)]() mutable {
            m_session.load(std::move(scenario), *m_random);
        },
        [this, loaded = std::move(loaded)](std::exception_ptr failure) {
            if (!failure)
                showLoadedScenario();
            loaded(failure);
        });
}

void TFrm_1::startBusy(std::function<void()> work, BusyWork::Done done)
{
    if (!m_busy.start(std::move(work), done)) {
        done(std::make_exception_ptr(std::runtime_error(
            "Another change is still being made: try again once the window takes input.")));
    }
}

void TFrm_1::reportFailure(std::exception_ptr failure)
{
    if (!failure)
        return;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &error) {
        reportError(this, QString::fromStdString(userMessage(error)));
    }
}

void TFrm_1::showLoadedScenario()
{
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

} // namespace Demagora
