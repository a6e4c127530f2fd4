#include "main_window/tfrm_1.h"

#include "main_window/componentgridtable.h"
#include "main_window/mainmenu.h"
#include "main_window/mainwindowrules.h"
#include "main_window/runcontroller.h"
#include "main_window/scenariodocument.h"
#include "main_window/tfrm_par.h"
#include "prompts/prompts.h"
#include "text/numbertext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QUndoStack>
#include <QVBoxLayout>

#include <exception>
#include <new>
#include <optional>

namespace Demagora {

namespace {

constexpr int CommandButtonWidth = 95;
constexpr int CommandButtonHeight = 33;
// The window's own area below the menu bar.
constexpr int ClientWidth = 750;
constexpr int ClientHeight = 287;
// How long closing the window waits for a stopped run to end before leaving it behind.

} // namespace

TFrm_1::TFrm_1(QWidget *parent)
    : QWidget(parent)
    , m_session(QLocale::system().decimalPoint().toStdString())
    , m_editorRunner([](TFRM_par &editor) { editor.exec(); })
    , m_beep([] { QApplication::beep(); })
{
    setObjectName(QStringLiteral("Frm_1"));
    QFont boxFont = font();
    boxFont.setPixelSize(11);
    setFont(boxFont);
    move(232, 215);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenu();
    layout->setMenuBar(m_menu->menuBar());
    // The menu bar comes on top of the window's fixed layout, which keeps its size below it.
    const int menuHeight = m_menu->menuBar()->sizeHint().height();
    setMinimumSize(ClientWidth, ClientHeight + menuHeight);
    resize(ClientWidth, ClientHeight + menuHeight);
    PMain = new QWidget(this);
    PMain->setObjectName(QStringLiteral("PMain"));
    PMain->setFixedHeight(155);
    PGrid = new QWidget(this);
    PGrid->setObjectName(QStringLiteral("PGrid"));
    layout->addWidget(PMain);
    layout->addWidget(PGrid, 1);

    auto *mainLayout = new QHBoxLayout(PMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    Pleft = new QWidget(PMain);
    Pleft->setObjectName(QStringLiteral("Pleft"));
    Pright = new QWidget(PMain);
    Pright->setObjectName(QStringLiteral("Pright"));
    Pright->setFixedWidth(210);
    mainLayout->addWidget(Pleft, 1);
    mainLayout->addWidget(Pright);

    buildLeftPanel();
    buildRightPanel();
    buildGrid();
    connectControls();
    connectMenu();

    m_runController = new RunController(this);
    connect(m_runController, &RunController::maximumChanged, PrBar, &QProgressBar::setMaximum);
    connect(m_runController, &RunController::advanced, PrBar,
        [this] { PrBar->setValue(PrBar->value() + 1); });
    connect(m_runController, &RunController::progressReset, PrBar, [this] { PrBar->setValue(0); });
    connect(m_runController, &RunController::runFinished, this, &TFrm_1::runEnded);

    qApp->installEventFilter(this);
    FormCreate();
}

TFrm_1::~TFrm_1()
{
    // Emptied as it is destroyed, the undo stack still signals its index, which this window
    // hears: it goes first and unheard, while the window is still whole.
    m_undoStack->blockSignals(true);
    delete m_undoStack;
}

QLabel *TFrm_1::addLabel(
    QGridLayout *layout, const char *name, const QString &text, int row, int column)
{
    auto *label = new QLabel(text, layout->parentWidget());
    label->setObjectName(QLatin1String(name));
    layout->addWidget(label, row, column);
    return label;
}

void TFrm_1::buildLeftPanel()
{
    auto *panelLayout = new QVBoxLayout(Pleft);
    panelLayout->setContentsMargins(8, 6, 8, 6);
    panelLayout->setSpacing(3);

    // The boxes in two columns, each with its label before it; the shape choice completes the
    // second column and the check boxes follow below.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnMinimumWidth(2, 12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    panelLayout->addLayout(grid);

    struct BoxPlace
    {
        QLineEdit **box;
        const char *name;
        const char *labelName;
        QString caption;
        int row;
        int column;
    };
    const BoxPlace places[] = {
        { &EB_dec, "EB_dec", "lbl_dec", QStringLiteral("declination"), 0, 0 },
        { &EB_inc, "EB_inc", "lbl_inc", QStringLiteral("inclination"), 1, 0 },
        { &EB_height, "EB_height", "lbl_height", QStringLiteral("spectrum's height"), 2, 0 },
        { &EB_blockLow, "EB_blockLow", "lbl_blockLow", QStringLiteral("lower temperature "), 0, 3 },
        { &EB_blockHigh, "EB_blockHigh", "lbl_blockHigh", QStringLiteral("higher temperature"), 1,
            3 },
    };
    for (const BoxPlace &place : places) {
        auto *box = new QLineEdit(Pleft);
        box->setObjectName(QLatin1String(place.name));
        QLabel *label = addLabel(grid, place.labelName, place.caption, place.row, place.column);
        label->setBuddy(box);
        grid->addWidget(box, place.row, place.column + 1);
        *place.box = box;
    }
    addLabel(grid, "Label4", QStringLiteral("Shape of the spectrum"), 2, 3);
    CBshape = new QComboBox(Pleft);
    CBshape->setObjectName(QStringLiteral("CBshape"));
    CBshape->addItems({ QStringLiteral("Gauss"), QStringLiteral("Rectangular") });
    grid->addWidget(CBshape, 2, 4);

    auto *checkRow = new QHBoxLayout;
    checkRow->setSpacing(18);
    CBmult = new QCheckBox(QStringLiteral("multiple ?"), Pleft);
    CBmult->setObjectName(QStringLiteral("CBmult"));
    CBdifLengths = new QCheckBox(QStringLiteral("different lengths"), Pleft);
    CBdifLengths->setObjectName(QStringLiteral("CBdifLengths"));
    checkRow->addWidget(CBmult);
    checkRow->addWidget(CBdifLengths);
    checkRow->addStretch(1);
    // Analyse sits right above Paint: the command row holds no sixth button at the
    // window's smallest width.
    btn_analyse = new QPushButton(QStringLiteral("Analyse..."), Pleft);
    btn_analyse->setObjectName(QStringLiteral("btn_analyse"));
    btn_analyse->setFixedSize(CommandButtonWidth, CommandButtonHeight);
    checkRow->addWidget(btn_analyse);
    panelLayout->addLayout(checkRow);
    panelLayout->addStretch(1);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(0);
    QPushButton **buttons[] = { &btn_getcoor, &btn_add, &btn_showRes, &btn_clear, &btn_paint };
    const char *buttonNames[]
        = { "btn_getcoor", "btn_add", "btn_showRes", "btn_clear", "btn_paint" };
    const QString captions[] = { QStringLiteral("&Add direction"), QStringLiteral("&Calculate"),
        QStringLiteral("&Show result"), QStringLiteral("C&lear everything"),
        QStringLiteral("&Paint") };
    for (int i = 0; i < 5; ++i) {
        auto *button = new QPushButton(captions[i], Pleft);
        button->setObjectName(QLatin1String(buttonNames[i]));
        button->setFixedSize(CommandButtonWidth, CommandButtonHeight);
        if (i > 0)
            buttonRow->addStretch(1);
        buttonRow->addWidget(button);
        *buttons[i] = button;
    }
    panelLayout->addLayout(buttonRow);

    QWidget *tabOrder[] = { EB_dec, EB_inc, EB_height, EB_blockLow, EB_blockHigh, btn_getcoor,
        btn_add, btn_showRes, btn_clear, btn_paint, btn_analyse, CBmult, CBdifLengths, CBshape };
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TFrm_1::buildGrid()
{
    auto *layout = new QVBoxLayout(PGrid);
    layout->setContentsMargins(0, 0, 0, 0);
    SG_1 = new ComponentGridTable(PGrid);
    SG_1->setObjectName(QStringLiteral("SG_1"));
    layout->addWidget(SG_1);
    setTabOrder(CBshape, SG_1);
}

void TFrm_1::connectControls()
{
    connect(btn_getcoor, &QPushButton::clicked, this, &TFrm_1::btn_getcoorClick);
    connect(btn_add, &QPushButton::clicked, this, &TFrm_1::btn_addClick);
    connect(btn_showRes, &QPushButton::clicked, this, &TFrm_1::btn_showResClick);
    connect(btn_clear, &QPushButton::clicked, this, &TFrm_1::btn_clearClick);
    connect(btn_paint, &QPushButton::clicked, this, &TFrm_1::btn_paintClick);
    connect(btn_analyse, &QPushButton::clicked, this, &TFrm_1::btn_analyseClick);
    connect(EB_blockHigh, &QLineEdit::textChanged, this, &TFrm_1::EB_blockHighChange);
    connect(CBmult, &QCheckBox::clicked, this, &TFrm_1::CBmultClick);
    connect(CBdifLengths, &QCheckBox::clicked, this, &TFrm_1::CBdifLengthsClick);
    connect(CB_reportType, &QComboBox::currentIndexChanged, this, &TFrm_1::CB_reportTypeChange);
    connect(SG_1, &ComponentGridTable::gridRowDoubleClicked, this, &TFrm_1::SG_1DblClick);
}

void TFrm_1::FormCreate()
{
    m_random = std::make_unique<MersenneTwisterSource>(MersenneTwisterSource::clockSeed());
    m_session.clearEverything();
    m_session.setReportKind(ReportKind::Initial);
    showGrid();
    applyCommandState();
}

bool TFrm_1::isRunning() const
{
    return m_commands.isRunning();
}

void TFrm_1::setDecimalSeparator(const QString &separator)
{
    m_session.setDecimalSeparator(separator.toStdString());
}

SpectrumShape TFrm_1::FshapeOfspectrum() const
{
    return shapeForIndex(CBshape->currentIndex());
}

ComponentTexts TFrm_1::enteredTexts() const
{
    return { EB_dec->text().toStdString(), EB_inc->text().toStdString(),
        EB_height->text().toStdString(), EB_blockLow->text().toStdString(),
        EB_blockHigh->text().toStdString() };
}

void TFrm_1::btn_getcoorClick()
{
    if (!m_commands.isEnabled(Command::AddDirection))
        return;
    const ComponentSession::State before = m_session.state();
    try {
        m_session.addDirection(enteredTexts(), populationChoices(), *m_random);
    } catch (const std::exception &error) {
        // Nothing has changed; the box that holds the refused value gets the focus.
        focusEntryField(m_session.refusedField());
        reportError(this, QString::fromStdString(userMessage(error)));
        return;
    }
    recordChange(QStringLiteral("Add direction"), before);
    showGrid();
    const std::size_t count = m_session.populations().size();
    if (count < 2)
        EB_dec->setFocus();
    m_commands.componentAdded(count);
    applyCommandState();
}

void TFrm_1::EB_blockHighChange()
{
    const bool allFilled = !EB_inc->text().isEmpty() && !EB_dec->text().isEmpty()
        && !EB_height->text().isEmpty() && !EB_blockLow->text().isEmpty()
        && !EB_blockHigh->text().isEmpty();
    m_commands.blockHighChanged(allFilled);
    applyCommandState();
}

void TFrm_1::CBmultClick()
{
    m_commands.multipleClicked(CBmult->isChecked(), CBdifLengths->isChecked());
    applyCommandState();
}

void TFrm_1::CBdifLengthsClick()
{
    m_commands.differentLengthsClicked(CBdifLengths->isChecked());
    applyCommandState();
}

void TFrm_1::CB_reportTypeChange()
{
    m_session.setReportKind(reportKindForIndex(CB_reportType->currentIndex()));
    m_document->markChanged();
}

void TFrm_1::btn_addClick()
{
    if (!m_commands.isEnabled(Command::Calculate))
        return;
    const ComponentPopulations &populations = m_session.populations();
    const std::string refusal = runRefusal(populations.size(),
        populations.empty() ? 0 : populations.front().size(), m_session.settings());
    if (!refusal.empty()) {
        reportError(this, QString::fromStdString(refusal));
        return;
    }
    m_commands.runStarted();
    applyCommandState();
    // Where the next component is typed: never a choice that an arrow key would change.
    EB_dec->setFocus();
    changeCursor(QCursor(Qt::WaitCursor));
    m_session.discardResults();
    const RunSettings &settings = m_session.settings();
    m_runController->startRun(
        m_session.populations(), settings.pointCount, settings.runLowTemp, settings.runHighTemp);
}

void TFrm_1::runEnded()
{
    RunController::Outcome outcome = m_runController->takeOutcome();
    // After the window has closed the lists are gone for good; a late outcome is dropped.
    if (m_closed)
        return;
    if (outcome.completed) {
        m_session.takeRunOutcome(std::move(outcome.populations), std::move(outcome.results));
        showDrawnK();
    }
    PrBar->setValue(0);
    m_commands.runEnded(outcome.completed);
    applyCommandState();
    changeCursor(QCursor(Qt::ArrowCursor));
    if (outcome.completed)
        m_beep();
    else if (!outcome.error.isEmpty())
        reportError(this, outcome.error);
}

void TFrm_1::changeCursor(const QCursor &cursor)
{
    QWidget *group[] = { this, Pleft, Pright, SG_1, btn_add, btn_getcoor, btn_showRes, btn_clear,
        btn_paint, btn_analyse };
    for (QWidget *widget : group)
        widget->setCursor(cursor);
}

void TFrm_1::btn_clearClick()
{
    if (!m_commands.isEnabled(Command::ClearEverything))
        return;
    if (Prompts::current().confirm(this, QStringLiteral("Clear all data ?")) == Prompts::Answer::No)
        return;
    if (!m_document->maybeSave())
        return;
    const ComponentSession::State before = m_session.state();
    clearBoxes();
    m_session.clearEverything();
    recordChange(QStringLiteral("Clear everything"), before);
    showGrid();
    m_commands.cleared(CBmult->isChecked());
    applyCommandState();
}

void TFrm_1::EraseLists()
{
    m_session.EraseLists();
}

void TFrm_1::btn_showResClick()
{
    if (!m_commands.isEnabled(Command::ShowResult) || m_session.results().empty())
        return;
    if (m_resultOpener) {
        runGuarded([this] {
            m_resultOpener(
                this, m_session.runPopulations(), m_session.results(), m_session.runSettings());
        });
    }
}

void TFrm_1::btn_paintClick()
{
    if (!m_commands.isEnabled(Command::Paint))
        return;
    if (m_diagramOpener) {
        runGuarded([this] {
            m_diagramOpener(
                this, m_session.results(), m_session.runPopulations(), m_session.runSettings());
        });
    }
}

void TFrm_1::runGuarded(const std::function<void()> &command)
{
    // A window too large for the memory ends with a message; the components, the grid and
    // the results stay as they were.
    try {
        command();
    } catch (const std::bad_alloc &error) {
        reportError(this, QString::fromStdString(userMessage(error)));
    }
}

void TFrm_1::btn_analyseClick()
{
    // Available whenever Paint is: after a run, until the components change.
    if (!m_commands.isEnabled(Command::Paint) || m_session.results().empty())
        return;
    std::optional<double> typedFisherK;
    ComponentPopulations &populations = m_session.runPopulations();
    if (!populations.empty() && populations.front().size() > 1) {
        try {
            typedFisherK = parseInteger(CB_k->currentText().toStdString());
        } catch (const ConversionError &) {
            // The populations stand; only the comparison with the typed k is left out.
        }
    }
    if (m_analysisOpener) {
        m_analysisOpener(
            this, populations, m_session.results(), m_session.runSettings(), typedFisherK);
    }
}

void TFrm_1::exportMeasurementsClick()
{
    if (!m_commands.isEnabled(Command::ShowResult) || m_session.results().empty())
        return;
    std::optional<QSettings> programSettings;
    if (!m_preferences)
        programSettings.emplace(QStringLiteral("Demagora"), QStringLiteral("Demagora"));
    exportMeasurements(this, m_session.results(), highestBlockHigh(m_session.runPopulations()),
        m_preferences ? *m_preferences : *programSettings, m_session.decimalSeparator(),
        m_measurementExportRunner, m_document->filePath());
}

void TFrm_1::SG_1DblClick(int r)
{
    if (!m_commands.isEnabled(Command::EditComponent))
        return;
    if (r < 1 || static_cast<std::size_t>(r) > m_session.populations().size())
        return;
    const int i = r - 1;
    TFRM_par editor(i, m_session.populations()[static_cast<std::size_t>(i)].front(),
        m_session.decimalSeparator(), this);
    editor.setChangeHandler([this, i, &editor](const ComponentTexts &texts, SpectrumShape shape) {
        const ComponentSession::State before = m_session.state();
        PopulationChoices choices = populationChoices();
        choices.shape = shape;
        ComponentSession::ComponentChange change;
        try {
            change = m_session.readChange(i, texts, choices, *m_random);
        } catch (const std::exception &) {
            editor.focusField(m_session.refusedField());
            throw;
        }
        // A new seed may skip many numbers: the population is built off this thread, once the
        // editor has closed.
        startBusy([this, change] { m_session.applyChange(change); },
            [this, before](std::exception_ptr failure) {
                if (!failure)
                    recordChange(QStringLiteral("Change"), before);
                showGrid();
                applyCommandState();
                reportFailure(failure);
            });
    });
    editor.setDeleteHandler([this, i] {
        const ComponentSession::State before = m_session.state();
        m_session.deleteComponent(i);
        recordChange(QStringLiteral("Delete component"), before);
        showGrid();
    });
    m_editorRunner(editor);
    m_commands.editorClosed();
    applyCommandState();
}

bool TFrm_1::eventFilter(QObject *watched, QEvent *event)
{
    // The window sees every key before the focused control and lets it pass on, except to a
    // button that has just lost the focus: a button's own use of an arrow key is to move the
    // focus on, which would carry it past the box it was sent to.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && watched == focusWidget()
        && static_cast<QWidget *>(watched)->window() == this) {
        FormKeyDown(static_cast<QKeyEvent *>(event)->key());
        if (focusWidget() != watched && qobject_cast<QAbstractButton *>(watched))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFrm_1::FormKeyDown(int key)
{
    if (key == Qt::Key_Down)
        ChangeBox(arrowTarget(whichBox(), ArrowKey::Down));
    else if (key == Qt::Key_Up)
        ChangeBox(arrowTarget(whichBox(), ArrowKey::Up));
}

int TFrm_1::whichBox() const
{
    const QWidget *focused = focusWidget();
    const QWidget *boxes[] = { EB_dec, EB_inc, EB_height, EB_blockLow, EB_blockHigh };
    for (int i = 0; i < 5; ++i) {
        if (focused == boxes[i])
            return i;
    }
    return -1;
}

void TFrm_1::ChangeBox(int box)
{
    QLineEdit *boxes[] = { EB_dec, EB_inc, EB_height, EB_blockLow, EB_blockHigh };
    if (box >= 0 && box < 5)
        boxes[box]->setFocus();
}

void TFrm_1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TFrm_1::FormResize()
{
    SG_1->setDefaultColumnWidth(columnWidthFor(frameGeometry().width()));
}

void TFrm_1::closeEvent(QCloseEvent *event)
{
    // The program ends with this window: every window with unsaved work is asked before any
    // closes, and a Cancel in any of them keeps them all.
    if (!m_closed && !m_closingSettled && !settleEveryWindow(*this)) {
        event->ignore();
        return;
    }
    FormClose();
    QWidget::closeEvent(event);
}

bool TFrm_1::askAboutUnsavedWork()
{
    return m_document->maybeSave();
}

void TFrm_1::closeWithoutAsking()
{
    m_closingSettled = true;
    close();
}

void TFrm_1::FormClose()
{
    // A run stops after the member it computes.
    m_runController->stopAndWait();
    m_closed = true;
    EraseLists();
}

void TFrm_1::applyCommandState()
{
    btn_getcoor->setEnabled(m_commands.isEnabled(Command::AddDirection));
    btn_add->setEnabled(m_commands.isEnabled(Command::Calculate));
    btn_add->setToolTip(QString::fromStdString(calculateHint(m_session.populations().size())));
    // The drawn k belongs to the run: it goes with the run's results.
    if (m_session.results().empty())
        lbl_drawnK->setVisible(false);
    btn_showRes->setEnabled(m_commands.isEnabled(Command::ShowResult));
    btn_clear->setEnabled(m_commands.isEnabled(Command::ClearEverything));
    btn_paint->setEnabled(m_commands.isEnabled(Command::Paint));
    btn_analyse->setEnabled(m_commands.isEnabled(Command::Paint));
    if (m_analyseAction)
        m_analyseAction->setEnabled(m_commands.isEnabled(Command::Paint));
    // Measurements are taken of the results, so the export follows Show result.
    m_menu->exportMeasurementsAction()->setEnabled(
        m_commands.isEnabled(Command::ShowResult) && !m_session.results().empty());
    CBmult->setEnabled(m_commands.isEnabled(Setting::Multiple));
    CBdifLengths->setEnabled(m_commands.isEnabled(Setting::DifferentLengths));
    CB_randomPoints->setEnabled(m_commands.isEnabled(Setting::RandomPoints));
    CB_k->setEnabled(m_commands.isEnabled(Setting::FisherK));
    CBdisper->setEnabled(m_commands.isEnabled(Setting::HeightStdDev));

    applyMenuState();
}

void TFrm_1::showGrid()
{
    SG_1->showGrid(m_session.grid());
}

} // namespace Demagora
