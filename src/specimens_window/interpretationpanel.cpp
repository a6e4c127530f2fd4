#include "specimens_window/interpretationpanel.h"

#include "specimens_window/interpretationtablemodel.h"
#include "specimens_window/sitesummarymodel.h"
#include "specimens_window/specimeninterpretations.h"

#include "analysis/analysiserror.h"
#include "diagrams/specimendiagram.h"
#include "files/outputfiles.h"
#include "measurements/magicmeasurements.h"
#include "measurements/measurementreader.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <optional>
#include <set>

namespace Demagora {

namespace {

const std::array<QColor, 5> Palette = { QColor(0, 90, 200), QColor(210, 40, 40), QColor(0, 150, 70),
    QColor(150, 60, 190), QColor(230, 130, 0) };
const QColor ChoiceColour(150, 150, 150);

QColor colourOf(std::size_t index)
{
    return Palette[index % Palette.size()];
}

// The fitted line over the vector diagram, or the plane's great circle.
void addFit(SpecimenDiagramData &data, const Fit &fit, QColor colour)
{
    if (fit.type == FitType::Plane)
        data.planes.push_back({ fit.direction, colour });
    else
        data.lines.push_back(
            { fit.segmentStart, fit.segmentEnd, colour });
}

QTableView *tableView(QWidget *parent, const char *name)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QString fitText(const ComponentFit &fit, FitType type)
{
    if (!fit.fit)
        return QString::fromStdString(fit.refusal);
    QString text = QStringLiteral("%1: D %2  I %3  MAD %4")
                       .arg(fitTypeText(type))
                       .arg(fit.fit->angles.declination, 0, 'f', 1)
                       .arg(fit.fit->angles.inclination, 0, 'f', 1)
                       .arg(fit.fit->mad, 0, 'f', 1);
    if (fit.fit->dang)
        text += QStringLiteral("  DANG %1").arg(*fit.fit->dang, 0, 'f', 1);
    return text;
}

} // namespace

InterpretationPanel::InterpretationPanel(
    ShownSpecimens &shown, const QString &measurementsPath, QWidget *parent)
    : QWidget(parent)
    , m_shown(shown)
    , m_measurementsPath(measurementsPath)
    , m_store(new SpecimenInterpretations(shown.measurements(), this))
{
    setObjectName(QStringLiteral("InterpretationPanel"));
    buildActions();
    buildLayout();
    connect(m_store, &SpecimenInterpretations::changed, this,
        &InterpretationPanel::interpretationsChanged);
    showSites();
}

InterpretationPanel::~InterpretationPanel() = default;

void InterpretationPanel::buildActions()
{
    const auto action = [this](const QString &text, const QKeySequence &key, auto slot) {
        auto *a = new QAction(text, this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, slot);
        // Added to the panel, a window shortcut works wherever the focus is in its window.
        addAction(a);
        return a;
    };
    m_fitFree = action(
        QStringLiteral("Fit &line"), QKeySequence(Qt::Key_L), [this] { fitChosen(FitType::Free); });
    m_fitAnchored = action(QStringLiteral("Fit &anchored line"), QKeySequence(Qt::Key_A),
        [this] { fitChosen(FitType::Anchored); });
    m_fitOrigin = action(QStringLiteral("Fit line with &origin"), QKeySequence(Qt::Key_O),
        [this] { fitChosen(FitType::Origin); });
    m_fitPlane = action(QStringLiteral("Fit &plane"), QKeySequence(Qt::Key_P),
        [this] { fitChosen(FitType::Plane); });
    m_delete = action(QStringLiteral("&Delete component"), QKeySequence(Qt::Key_Delete),
        [this] { deleteComponent(); });
    m_markBad = action(QStringLiteral("Mark steps &bad or good"), QKeySequence(Qt::Key_B),
        [this] { markChosenBad(); });
    m_markBad->setToolTip(QStringLiteral(
        "Marks the chosen steps bad, left out of every fit; when all of them are bad, good again"));
    m_save = action(QStringLiteral("&Save interpretations..."), QKeySequence(QKeySequence::Save),
        [this] { saveInterpretations(); });
    m_open = action(QStringLiteral("&Open interpretations..."), QKeySequence(),
        [this] { openInterpretations(); });

    m_undo = m_store->undoStack()->createUndoAction(this, QStringLiteral("&Undo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = m_store->undoStack()->createRedoAction(this, QStringLiteral("&Redo"));
    m_redo->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    addAction(m_undo);
    addAction(m_redo);
}

QMenuBar *InterpretationPanel::createMenuBar(QWidget *parent)
{
    auto *bar = new QMenuBar(parent);
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(m_open);
    file->addAction(m_save);
    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->addAction(m_undo);
    edit->addAction(m_redo);
    QMenu *interpretation = bar->addMenu(QStringLiteral("&Interpretation"));
    interpretation->addActions({ m_fitFree, m_fitAnchored, m_fitOrigin, m_fitPlane });
    interpretation->addSeparator();
    interpretation->addAction(m_markBad);
    interpretation->addAction(m_delete);
    return bar;
}

void InterpretationPanel::buildLayout()
{
    LE_component = new QLineEdit(QStringLiteral("C1"), this);
    LE_component->setObjectName(QStringLiteral("LE_component"));
    LE_component->setToolTip(QStringLiteral(
        "The name of the component a fit makes; a fit replaces the component of the same name"));
    auto *nameLabel = new QLabel(QStringLiteral("Co&mponent:"), this);
    nameLabel->setBuddy(LE_component);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(nameLabel);
    buttons->addWidget(LE_component);
    for (QAction *a : { m_fitFree, m_fitAnchored, m_fitOrigin, m_fitPlane, m_delete }) {
        auto *button = new QToolButton(this);
        button->setDefaultAction(a);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    lbl_choice = new QLabel(this);
    lbl_choice->setObjectName(QStringLiteral("lbl_choice"));

    m_componentsModel = new InterpretationTableModel(this);
    SG_components = tableView(this, "SG_components");
    SG_components->setModel(m_componentsModel);
    connect(
        m_componentsModel, &InterpretationTableModel::renameRequested, this,
        [this](int row, const QString &name) {
            if (!m_store->renameComponent(m_shown.currentSpecimen(), row, name.toStdString()))
                reportError(this,
                    QStringLiteral("Cannot rename the component: %1 is already taken").arg(name));
        },
        Qt::QueuedConnection);
    connect(SG_components->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) {
            if (current.isValid())
                componentClicked(current.row());
        });

    CH_site = new QCheckBox(QStringLiteral("Show the site mean on the s&tereogram"), this);
    CH_site->setObjectName(QStringLiteral("CH_site"));
    connect(CH_site, &QCheckBox::toggled, this, [this] { emit pictureChanged(); });
    lbl_sites = new QLabel(this);
    m_sitesModel = new SiteSummaryModel(this);
    SG_sites = tableView(this, "SG_sites");
    SG_sites->setModel(m_sitesModel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(lbl_choice);
    layout->addWidget(SG_components, 1);
    auto *siteLine = new QHBoxLayout;
    siteLine->addWidget(lbl_sites, 1);
    siteLine->addWidget(CH_site);
    layout->addLayout(siteLine);
    layout->addWidget(SG_sites, 1);
}

void InterpretationPanel::resetInterpretations(Interpretations interpretations)
{
    m_store->resetTo(std::move(interpretations));
}

void InterpretationPanel::specimenShown()
{
    showComponents();
    showSites();
}

void InterpretationPanel::interpretationsChanged()
{
    showComponents();
    showSites();
    emit pictureChanged();
}

void InterpretationPanel::showComponents()
{
    const int current = m_shown.currentSpecimen();
    if (current < 0)
        return;
    const Specimen &specimen = m_shown.measurements().specimens[std::size_t(current)];
    const std::vector<InterpretedComponent> &components = m_store->of(current).components;
    std::vector<ComponentFit> fits;
    for (const InterpretedComponent &component : components)
        fits.push_back(fitIn(specimen, component, component.coordinates));
    m_componentsModel->setLevelUnit(m_shown.demagnetization() == DemagKind::Thermal
            ? QStringLiteral("\u00B0C")
            : QStringLiteral("mT"));
    m_componentsModel->setComponents(components, std::move(fits));
    SG_components->resizeColumnsToContents();
}

void InterpretationPanel::showSites()
{
    const CoordinateSystem coordinates = m_shown.coordinates();
    lbl_sites->setText(
        QStringLiteral("Site means, %1 coordinates:").arg(coordinatesText(coordinates)));
    m_sitesModel->setSummaries(siteSummaries(m_shown.measurements(), m_store->all(), coordinates,
        measurementsName(QFile::encodeName(m_measurementsPath).toStdString())));
    SG_sites->resizeColumnsToContents();
}

void InterpretationPanel::componentClicked(int row)
{
    const int current = m_shown.currentSpecimen();
    const std::vector<InterpretedComponent> &components = m_store->of(current).components;
    if (row < 0 || std::size_t(row) >= components.size())
        return;
    LE_component->setText(QString::fromStdString(components[std::size_t(row)].name));
    m_shown.chooseSteps(components[std::size_t(row)].steps, false);
}

void InterpretationPanel::decorate(SpecimenDiagramData &data)
{
    const int current = m_shown.currentSpecimen();
    if (current < 0)
        return;
    const Specimen &specimen = m_shown.measurements().specimens[std::size_t(current)];
    const CoordinateSystem shown = shownCoordinates(specimen, m_shown.coordinates());
    const std::vector<InterpretedComponent> &components = m_store->of(current).components;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const ComponentFit fit = fitIn(specimen, components[i], shown);
        if (fit.fit)
            addFit(data, *fit.fit, colourOf(i));
    }

    // Bad steps chosen are left out of the fit.
    const std::vector<int> chosen
        = withoutBadSteps(m_shown.chosenSteps(), m_store->of(current).badSteps);
    if (chosen.empty()) {
        lbl_choice->setText(m_shown.chosenSteps().empty()
                ? QStringLiteral("No step chosen.")
                : QStringLiteral("Only bad steps chosen."));
    } else {
        const InterpretedComponent choice { {}, m_lastType, chosen, shown, {} };
        const ComponentFit fit = fitIn(specimen, choice, shown);
        const std::size_t all = m_shown.chosenSteps().size();
        const QString bad = all > chosen.size()
            ? QStringLiteral(", %1 bad left out").arg(all - chosen.size())
            : QString();
        lbl_choice->setText(QStringLiteral("%1 %2 chosen%3, %4")
                                .arg(all)
                                .arg(all == 1 ? QStringLiteral("step") : QStringLiteral("steps"))
                                .arg(bad, fitText(fit, m_lastType)));
        if (fit.fit)
            addFit(data, *fit.fit, ChoiceColour);
    }

    if (!CH_site->isChecked())
        return;
    const std::string site
        = siteOf(specimen, measurementsName(QFile::encodeName(m_measurementsPath).toStdString()));
    std::size_t colour = 0;
    for (const SiteResult &summary : m_sitesModel->summaries()) {
        if (summary.site != site)
            continue;
        const std::size_t index = colour++;
        if (!summary.mean || !summary.mean->mean)
            continue;
        const Vector3 mean
            = unitVector(summary.mean->mean->declination, summary.mean->mean->inclination);
        data.cones.push_back({ mean, summary.mean->alpha95.value_or(0),
            colourOf(index), QString::fromStdString(summary.component) });
    }
}

void InterpretationPanel::fitChosen(FitType type)
{
    m_lastType = type;
    const int current = m_shown.currentSpecimen();
    if (current < 0)
        return;
    if (m_shown.chosenSteps().empty()) {
        reportError(this,
            QStringLiteral("Choose the steps to fit first: in the steps table or on the vector "
                           "diagram"));
        return;
    }
    const std::vector<int> chosen
        = withoutBadSteps(m_shown.chosenSteps(), m_store->of(current).badSteps);
    if (chosen.empty()) {
        reportError(this,
            QStringLiteral("The chosen steps are all marked bad: mark them good (B) to fit them"));
        return;
    }
    const Specimen &specimen = m_shown.measurements().specimens[std::size_t(current)];
    QString name = LE_component->text().trimmed();
    if (name.isEmpty()) {
        name = QString::fromStdString(m_store->unusedName(current));
        LE_component->setText(name);
    }
    const CoordinateSystem shown = shownCoordinates(specimen, m_shown.coordinates());
    InterpretedComponent component { name.toStdString(), type, chosen, shown, {} };
    const ComponentFit fit = fitIn(specimen, component, shown);
    if (!fit.fit) {
        reportError(this,
            QStringLiteral("Cannot fit %1 of %2: %3")
                .arg(name, QString::fromStdString(specimen.name),
                    QString::fromStdString(fit.refusal)));
        emit pictureChanged();
        return;
    }
    m_store->putComponent(current, std::move(component));
}

void InterpretationPanel::markChosenBad()
{
    const int current = m_shown.currentSpecimen();
    if (current < 0)
        return;
    const std::vector<int> chosen = m_shown.chosenSteps();
    if (chosen.empty()) {
        reportError(this,
            QStringLiteral("Choose the steps to mark bad first: in the steps table or on the "
                           "vector diagram"));
        return;
    }
    const std::vector<int> &bad = m_store->of(current).badSteps;
    const bool allBad = withoutBadSteps(chosen, bad).empty();
    m_store->markStepsBad(current, chosen, !allBad);
}

void InterpretationPanel::deleteComponent()
{
    const int current = m_shown.currentSpecimen();
    if (current < 0)
        return;
    int row = SG_components->currentIndex().row();
    if (row < 0) {
        const std::vector<InterpretedComponent> &components = m_store->of(current).components;
        const std::string name = LE_component->text().trimmed().toStdString();
        for (std::size_t i = 0; i < components.size(); ++i) {
            if (components[i].name == name)
                row = int(i);
        }
    }
    if (row < 0) {
        reportError(this,
            QStringLiteral("No component to delete: choose one in the components table, or "
                           "type the name of one of %1's components.")
                .arg(QString::fromStdString(
                    m_shown.measurements().specimens[std::size_t(current)].name)));
        return;
    }
    m_store->removeComponent(current, row);
}

bool InterpretationPanel::saveInterpretations()
{
    std::vector<SavedInterpretation> rows;
    try {
        rows = savedInterpretations(m_shown.measurements(), m_store->all());
    } catch (const AnalysisError &error) {
        reportError(this,
            QStringLiteral("Cannot save the interpretations: %1")
                .arg(QString::fromStdString(error.what())));
        return false;
    }
    const std::vector<std::string> skipping
        = fitsSkippingSteps(m_shown.measurements(), m_store->all());
    if (!skipping.empty()) {
        QStringList names;
        for (const std::string &name : skipping)
            names << QString::fromStdString(name);
        if (Prompts::current().warnOkCancel(this,
                QStringLiteral("These fits leave out steps between their first and last:\n%1\n"
                               "A specimens table keeps only the first and the last step of a "
                               "fit, so opened again they take every step between them.")
                    .arg(names.join(QLatin1Char('\n'))))
            != Prompts::Answer::Ok)
            return false;
    }
    // The table of the measurements' own folder holds the lab's interpretations: it is never
    // proposed, though the user may choose it (its other rows are then kept).
    const QFileInfo measurements(m_measurementsPath);
    const QDir folder = measurements.isDir() ? QDir(measurements.filePath()) : measurements.dir();
    const QString suggested = folder.filePath(QStringLiteral("demagora-specimens.txt"));
    const QString name
        = Prompts::current().askSaveFileName(this, QStringLiteral("Save interpretations"),
            suggested, QStringLiteral("MagIC specimens tables (*.txt);;All files (*)"));
    if (name.isEmpty())
        return false;
    const std::string path = QFile::encodeName(name).toStdString();
    // The measurements read are never replaced, whatever name the table is given.
    std::vector<std::string> measurementsRead = m_shown.measurements().files;
    measurementsRead.push_back(QFile::encodeName(m_measurementsPath).toStdString());
    // The steps marked bad go in a measurements table beside it, unless that name is one of the
    // files read (the lab's own table beside the lab's specimens table) or cannot be written.
    const std::string beside = measurementsTableBeside(path);
    QString besideRefusal;
    try {
        OutputFiles probe(measurementsRead);
        probe.add(beside, "the steps marked bad", [](std::ostream &) {});
    } catch (const OutputError &error) {
        besideRefusal = QString::fromLocal8Bit(error.what());
    }
    // A measurements table there that this program did not write is a laboratory's: it is
    // never replaced, whatever the question would be answered.
    if (std::ifstream existingTable(beside, std::ios::binary);
        besideRefusal.isEmpty() && existingTable) {
        std::string start(4096, '\0');
        existingTable.read(start.data(), std::streamsize(start.size()));
        start.resize(std::size_t(existingTable.gcount()));
        if (!writtenByThisProgram(start))
            besideRefusal = QStringLiteral("%1 holds measurements this program did not write, "
                                           "and is left as it is.")
                                .arg(QFile::decodeName(QByteArray::fromStdString(beside)));
    }
    std::vector<PlannedOutput> planned { { path, "the interpretations" } };
    if (besideRefusal.isEmpty())
        planned.push_back({ beside, "the steps marked bad" });
    if (!confirmOutputs(this, planned, QString(), measurementsRead))
        return false;
    // A specimens table replaced keeps every row this save does not replace.
    std::optional<std::string> existing;
    if (std::ifstream in(path, std::ios::binary); in) {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream probe(text);
        try {
            std::ostringstream ignored;
            writeMergedMagicSpecimens(ignored, probe, path, {});
            existing = std::move(text);
        } catch (const AnalysisError &) {
            // Not a specimens table: the user chose to replace it whole.
        }
    }
    const std::vector<Specimen> marked = m_shown.readingsMarkedBad(m_store->all());
    try {
        // Both tables or neither: a table of fits never stands beside stale marks.
        OutputFiles files(measurementsRead);
        files.add(path, "the interpretations", [&](std::ostream &stream) {
            if (existing) {
                std::istringstream table(*existing);
                writeMergedMagicSpecimens(stream, table, path, rows);
            } else {
                writeMagicSpecimens(stream, rows);
            }
        });
        if (besideRefusal.isEmpty())
            files.add(beside, "the steps marked bad",
                [&](std::ostream &stream) { writeMagicMeasurements(stream, marked); });
        files.commit();
    } catch (const std::exception &error) {
        reportError(this, QString::fromLocal8Bit(error.what()));
        return false;
    }
    m_store->markSaved();
    if (!besideRefusal.isEmpty())
        Prompts::current().showInformation(this, QStringLiteral("Interpretations saved"),
            QStringLiteral("The interpretations are saved, the steps marked bad are not: %1\n"
                           "Save the interpretations under another name to keep them.")
                .arg(besideRefusal));
    return true;
}

void InterpretationPanel::openInterpretations()
{
    if (!m_store->isSaved()) {
        const Prompts::Answer answer = Prompts::current().askSaveChanges(
            this, QStringLiteral("Save the interpretations before opening others?"));
        if (answer == Prompts::Answer::Cancel
            || (answer == Prompts::Answer::Save && !saveInterpretations()))
            return;
    }
    const QString name
        = Prompts::current().askExistingFileName(this, QStringLiteral("Open interpretations"),
            QStringLiteral("MagIC specimens tables (*.txt);;All files (*)"));
    if (name.isEmpty())
        return;
    const QString fileName = QFileInfo(name).fileName();
    MagicSpecimensFits read;
    std::ifstream in(QFile::encodeName(name).toStdString(), std::ios::binary);
    if (!in) {
        reportError(this, QStringLiteral("Cannot open %1").arg(name));
        return;
    }
    try {
        read = readMagicSpecimens(in, fileName.toStdString(), m_shown.demagnetization());
    } catch (const AnalysisError &error) {
        reportError(this, QString::fromStdString(error.what()));
        return;
    }
    // A table made in one frame only is shown in that frame, and so are its site means.
    CoordinateSystem shown = m_shown.coordinates();
    std::set<CoordinateSystem> frames;
    for (const SavedInterpretation &fit : read.fits)
        frames.insert(fit.coordinates);
    if (frames.size() == 1)
        shown = *frames.begin();
    // The steps marked bad, from the measurements table saved beside, first: the fits read
    // leave them out.
    Interpretations current = m_store->all();
    QStringList badNotes;
    const std::string beside = measurementsTableBeside(QFile::encodeName(name).toStdString());
    if (QFileInfo::exists(QFile::decodeName(beside.c_str()))) {
        try {
            ReadOptions options;
            options.format = MeasurementFormat::Magic;
            options.keepFlaggedBad = true;
            options.repeats = RepeatRule::All;
            options.demag = m_shown.demagnetization();
            const MeasurementSet saved = readMeasurements(beside, options);
            const std::vector<std::string> unmatched = m_shown.restoreBadSteps(saved, current);
            badNotes << QStringLiteral("Steps marked bad read from %1")
                            .arg(QFileInfo(QFile::decodeName(beside.c_str())).fileName());
            if (!unmatched.empty())
                badNotes << QStringLiteral("%1 steps not in it keep their marks, the first %2")
                                .arg(unmatched.size())
                                .arg(QString::fromStdString(unmatched.front()));
        } catch (const std::exception &error) {
            badNotes << QStringLiteral("The steps marked bad were not read: %1")
                            .arg(QString::fromStdString(error.what()));
        }
    }
    const OpenedInterpretations opened
        = interpretationsFromRows(m_shown.measurements(), read.fits, current, shown);
    if (opened.components == 0) {
        reportError(this,
            QStringLiteral("%1 holds no interpretation of the specimens of this file")
                .arg(fileName));
        return;
    }
    // Nothing done in the window yet: no component, and every step marked as the file has it.
    const Interpretations fresh = emptyInterpretations(m_shown.measurements());
    bool hadNone = true;
    for (std::size_t i = 0; i < m_store->all().size(); ++i)
        hadNone = hadNone && m_store->all()[i].components.empty()
            && m_store->all()[i].badSteps == fresh[i].badSteps;
    m_store->replaceAll(opened.interpretations, QStringLiteral("Open %1").arg(fileName));
    if (shown != m_shown.coordinates())
        m_shown.setCoordinates(shown);
    QStringList notes;
    notes << QString::fromStdString(frameCountsText(opened.frames, shown));
    if (read.vectorMeans > 0)
        notes << QStringLiteral("%1 anchored lines read as their program made them: the vector "
                                "mean of the chosen steps")
                     .arg(read.vectorMeans);
    if (read.otherTreatments > 0)
        notes << (m_shown.demagnetization() == DemagKind::Thermal
                ? QStringLiteral("%1 fits of steps not in kelvin (AF or other) passed over")
                : QStringLiteral("%1 fits of steps not in tesla (thermal or other) passed over"))
                     .arg(read.otherTreatments);
    notes << badNotes;
    for (const std::string &note : opened.notes)
        notes << QString::fromStdString(note);
    if (!opened.unknownSpecimens.empty())
        notes << QStringLiteral("%1 specimens are not in this file")
                     .arg(opened.unknownSpecimens.size());
    if (hadNone && opened.unknownSpecimens.empty())
        m_store->markSaved();
    Prompts::current().showInformation(this, QStringLiteral("Interpretations opened"),
        QStringLiteral("%1 components of %2 specimens read from %3.\n%4")
            .arg(opened.components)
            .arg(opened.specimens)
            .arg(fileName, notes.join(QLatin1Char('\n'))));
}

bool InterpretationPanel::mayClose()
{
    return settleUnsaved(QStringLiteral("Save the interpretations before closing?"));
}

bool InterpretationPanel::settleUnsaved(const QString &question)
{
    if (m_store->isSaved())
        return true;
    switch (Prompts::current().askSaveChanges(this, question)) {
    case Prompts::Answer::Save:
        return saveInterpretations();
    case Prompts::Answer::Discard:
        return true;
    default:
        return false;
    }
}

} // namespace Demagora
