#include "unmix_window/unmixdialog.h"

#include "document/scenario.h"
#include "files/outputfiles.h"
#include "measurements/measurementsettings.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"
#include "diagrams/specimenpicture.h"
#include "unmix_window/unmixrun.h"
#include "unmix_window/unmixtables.h"
#include "unmix_window/unmixview.h"
#include "unmixing/twinscenario.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace Demagora {

UnmixDialog::UnmixDialog(
    std::string specimen, std::vector<UnmixStep> steps, double scaleAPerM, QWidget *parent)
    : QDialog(parent, Qt::Window)
    , m_specimen(std::move(specimen))
    , m_steps(std::move(steps))
    , m_scaleAPerM(scaleAPerM)
{
    setObjectName(QStringLiteral("UnmixDialog"));
    setWindowTitle(QStringLiteral("Unmix - %1").arg(QString::fromStdString(m_specimen)));
    buildControls();
    showResult();
    resize(1180, 760);
}

UnmixDialog::~UnmixDialog()
{
    // The fit reads the steps and reports to this window: it stops before either goes.
    delete m_run;
}

void UnmixDialog::buildControls()
{
    m_run = new UnmixRun(this, MaxUnmixComponents);
    connect(m_run, &UnmixRun::ended, this, &UnmixDialog::finish);
    connect(m_run, &UnmixRun::runningChanged, this, &UnmixDialog::setRunning);
    CB_shapes = new QComboBox(this);
    CB_shapes->setObjectName(QStringLiteral("CB_shapes"));
    CB_shapes->addItems(
        { QStringLiteral("Gauss"), QStringLiteral("Rectangular"), QStringLiteral("Any") });
    CB_shapes->setCurrentIndex(2);
    btn_save = new QPushButton(QStringLiteral("&Save as scenario..."), this);
    btn_save->setObjectName(QStringLiteral("btn_save"));
    connect(m_run->unmixButton(), &QPushButton::clicked, this, [this] { btn_unmixClick(); });
    connect(btn_save, &QPushButton::clicked, this, [this] { btn_saveClick(); });

    auto *choices = new QHBoxLayout;
    m_run->addChoices(choices);
    auto *shapesLabel = new QLabel(QStringLiteral("S&hapes:"), this);
    shapesLabel->setBuddy(CB_shapes);
    choices->addWidget(shapesLabel);
    choices->addWidget(CB_shapes);
    m_run->addButtons(choices);
    choices->addWidget(btn_save);

    lbl_summary = new QLabel(this);
    lbl_summary->setObjectName(QStringLiteral("lbl_summary"));
    lbl_summary->setWordWrap(true);
    lbl_warning = new QLabel(this);
    lbl_warning->setObjectName(QStringLiteral("lbl_warning"));
    lbl_warning->setWordWrap(true);
    lbl_warning->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
    SG_components = unmixTable(this, "SG_components", unmixComponentHeadings());
    SG_candidates = unmixTable(this, "SG_candidates", unmixCandidateHeadings());
    SG_residuals = unmixTable(this, "SG_residuals", unmixResidualHeadings());
    m_picture = new SpecimenPicture(this);

    auto *tables = new QSplitter(Qt::Vertical, this);
    tables->addWidget(SG_components);
    tables->addWidget(SG_candidates);
    tables->addWidget(SG_residuals);
    tables->setStretchFactor(2, 2);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(tables);
    split->addWidget(m_picture);
    split->setSizes({ 520, 660 });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(lbl_summary);
    layout->addWidget(lbl_warning);
    layout->addWidget(split, 1);
    setRunning(false);
}

void UnmixDialog::setSpecimenAxes(bool specimenAxes)
{
    m_specimenAxes = specimenAxes;
    showResult();
}

void UnmixDialog::setChoices(int components, UnmixShapes shapes, int bootstrap)
{
    m_run->setChoices(components, bootstrap);
    CB_shapes->setCurrentIndex(int(shapes));
}

QString UnmixDialog::statusText() const
{
    return lbl_summary->text();
}

QString UnmixDialog::warningText() const
{
    return lbl_warning->text();
}

void UnmixDialog::setRunning(bool running)
{
    btn_save->setEnabled(!running && m_result.has_value());
    CB_shapes->setEnabled(!running);
}

void UnmixDialog::btn_unmixClick()
{
    if (isRunning())
        return;
    UnmixOptions options;
    options.components = m_run->componentCount();
    options.shapes = static_cast<UnmixShapes>(CB_shapes->currentIndex());
    options.bootstrap = m_run->bootstrapCount();
    m_chosenByBic = options.components == 0;
    // A new fit replaces the last: cancelled, it leaves none to show or save.
    m_result.reset();
    showResult();
    lbl_summary->setText(QStringLiteral("Unmixing..."));
    lbl_warning->clear();
    m_pending.reset();
    m_run->start(options,
        [this](const UnmixOptions &fit) { m_pending = unmixSpecimen(m_specimen, m_steps, fit); });
}

void UnmixDialog::btn_cancelClick()
{
    m_run->requestStop();
}

void UnmixDialog::finish(bool cancelled, const QString &failure)
{
    if (UnmixRun::handOver(cancelled, failure, m_pending, m_result))
        showResult();
    else
        lbl_summary->setText(UnmixRun::endText(cancelled, failure));
    setRunning(false);
    emit unmixFinished();
}

void UnmixDialog::showResult()
{
    const QString title = QString::fromStdString(m_specimen);
    if (!m_result) {
        for (QTableWidget *table : { SG_components, SG_candidates, SG_residuals })
            fillUnmixTable(table, {});
        SpecimenDiagramData data = unmixDiagramData(title, m_steps, UnmixResult {});
        data.specimenAxes = m_specimenAxes;
        m_picture->setDiagram(SpecimenDiagram(std::move(data)));
        lbl_summary->setText(QStringLiteral("Choose the components and press Unmix."));
        return;
    }
    SpecimenDiagramData data = unmixDiagramData(title, m_steps, *m_result);
    data.specimenAxes = m_specimenAxes;
    m_picture->setDiagram(SpecimenDiagram(std::move(data)));
    fillUnmixTable(SG_components, unmixComponentRows(*m_result));
    for (int r = 0; r < SG_components->rowCount(); ++r)
        SG_components->item(r, 0)->setForeground(unmixComponentColour(std::size_t(r)));
    fillUnmixTable(SG_candidates, unmixCandidateRows(*m_result));
    fillUnmixTable(SG_residuals, unmixResidualRows(m_steps, *m_result));
    lbl_summary->setText(unmixSummaryText(*m_result, m_chosenByBic));
    lbl_warning->setText(unmixWarningText(*m_result));
    lbl_warning->setVisible(!lbl_warning->text().isEmpty());
}

void UnmixDialog::btn_saveClick()
{
    if (!m_result || isRunning())
        return;
    const QString name
        = Prompts::current().askSaveFileName(this, QStringLiteral("Save the twin scenario"),
            QString::fromStdString(m_specimen) + QStringLiteral("-twin.json"),
            QStringLiteral("Scenarios (*.json);;All files (*)"));
    if (name.isEmpty())
        return;
    const std::string path = QFile::encodeName(name).toStdString();
    if (!confirmOutputs(
            this, { { path, "the twin scenario" } }, m_openScenario, m_measurementsRead))
        return;
    std::vector<std::string> neverReplaced = protectedFiles(m_openScenario);
    neverReplaced.insert(neverReplaced.end(), m_measurementsRead.begin(), m_measurementsRead.end());
    try {
        const Scenario twin = twinScenario(m_result->twin, m_scaleAPerM);
        writeOutputFile(
            path, "the twin scenario", [&](std::ostream &stream) { writeScenario(stream, twin); },
            neverReplaced);
    } catch (const std::exception &error) {
        reportError(this, QString::fromLocal8Bit(error.what()));
        return;
    }
    if (!m_opener && !m_twinScaleNote.isEmpty())
        Prompts::current().showInformation(
            this, QStringLiteral("Twin scenario saved"), m_twinScaleNote);
    if (m_opener
        && Prompts::current().confirm(
               this,
               (m_twinScaleNote.isEmpty() ? QString() : m_twinScaleNote + QStringLiteral("\n"))
                   + QStringLiteral("Open the twin scenario %1 in the main window?").arg(name))
            == Prompts::Answer::Yes)
        m_opener(name);
}

UnmixDialog *openUnmixDialog(
    QWidget *parent, const std::string &specimen, std::vector<UnmixStep> steps, double scaleAPerM)
{
    auto *dialog = new UnmixDialog(specimen, std::move(steps), scaleAPerM, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

UnmixDialog *openUnmixDialog(
    QWidget *parent, const Specimen &specimen, std::vector<SpecimenStep> steps)
{
    Specimen shown = specimen;
    shown.steps = std::move(steps);
    // A real specimen's moments are tiny in the main window's units, whose grid shows whole
    // numbers: the twin is scaled so that its NRM (else its largest step) is 1,000 of them.
    double nrm = 0;
    const auto nrmStep = std::find_if(shown.steps.begin(), shown.steps.end(),
        [](const SpecimenStep &step) { return step.treatment == Treatment::Nrm; });
    for (auto step = shown.steps.begin(); step != shown.steps.end(); ++step) {
        if (nrmStep == shown.steps.end() || step == nrmStep)
            nrm = std::max(nrm, std::hypot(step->x, step->y, step->z));
    }
    constexpr double TwinNrmUnits = 1000;
    const bool scaled = std::isfinite(nrm) && nrm > 0;
    const double scale = scaled ? nrm / TwinNrmUnits : MeasurementSettings {}.scaleAPerM;
    try {
        UnmixDialog *dialog = openUnmixDialog(parent, shown.name, unmixSteps(shown), scale);
        if (scaled) {
            const QString unit = shown.unit == MomentUnit::AmpereSquareMetre
                ? QStringLiteral("A m2")
                : QStringLiteral("A/m");
            dialog->setTwinScaleNote(
                QStringLiteral("The twin is scaled: its heights are the fitted ones divided by "
                               "%1 %2, so that the %3 of %4 %2 is 1,000 units of the main "
                               "window.")
                    .arg(QString::number(scale, 'g', 4), unit,
                        nrmStep == shown.steps.end() ? QStringLiteral("largest step")
                                                     : QStringLiteral("NRM"),
                        QString::number(nrm, 'g', 4)));
        }
        return dialog;
    } catch (const std::exception &error) {
        reportError(parent, QString::fromLocal8Bit(error.what()));
    }
    return nullptr;
}

} // namespace Demagora
