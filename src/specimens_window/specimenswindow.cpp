#include "specimens_window/specimenswindow.h"

#include "specimens_window/interpretationpanel.h"
#include "specimens_window/openmeasurements.h"
#include "specimens_window/specimeninterpretations.h"
#include "diagrams/specimenpicture.h"
#include "specimens_window/specimentables.h"
#include "unmix_window/siteunmixdialog.h"
#include "unmix_window/unmixdialog.h"

#include "analysis/interpretationbatch.h"
#include "measurements/specimencoordinates.h"
#include "prompts/prompts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace Demagora {

namespace {

QTableView *tableView(QWidget *parent, const char *name)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

// The steps of a specimen in the coordinates asked for; false when the file lacks what they
// need, and then the specimen's own coordinates.
bool stepsInCoordinates(
    const Specimen &specimen, CoordinateSystem system, std::vector<SpecimenStep> &steps)
{
    steps = specimen.steps;
    if (!hasCoordinates(specimen, system))
        return false;
    for (SpecimenStep &step : steps) {
        const Vector3 moment = stepMoment(specimen, step, system);
        step.x = moment.x;
        step.y = moment.y;
        step.z = moment.z;
    }
    return true;
}

} // namespace

SpecimensWindow::SpecimensWindow(MeasurementSet set, const QString &path, QWidget *parent,
    std::optional<DemagKind> demag)
    : QWidget(parent, Qt::Window)
    , m_set(std::move(set))
    , m_path(path)
{
    const bool af = std::any_of(m_set.specimens.begin(), m_set.specimens.end(),
        [](const Specimen &specimen) {
            return std::any_of(specimen.steps.begin(), specimen.steps.end(),
                [](const SpecimenStep &step) {
                    return step.treatment == Treatment::AlternatingField;
                });
        });
    m_demag = demag.value_or(af ? DemagKind::AlternatingField : DemagKind::Thermal);
    // A set read with every repeat kept is shown with the readings of each step merged, the
    // readings the file flags left out where a good one measured their step.
    Interpretations flagged;
    if (m_set.summary.repeatsMerged == 0) {
        m_readings = std::move(m_set);
        m_set = MeasurementSet {};
        m_set.files = m_readings.files;
        ReadOptions options;
        options.demag = m_demag;
        options.repeats = RepeatRule::Average;
        m_mergedSummary = m_readings.summary;
        // The merge counts the repeats and the flagged readings again.
        m_mergedSummary.repeatsKept = 0;
        m_mergedSummary.flaggedKept = 0;
        for (const Specimen &specimen : m_readings.specimens) {
            m_set.specimens.push_back(mergedReadings(specimen, options, m_mergedSummary));
            m_stepOfReading.push_back(stepsOfReadings(specimen, m_set.specimens.back()));
            m_stepCounts.push_back(m_set.specimens.back().steps.size());
            SpecimenInterpretation ofReadings { specimen.name, specimen.site, {}, {}, {} };
            for (std::size_t r = 0; r < specimen.steps.size(); ++r) {
                if (specimen.steps[r].bad)
                    ofReadings.badSteps.push_back(int(r));
            }
            flagged.push_back(interpretationOfMergedSteps(
                ofReadings, m_stepOfReading.back(), m_stepCounts.back()));
        }
        m_mergedWith.resize(m_set.specimens.size());
        for (std::size_t i = 0; i < flagged.size(); ++i)
            m_mergedWith[i] = flagged[i].badReadings;
        m_set.summary = m_mergedSummary;
    }
    setObjectName(QStringLiteral("SpecimensWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Specimens - %1").arg(QFileInfo(path).fileName()));
    buildLayout();
    // The flagged readings beside good ones at their step, as the interpretations' marks.
    if (std::any_of(flagged.begin(), flagged.end(),
            [](const SpecimenInterpretation &i) { return !i.badReadings.empty(); }))
        m_interpretation->resetInterpretations(std::move(flagged));
    if (!m_set.specimens.empty())
        setCurrentSpecimen(0);
    resize(1240, 780);
}

SpecimensWindow::~SpecimensWindow() = default;

void SpecimensWindow::buildLayout()
{
    m_listModel = new SpecimenListModel(m_set.specimens, this);
    m_stepsModel = new SpecimenStepsModel(this);

    LE_find = new QLineEdit(this);
    LE_find->setObjectName(QStringLiteral("LE_find"));
    LE_find->setPlaceholderText(QStringLiteral("Part of a specimen's name (Ctrl+F)"));
    LE_find->setClearButtonEnabled(true);
    // Typing shows the first specimen whose name holds the text; Enter the next one.
    connect(LE_find, &QLineEdit::textEdited, this,
        [this](const QString &text) { findSpecimen(text, 0); });
    connect(LE_find, &QLineEdit::returnPressed, this,
        [this] { findSpecimen(LE_find->text(), m_current + 1); });
    auto *findLabel = new QLabel(QStringLiteral("Fi&nd:"), this);
    findLabel->setBuddy(LE_find);

    SG_specimens = tableView(this, "SG_specimens");
    SG_specimens->setSelectionMode(QAbstractItemView::SingleSelection);
    SG_specimens->setModel(m_listModel);
    SG_specimens->resizeColumnsToContents();
    connect(SG_specimens->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) {
            if (current.isValid() && current.row() != m_current)
                setCurrentSpecimen(current.row());
        });

    CB_coordinates = new QComboBox(this);
    CB_coordinates->setObjectName(QStringLiteral("CB_coordinates"));
    // Each choice holds its system as item data; the order of the list is only what is read.
    for (const auto &[text, system] : { std::pair { "Specimen", CoordinateSystem::Specimen },
             std::pair { "Geographic", CoordinateSystem::Geographic },
             std::pair { "Tilt-corrected", CoordinateSystem::TiltCorrected } })
        CB_coordinates->addItem(QString::fromLatin1(text), static_cast<int>(system));
    connect(CB_coordinates, &QComboBox::currentIndexChanged, this, [this] { showSpecimen(); });
    auto *coordinatesLabel = new QLabel(QStringLiteral("&Coordinates:"), this);
    coordinatesLabel->setBuddy(CB_coordinates);

    CB_demagnetization = new QComboBox(this);
    CB_demagnetization->setObjectName(QStringLiteral("CB_demagnetization"));
    CB_demagnetization->setToolTip(QStringLiteral(
        "The demagnetization whose steps are shown beside the NRM: thermal (\u00B0C) or "
        "alternating field (mT); another choice reads the file again"));
    CB_demagnetization->addItem(QStringLiteral("Thermal"), int(DemagKind::Thermal));
    CB_demagnetization->addItem(QStringLiteral("AF"), int(DemagKind::AlternatingField));
    CB_demagnetization->setCurrentIndex(CB_demagnetization->findData(int(m_demag)));
    connect(CB_demagnetization, &QComboBox::activated, this, [this] {
        const auto wanted = static_cast<DemagKind>(CB_demagnetization->currentData().toInt());
        if (wanted != m_demag)
            readDemagnetization(wanted);
    });
    auto *demagnetizationLabel = new QLabel(QStringLiteral("&Demagnetization:"), this);
    demagnetizationLabel->setBuddy(CB_demagnetization);

    lbl_summary = new QLabel(summaryText(m_set.summary), this);
    lbl_summary->setObjectName(QStringLiteral("lbl_summary"));
    lbl_summary->setWordWrap(true);

    m_picture = new SpecimenPicture(this);
    connect(m_picture, &SpecimenPicture::stepsChosen, this,
        [this](const std::vector<int> &steps, bool add) { chooseSteps(steps, add); });

    SG_steps = tableView(this, "SG_steps");
    SG_steps->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SG_steps->setModel(m_stepsModel);
    connect(SG_steps->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { repaintPicture(); });
    m_interpretation = new InterpretationPanel(*this, m_path, this);
    connect(
        m_interpretation, &InterpretationPanel::pictureChanged, this, [this] { repaintPicture(); });
    // The steps merged from readings follow the readings marked bad, before anything is shown.
    connect(&m_interpretation->interpretations(), &SpecimenInterpretations::assigned, this,
        [this] { mergeChangedReadings(); });
    // A change, its undo and its redo show the specimen they change.
    connect(&m_interpretation->interpretations(), &SpecimenInterpretations::specimenChanged, this,
        [this](int specimen) {
            if (specimen != m_current)
                setCurrentSpecimen(specimen);
        });
    // Steps marked bad or good, their undo and their redo, change the steps table in place, so
    // that the steps chosen stay chosen.
    connect(&m_interpretation->interpretations(), &SpecimenInterpretations::changed, this, [this] {
        if (m_current >= 0) {
            m_stepsModel->setBadSteps(m_interpretation->interpretations().of(m_current).badSteps);
            SG_steps->resizeColumnToContents(0);
        }
    });
    // The mark-bad command acts on the chosen steps from the context menus too.
    SG_steps->setContextMenuPolicy(Qt::ActionsContextMenu);
    SG_steps->addAction(m_interpretation->markBadAction());
    m_picture->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_picture->addAction(m_interpretation->markBadAction());

    // The specimens and the chosen one's steps on the left, its picture on the right.
    auto *left = new QSplitter(Qt::Vertical, this);
    auto *top = new QWidget(left);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    auto *find = new QHBoxLayout;
    find->addWidget(findLabel);
    find->addWidget(LE_find, 1);
    topLayout->addLayout(find);
    topLayout->addWidget(SG_specimens, 1);
    auto *coordinates = new QHBoxLayout;
    coordinates->addWidget(coordinatesLabel);
    coordinates->addWidget(CB_coordinates, 1);
    coordinates->addWidget(demagnetizationLabel);
    coordinates->addWidget(CB_demagnetization);
    auto *unmixButton = new QPushButton(QStringLiteral("Unmix... (Ctrl+U)"), this);
    unmixButton->setObjectName(QStringLiteral("btn_unmix"));
    unmixButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    connect(unmixButton, &QPushButton::clicked, this, [this] { unmix(); });
    coordinates->addWidget(unmixButton);
    auto *siteButton = new QPushButton(QStringLiteral("Unmix site..."), this);
    siteButton->setObjectName(QStringLiteral("btn_unmixSite"));
    siteButton->setToolTip(QStringLiteral("Unmixes the specimens of the shown specimen's site "
                                          "together: directions shared, spectra their own"));
    connect(siteButton, &QPushButton::clicked, this, [this] { unmixSite(); });
    coordinates->addWidget(siteButton);
    topLayout->addLayout(coordinates);
    topLayout->addWidget(lbl_summary);
    left->addWidget(top);
    left->addWidget(SG_steps);
    left->addWidget(m_interpretation);
    left->setStretchFactor(0, 2);
    left->setStretchFactor(1, 4);
    left->setStretchFactor(2, 3);

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(m_picture);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({ 480, 720 });
    auto *layout = new QVBoxLayout(this);
    QMenuBar *bar = m_interpretation->createMenuBar(this);
    addSavingCommands(*bar);
    bar->insertMenu(bar->actions().value(1), specimenMenu(bar));
    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    m_everyReadingAction = view->addAction(QStringLiteral("Every &reading"));
    m_everyReadingAction->setObjectName(QStringLiteral("act_everyReading"));
    m_everyReadingAction->setCheckable(true);
    m_everyReadingAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_everyReadingAction->setShortcutContext(Qt::WindowShortcut);
    m_everyReadingAction->setToolTip(QStringLiteral(
        "Every reading of a repeated step as a row of its own, to mark one bad; off, the "
        "readings of a step are averaged without the bad ones"));
    // Only a set read with its repeats kept has readings to show.
    m_everyReadingAction->setEnabled(hasReadings());
    connect(m_everyReadingAction, &QAction::triggered, this,
        [this](bool checked) { setEveryReading(checked); });
    addAction(m_everyReadingAction);
    view->addSeparator();
    view->addMenu(m_picture->projectionMenu(bar));
    layout->setMenuBar(bar);
    layout->addWidget(split);
    SG_specimens->setFocus();
}

void SpecimensWindow::addSavingCommands(QMenuBar &bar)
{
    // The panel's File and Edit menus come first.
    QMenu *file = bar.actions().value(0)->menu();
    QMenu *edit = bar.actions().value(1)->menu();
    file->addSeparator();
    file->addAction(QStringLiteral("Save &picture..."), this, [this] { savePicture(); });
    file->addAction(QStringLiteral("Save s&teps as CSV..."), this, [this] { saveStepsCsv(); });
    file->addAction(QStringLiteral("Save &fits as CSV..."), this, [this] { saveFitsCsv(); });
    file->addAction(
        QStringLiteral("Save site &means as CSV..."), this, [this] { saveSiteMeansCsv(); });
    edit->addSeparator();
    QAction *copy = edit->addAction(QStringLiteral("&Copy table"), this, [this] { copyTable(); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    addAction(copy);
}

QMenu *SpecimensWindow::specimenMenu(QWidget *parent)
{
    auto *menu = new QMenu(QStringLiteral("&Specimen"), parent);
    const auto add = [this, menu](const QString &text, const QKeySequence &key, auto slot) {
        QAction *action = menu->addAction(text, this, slot);
        action->setShortcut(key);
        // From anywhere in the window: the picture, a table, the component field.
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    };
    add(QStringLiteral("&Next specimen"), QKeySequence(Qt::CTRL | Qt::Key_Down),
        [this] { setCurrentSpecimen(m_current + 1); });
    add(QStringLiteral("&Previous specimen"), QKeySequence(Qt::CTRL | Qt::Key_Up),
        [this] { setCurrentSpecimen(m_current - 1); });
    add(QStringLiteral("&Find specimen..."), QKeySequence(QKeySequence::Find), [this] {
        LE_find->setFocus();
        LE_find->selectAll();
    });
    return menu;
}

void SpecimensWindow::unmixSite()
{
    if (m_current < 0 || !mayUnmix())
        return;
    if (coordinates() == CoordinateSystem::Specimen) {
        // Each specimen's own axes point their own way: its directions mean nothing beside
        // another's.
        reportError(this,
            QStringLiteral("Unmix site ties the directions of the site's specimens together, "
                           "which specimen coordinates cannot: choose Geographic or Tilt "
                           "corrected coordinates."));
        return;
    }
    const std::string name = measurementsName(QFile::encodeName(m_path).toStdString());
    const Specimen &current = m_set.specimens[std::size_t(m_current)];
    const std::string site = siteOf(current, name);
    std::vector<SiteUnmixSpecimen> members;
    QStringList notInFrame;
    for (std::size_t i = 0; i < m_set.specimens.size(); ++i) {
        const Specimen &specimen = m_set.specimens[i];
        if (siteOf(specimen, name) != site)
            continue;
        Specimen good = specimen;
        if (!stepsInCoordinates(specimen, coordinates(), good.steps)) {
            notInFrame << QString::fromStdString(specimen.name);
            continue;
        }
        // Bad steps are left out of the unmixing as of every fit.
        const std::vector<int> &bad = m_interpretation->interpretations().of(int(i)).badSteps;
        std::vector<SpecimenStep> kept;
        for (std::size_t s = 0; s < good.steps.size(); ++s) {
            if (!std::binary_search(bad.begin(), bad.end(), int(s)))
                kept.push_back(good.steps[s]);
        }
        good.steps = std::move(kept);
        members.push_back({ specimen.name, unmixSteps(good) });
    }
    if (members.size() < 2) {
        reportError(this,
            QStringLiteral("Unmix site needs two specimens of the site or more in the "
                           "coordinates shown; site %1 has %2%3.")
                .arg(QString::fromStdString(site))
                .arg(members.size())
                .arg(notInFrame.isEmpty()
                        ? QString()
                        : QStringLiteral(" (without orientation: %1)")
                              .arg(notInFrame.join(QStringLiteral(", ")))));
        return;
    }
    if (!notInFrame.isEmpty()) {
        Prompts::current().showInformation(this, QStringLiteral("Unmix site"),
            QStringLiteral("Left out, their file giving no orientation for the coordinates "
                           "shown: %1.")
                .arg(notInFrame.join(QStringLiteral(", "))));
    }
    openSiteUnmixDialog(this, site, std::move(members), current.name);
}

bool SpecimensWindow::mayUnmix()
{
    if (m_everyReading) {
        reportError(this,
            QStringLiteral("Unmix takes one vector per step: turn View > Every reading off to "
                           "unmix the steps with their readings merged."));
        return false;
    }
    if (m_demag == DemagKind::AlternatingField) {
        reportError(this,
            QStringLiteral("Unmix needs thermal steps: it fits the spectrum of blocking "
                           "temperatures, which AF steps do not measure. Choose Thermal "
                           "demagnetization to unmix a thermal specimen."));
        return false;
    }
    return true;
}

void SpecimensWindow::unmix()
{
    if (m_current < 0 || !mayUnmix())
        return;
    // Bad steps are left out of the unmixing as of every fit.
    std::vector<SpecimenStep> good;
    for (const SpecimenStep &step : m_stepsModel->steps()) {
        if (!step.bad)
            good.push_back(step);
    }
    if (UnmixDialog *dialog
        = openUnmixDialog(this, m_set.specimens[std::size_t(m_current)], std::move(good))) {
        dialog->setScenarioOpener(m_scenarioOpener);
        dialog->setMeasurementsRead(m_set.files);
        const Specimen &specimen = m_set.specimens[std::size_t(m_current)];
        dialog->setSpecimenAxes(
            shownCoordinates(specimen, coordinates()) == CoordinateSystem::Specimen);
    }
}

Specimen SpecimensWindow::mergedSpecimen(std::size_t index, const std::vector<int> &badReadings)
{
    ReadOptions options;
    options.demag = m_demag;
    options.repeats = RepeatRule::Average;
    Specimen readings = m_readings.specimens[index];
    for (std::size_t r = 0; r < readings.steps.size(); ++r)
        readings.steps[r].bad = std::binary_search(badReadings.begin(), badReadings.end(), int(r));
    ReadSummary ignored;
    if (m_mergedWith.size() < m_readings.specimens.size())
        m_mergedWith.resize(m_readings.specimens.size());
    m_mergedWith[index] = badReadings;
    return mergedReadings(readings, options, ignored);
}

Interpretations SpecimensWindow::readingsInterpretations(const Interpretations &ofSteps) const
{
    Interpretations readings;
    const std::size_t count = std::min(ofSteps.size(), m_stepOfReading.size());
    for (std::size_t i = 0; i < count; ++i)
        readings.push_back(interpretationOfReadings(ofSteps[i], m_stepOfReading[i]));
    return readings;
}

bool SpecimensWindow::hasReadings() const
{
    return !m_stepOfReading.empty() && m_stepOfReading.size() == m_set.specimens.size();
}

void SpecimensWindow::mergeChangedReadings()
{
    if (m_everyReading || !hasReadings())
        return;
    const Interpretations &all = m_interpretation->interpretations().all();
    for (std::size_t i = 0; i < all.size() && i < m_set.specimens.size(); ++i) {
        if (i < m_mergedWith.size() && m_mergedWith[i] == all[i].badReadings)
            continue;
        m_set.specimens[i] = mergedSpecimen(i, all[i].badReadings);
        if (int(i) == m_current)
            showSpecimen();
    }
}

bool SpecimensWindow::setEveryReading(bool on)
{
    if (on == m_everyReading)
        return true;
    if (!hasReadings()) {
        if (m_everyReadingAction)
            m_everyReadingAction->setChecked(m_everyReading);
        return false;
    }
    const Interpretations current = m_interpretation->interpretations().all();
    Interpretations next;
    if (on) {
        next = readingsInterpretations(current);
        m_set.specimens = m_readings.specimens;
        m_set.summary = m_readings.summary;
        // Each reading of a repeated step tells how many readings its step has.
        for (std::size_t i = 0; i < m_set.specimens.size(); ++i) {
            std::vector<SpecimenStep> &readings = m_set.specimens[i].steps;
            for (std::size_t r = 0; r < readings.size(); ++r)
                readings[r].readings = std::uint32_t(std::count(
                    m_stepOfReading[i].begin(), m_stepOfReading[i].end(), m_stepOfReading[i][r]));
        }
    } else {
        for (std::size_t i = 0; i < current.size(); ++i) {
            next.push_back(
                interpretationOfMergedSteps(current[i], m_stepOfReading[i], m_stepCounts[i]));
            m_set.specimens[i] = mergedSpecimen(i, next.back().badReadings);
        }
        m_set.summary = m_mergedSummary;
    }
    m_everyReading = on;
    if (m_everyReadingAction)
        m_everyReadingAction->setChecked(on);
    m_listModel->refresh();
    m_interpretation->resetInterpretations(std::move(next));
    showSpecimen();
    return true;
}

std::vector<Specimen> SpecimensWindow::readingsMarkedBad(
    const Interpretations &interpretations) const
{
    if (m_everyReading || !hasReadings())
        return specimensMarkedBad(m_set, interpretations);
    return specimensMarkedBad(m_readings, readingsInterpretations(interpretations));
}

std::vector<std::string> SpecimensWindow::restoreBadSteps(
    const MeasurementSet &saved, Interpretations &interpretations) const
{
    if (m_everyReading || !hasReadings())
        return withSavedBadSteps(m_set, saved, interpretations);
    // The table holds every reading: their marks are given to the readings, and the steps
    // merged from them are bad where every reading is.
    Interpretations readings = readingsInterpretations(interpretations);
    const std::vector<std::string> unmatched = withSavedBadSteps(m_readings, saved, readings);
    for (std::size_t i = 0; i < readings.size() && i < interpretations.size(); ++i) {
        const SpecimenInterpretation merged
            = interpretationOfMergedSteps(readings[i], m_stepOfReading[i], m_stepCounts[i]);
        SpecimenInterpretation &interpretation = interpretations[i];
        interpretation.badSteps = merged.badSteps;
        interpretation.badReadings = merged.badReadings;
        for (InterpretedComponent &component : interpretation.components)
            component.steps = withoutBadSteps(component.steps, interpretation.badSteps);
    }
    return unmatched;
}

void SpecimensWindow::readDemagnetization(DemagKind demag)
{
    const auto keepChoice = [this] {
        CB_demagnetization->setCurrentIndex(CB_demagnetization->findData(int(m_demag)));
    };
    const QString question = demag == DemagKind::AlternatingField
        ? QStringLiteral("Save the interpretations before reading the AF steps?")
        : QStringLiteral("Save the interpretations before reading the thermal steps?");
    if (!m_interpretation->settleUnsaved(question)) {
        keepChoice();
        return;
    }
    ReadOptions options;
    options.demag = demag;
    options.keepFlaggedBad = true;
    options.repeats = RepeatRule::All;
    auto *opening = new MeasurementOpening(this, m_path, m_scenarioOpener, options, true);
    opening->setWindowParent(parentWidget());
    const QString shownName = m_current >= 0
        ? QString::fromStdString(m_set.specimens[std::size_t(m_current)].name)
        : QString();
    connect(opening, &MeasurementOpening::windowOpened, this,
        [this, shownName](SpecimensWindow *window) {
            window->setGeometry(geometry());
            window->setCoordinates(coordinates());
            for (std::size_t i = 0; i < window->m_set.specimens.size(); ++i) {
                if (QString::fromStdString(window->m_set.specimens[i].name) == shownName)
                    window->setCurrentSpecimen(int(i));
            }
        });
    connect(opening, &MeasurementOpening::done, this, [this, keepChoice](bool opened) {
        if (opened)
            closeWithoutAsking();
        else
            keepChoice();
    });
}

void SpecimensWindow::findSpecimen(const QString &text, int from)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty() || m_set.specimens.empty())
        return;
    // The first specimen from `from` on, round to the start, whose name holds the text.
    const int count = int(m_set.specimens.size());
    for (int k = 0; k < count; ++k) {
        const int i = (from + k) % count;
        if (QString::fromStdString(m_set.specimens[std::size_t(i)].name)
                .contains(wanted, Qt::CaseInsensitive)) {
            setCurrentSpecimen(i);
            LE_find->setStyleSheet(QString());
            return;
        }
    }
    LE_find->setStyleSheet(QStringLiteral("color: #b00000"));
}

void SpecimensWindow::setCurrentSpecimen(int index)
{
    if (index < 0 || std::size_t(index) >= m_set.specimens.size())
        return;
    m_current = index;
    const QModelIndex row = m_listModel->index(index, 0);
    if (SG_specimens->currentIndex().row() != index)
        SG_specimens->setCurrentIndex(row);
    showSpecimen();
}

void SpecimensWindow::setCoordinates(CoordinateSystem system)
{
    CB_coordinates->setCurrentIndex(CB_coordinates->findData(static_cast<int>(system)));
}

CoordinateSystem SpecimensWindow::coordinates() const
{
    return static_cast<CoordinateSystem>(CB_coordinates->currentData().toInt());
}

void SpecimensWindow::closeEvent(QCloseEvent *event)
{
    if (m_closingSettled || m_interpretation->mayClose())
        event->accept();
    else
        event->ignore();
}

bool SpecimensWindow::askAboutUnsavedWork()
{
    return m_interpretation->mayClose();
}

void SpecimensWindow::closeWithoutAsking()
{
    m_closingSettled = true;
    close();
}

void SpecimensWindow::showSpecimen()
{
    if (m_current < 0)
        return;
    const Specimen &specimen = m_set.specimens[std::size_t(m_current)];
    std::vector<SpecimenStep> steps;
    const bool shown = stepsInCoordinates(specimen, coordinates(), steps);
    const std::vector<int> &bad = m_interpretation->interpretations().of(m_current).badSteps;
    for (std::size_t i = 0; i < steps.size(); ++i)
        steps[i].bad = std::binary_search(bad.begin(), bad.end(), int(i));
    m_stepsModel->setLevelUnit(
        m_demag == DemagKind::Thermal ? QStringLiteral("\u00B0C") : QStringLiteral("mT"));
    m_stepsModel->setSteps(std::move(steps), specimen.unit);
    SG_steps->resizeColumnsToContents();
    SG_steps->scrollToTop();
    QString note = summaryText(m_set.summary);
    if (!shown)
        note += QStringLiteral("\n%1 has no orientation for these coordinates: shown in specimen "
                               "coordinates.")
                    .arg(QString::fromStdString(specimen.name));
    lbl_summary->setText(note);
    m_interpretation->specimenShown();
    repaintPicture();
}

std::vector<int> SpecimensWindow::chosenSteps() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : SG_steps->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SpecimensWindow::chooseSteps(const std::vector<int> &steps, bool add)
{
    QItemSelection selection;
    for (const int step : steps) {
        const QModelIndex first = m_stepsModel->index(step, 0);
        const QModelIndex last = m_stepsModel->index(step, m_stepsModel->columnCount() - 1);
        selection.select(first, last);
    }
    SG_steps->selectionModel()->select(selection,
        (add ? QItemSelectionModel::Toggle : QItemSelectionModel::ClearAndSelect)
            | QItemSelectionModel::Rows);
}

void SpecimensWindow::repaintPicture()
{
    if (m_current < 0)
        return;
    const Specimen &specimen = m_set.specimens[std::size_t(m_current)];
    SpecimenDiagramData data;
    data.title = QStringLiteral("%1   (%2)")
                     .arg(QString::fromStdString(specimen.name), CB_coordinates->currentText());
    const std::vector<int> chosen = chosenSteps();
    const std::set<int> chosenSet(chosen.begin(), chosen.end());
    const std::vector<SpecimenStep> &steps = m_stepsModel->steps();
    // The interpretations' own marks: the steps table follows them after the picture.
    const std::vector<int> &bad = m_interpretation->interpretations().of(m_current).badSteps;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        data.steps.push_back({ steps[i].level, { steps[i].x, steps[i].y, steps[i].z },
            chosenSet.contains(int(i)), std::binary_search(bad.begin(), bad.end(), int(i)) });
    }
    if (m_demag == DemagKind::AlternatingField)
        data.levelUnit = QStringLiteral("mT");
    data.specimenAxes = shownCoordinates(specimen, coordinates()) == CoordinateSystem::Specimen;
    data.momentUnit = unitText(specimen.unit);
    m_interpretation->decorate(data);
    m_picture->setDiagram(SpecimenDiagram(std::move(data)));
}

QString SpecimensWindow::summaryText(const ReadSummary &summary)
{
    QStringList parts;
    parts << QStringLiteral("%1 rows read").arg(summary.rowsRead);
    const auto count = [&parts](std::size_t n, const char *what) {
        if (n > 0)
            parts << QStringLiteral("%1 %2").arg(n).arg(QLatin1String(what));
    };
    count(summary.otherExperiments, "of other experiments left out");
    count(summary.otherDemagnetization, "of the other demagnetization left out");
    count(summary.flaggedBad, "flagged bad left out");
    count(summary.flaggedKept, "flagged bad shown as bad steps");
    count(summary.missingMoment, "without a moment left out");
    count(summary.repeatsMerged, "repeats merged");
    count(summary.repeatsKept, "repeats kept");
    QString text = parts.join(QStringLiteral(", ")) + QLatin1Char('.');
    // The readers' notes (a last line without its line end, an orientation not used ...).
    for (const std::string &note : summary.notes)
        text += QLatin1Char('\n') + QString::fromStdString(note);
    return text;
}

} // namespace Demagora
