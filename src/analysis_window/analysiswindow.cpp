#include "analysis_window/analysiswindow.h"

#include "analysis/analysiscsv.h"
#include "analysis/analysiserror.h"
#include "analysis/analysissummary.h"
#include "analysis_window/analysisoverlay.h"
#include "analysis_window/fittablemodel.h"
#include "files/outputfiles.h"
#include "measurements/measuredseries.h"
#include "model/randomsource.h"
#include "prompts/backgroundjob.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"
#include "unmix_window/unmixdialog.h"
#include "text/numbertext.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <exception>
#include <stdexcept>
#include <string>

namespace Demagora {

namespace {

constexpr FitType FitTypes[]
    = { FitType::Free, FitType::Anchored, FitType::Origin, FitType::Plane };

QString decimalSeparator()
{
    return QLocale::system().decimalPoint();
}

// A number typed into the field of that caption; a text that is none is refused naming it.
double readNumber(const char *field, const QLineEdit *box)
{
    const std::string text = box->text().toStdString();
    try {
        return parseDecimal(text, decimalSeparator().toStdString());
    } catch (const ConversionError &) {
        throw AnalysisError(std::string(field) + ": '" + text + "' is not a number");
    }
}

// The whole numbers the batch takes for a seed.
std::uint64_t parseNoiseSeed(const std::string &text)
{
    std::uint64_t seed = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, seed);
    if (text.empty() || error != std::errc() || end != last) {
        throw std::invalid_argument(
            "the noise seed '" + text + "' is not a whole number from 0 to 18446744073709551615");
    }
    return seed;
}

} // namespace

AnalysisWindow::AnalysisWindow(const ComponentPopulations &populations, const ResultSeries &series,
    std::int32_t runLowTemp, std::int32_t runHighTemp, std::optional<double> typedFisherK,
    QWidget *parent)
    : QDialog(parent)
    , m_populations(populations)
    , m_series(series)
    , m_typedFisherK(typedFisherK)
{
    setObjectName(QStringLiteral("AnalysisWindow"));
    setWindowTitle(QStringLiteral("Analysis"));
    m_model = new FitTableModel(this);
    m_model->setLocale(QLocale::system());
    buildControls();
    EB_from->setText(QString::number(runLowTemp));
    EB_to->setText(QString::number(runHighTemp));
    resize(940, 560);
    m_fitJob = std::make_unique<BackgroundJob>();
    connect(m_fitJob.get(), &BackgroundJob::finished, this, &AnalysisWindow::showFit);
    m_fitTicks = new QTimer(this);
    m_fitTicks->setInterval(50);
    connect(m_fitTicks, &QTimer::timeout, this, [this] {
        if (!m_fitProgress)
            return;
        m_fitProgress->setValue(static_cast<int>(std::min<std::size_t>(m_fitted, INT_MAX)));
        if (m_fitProgress->wasCanceled())
            m_fitJob->requestStop();
    });
    fit(false);
}

// The fit's worker writes into this window: it is stopped and waited for before anything of
// the window goes.
AnalysisWindow::~AnalysisWindow()
{
    m_fitJob.reset();
}

void AnalysisWindow::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    auto *choices = new QHBoxLayout;
    const auto addLabelled = [&](const QString &caption, QWidget *control) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(control);
        choices->addWidget(label);
        choices->addWidget(control);
    };
    EB_from = new QLineEdit(this);
    EB_from->setObjectName(QStringLiteral("EB_from"));
    EB_to = new QLineEdit(this);
    EB_to->setObjectName(QStringLiteral("EB_to"));
    for (QLineEdit *box : { EB_from, EB_to })
        box->setMaximumWidth(80);
    CB_fitType = new QComboBox(this);
    CB_fitType->setObjectName(QStringLiteral("CB_fitType"));
    for (const FitType type : FitTypes)
        CB_fitType->addItem(QString::fromStdString(fitTypeCaption(type)));
    CB_steps = new QComboBox(this);
    CB_steps->setObjectName(QStringLiteral("CB_steps"));
    CB_steps->addItem(QStringLiteral("Every whole degree"));
    CB_steps->addItem(QStringLiteral("Schedule"));
    // The measurement schedule ("every:N" or a list of degrees) and the noise per axis in A/m
    // of measurements scaled by 0.001 A/m per unit of the model's magnetization.
    EB_schedule = new QLineEdit(QStringLiteral("every:50"), this);
    EB_schedule->setObjectName(QStringLiteral("EB_schedule"));
    EB_schedule->setMinimumWidth(80);
    EB_schedule->setMaximumWidth(110);
    EB_noise = new QLineEdit(QStringLiteral("0"), this);
    EB_noise->setObjectName(QStringLiteral("EB_noise"));
    EB_noise->setMinimumWidth(80);
    EB_noise->setMaximumWidth(100);
    // One seed per window, drawn from the clock, so that fitting again sees the same
    // measurements; shown, and open to typing, so that a noisy fit can be repeated.
    EB_seed = new QLineEdit(QString::number(MersenneTwisterSource::clockSeed()), this);
    EB_seed->setObjectName(QStringLiteral("EB_seed"));
    EB_seed->setToolTip(QStringLiteral("The seed of the measurement noise: the same seed, "
                                       "schedule and noise give the same measurements, here "
                                       "and with demagora-batch --noise-seed"));
    // Room for the largest seed, so that the one shown can be read whole.
    EB_seed->setMinimumWidth(
        EB_seed->fontMetrics().horizontalAdvance(QStringLiteral("18446744073709551615")) + 16);
    btn_fit = new QPushButton(QStringLiteral("&Fit"), this);
    btn_fit->setObjectName(QStringLiteral("btn_fit"));
    btn_fit->setDefault(true);
    addLabelled(QStringLiteral("F&rom"), EB_from);
    addLabelled(QStringLiteral("&to"), EB_to);
    choices->addWidget(new QLabel(QStringLiteral("degrees"), this));
    choices->addSpacing(12);
    addLabelled(QStringLiteral("F&it"), CB_fitType);
    addLabelled(QStringLiteral("&Steps"), CB_steps);
    choices->addWidget(EB_schedule);
    addLabelled(QStringLiteral("&Noise (A/m)"), EB_noise);
    addLabelled(QStringLiteral("S&eed"), EB_seed);
    choices->addWidget(btn_fit);
    choices->addStretch(1);
    layout->addLayout(choices);

    lbl_summary = new QLabel(this);
    lbl_summary->setObjectName(QStringLiteral("lbl_summary"));
    lbl_summary->setWordWrap(true);
    lbl_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbl_summary->setTextFormat(Qt::PlainText);
    layout->addWidget(lbl_summary);

    SG_fits = new QTableView(this);
    SG_fits->setObjectName(QStringLiteral("SG_fits"));
    SG_fits->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG_fits->setWordWrap(false);
    SG_fits->verticalHeader()->hide();
    SG_fits->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG_fits->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    SG_fits->horizontalHeader()->setStretchLastSection(true);
    SG_fits->horizontalHeader()->setDefaultSectionSize(84);
    SG_fits->setModel(m_model);
    layout->addWidget(SG_fits, 1);

    auto *commands = new QHBoxLayout;
    btn_copy = new QPushButton(QStringLiteral("&Copy"), this);
    btn_copy->setObjectName(QStringLiteral("btn_copy"));
    btn_save = new QPushButton(QStringLiteral("Save as CS&V..."), this);
    btn_save->setObjectName(QStringLiteral("btn_save"));
    btn_paint = new QPushButton(QStringLiteral("&Paint..."), this);
    btn_paint->setObjectName(QStringLiteral("btn_paint"));
    for (QPushButton *button : { btn_copy, btn_save, btn_paint }) {
        button->setAutoDefault(false);
        commands->addWidget(button);
    }
    auto *unmix = new QPushButton(QStringLiteral("&Unmix..."), this);
    unmix->setObjectName(QStringLiteral("btn_unmix"));
    unmix->setAutoDefault(false);
    connect(unmix, &QPushButton::clicked, this, [this] { unmixFirstMember(); });
    commands->addWidget(unmix);
    commands->addStretch(1);
    layout->addLayout(commands);

    connect(btn_fit, &QPushButton::clicked, this, &AnalysisWindow::btn_fitClick);
    connect(CB_steps, &QComboBox::currentIndexChanged, this, &AnalysisWindow::stepsChoiceChanged);
    stepsChoiceChanged();
    connect(btn_copy, &QPushButton::clicked, this, &AnalysisWindow::btn_copyClick);
    connect(btn_save, &QPushButton::clicked, this, &AnalysisWindow::btn_saveClick);
    connect(btn_paint, &QPushButton::clicked, this, &AnalysisWindow::btn_paintClick);
}

void AnalysisWindow::fit(bool reportErrors)
{
    if (m_fitJob->isRunning())
        return;
    double from = 0;
    double to = 0;
    FitType type = FitType::Free;
    try {
        from = readNumber("from", EB_from);
        to = readNumber("to", EB_to);
        type = FitTypes[std::max(0, CB_fitType->currentIndex())];
        m_fitMeasurements = chosenMeasurements();
    } catch (const std::exception &error) {
        showRefusal(error, reportErrors);
        return;
    }
    m_fitReportsErrors = reportErrors;
    m_fitOutcome.reset();
    m_fitFailure = nullptr;
    m_fitted = 0;

    const std::size_t members = m_series.size();
    m_fitProgress = new QProgressDialog(QStringLiteral("Fitting %1 members...").arg(members),
        QStringLiteral("Cancel"), 0, static_cast<int>(std::min<std::size_t>(members, INT_MAX)),
        this);
    m_fitProgress->setObjectName(QStringLiteral("fitProgress"));
    m_fitProgress->setWindowTitle(QStringLiteral("Analysis"));
    m_fitProgress->setWindowModality(Qt::WindowModal);
    m_fitProgress->setMinimumDuration(400);
    m_fitProgress->setAutoReset(false);
    m_fitProgress->setAutoClose(false);
    connect(m_fitProgress, &QProgressDialog::canceled, m_fitJob.get(),
        &BackgroundJob::requestStop);
    m_fitTicks->start();
    btn_fit->setEnabled(false);

    m_fitJob->start([this, measurements = m_fitMeasurements, type, from, to](
                        std::stop_token stop) {
        try {
            AnalysisProgress watch;
            watch.report = [this](std::size_t count) { m_fitted = count; };
            watch.stopRequested = [&stop] { return stop.stop_requested(); };
            std::optional<MeasuredSeries> measured;
            if (measurements)
                measured.emplace(m_series, *measurements, highestBlockHigh(m_populations));
            const StepReader read
                = measured ? measuredStepReader(*measured) : seriesStepReader(m_series);
            m_fitOutcome = analyseRun(m_series.size(), read, m_populations, type, from, to, watch);
        } catch (...) {
            m_fitFailure = std::current_exception();
        }
    });
}

bool AnalysisWindow::isFitting() const
{
    return m_fitJob->isRunning();
}

void AnalysisWindow::showFit()
{
    m_fitTicks->stop();
    // Cancel discards the fit, even one that ended while the press was on its way.
    const bool cancelled = m_fitJob->stopRequested() || m_fitProgress->wasCanceled();
    delete m_fitProgress;
    m_fitProgress = nullptr;
    btn_fit->setEnabled(true);
    if (cancelled) {
        m_model->setAnalysis({});
        m_hasAnalysis = false;
        lbl_summary->setText(QStringLiteral("The fit was cancelled."));
    } else if (m_fitFailure) {
        try {
            std::rethrow_exception(m_fitFailure);
        } catch (const std::exception &error) {
            showRefusal(error, m_fitReportsErrors);
            return;
        }
    } else {
        lbl_summary->setText(QString::fromStdString(analysisSummary(
            *m_fitOutcome, m_typedFisherK, decimalSeparator().toStdString())));
        m_model->setAnalysis(std::move(*m_fitOutcome));
        // Scheduled steps are in A/m; the diagrams draw the run in the model's units.
        m_fittedStepUnit = m_fitMeasurements ? m_fitMeasurements->scaleAPerM : 1;
        m_hasAnalysis = true;
    }
    m_fitOutcome.reset();
    for (QPushButton *button : { btn_copy, btn_save, btn_paint })
        button->setEnabled(m_hasAnalysis);
}

void AnalysisWindow::showRefusal(const std::exception &error, bool reportErrors)
{
    // The last fit goes, so that table and summary never show another interval's fits.
    // The analysis words its refusals to follow a prefix; a message box starts a sentence.
    QString message = QString::fromStdString(error.what());
    if (!message.isEmpty())
        message[0] = message[0].toUpper();
    m_model->setAnalysis({});
    m_hasAnalysis = false;
    lbl_summary->setText(completedErrorText(message));
    for (QPushButton *button : { btn_copy, btn_save, btn_paint })
        button->setEnabled(false);
    if (reportErrors)
        reportError(this, message);
}

void AnalysisWindow::unmixFirstMember()
{
    try {
        // Whole degrees would give hundreds of steps no measurement has: a schedule is needed.
        const std::optional<MeasurementSettings> settings = chosenMeasurements();
        if (!settings)
            throw AnalysisError("Unmixing measures the run on a schedule: choose Schedule and "
                                "type the steps and the noise");
        const MeasuredSeries measured(m_series, *settings, highestBlockHigh(m_populations));
        std::vector<UnmixStep> steps;
        for (const MeasuredStep &s : measured.specimen(0))
            steps.push_back({ double(s.temperature), { s.x, s.y, s.z }, {} });
        UnmixDialog *dialog = openUnmixDialog(
            this, measured.specimenName(0), std::move(steps), settings->scaleAPerM);
        dialog->setOpenScenario(m_openScenario);
        if (m_twinsOpen)
            dialog->setScenarioOpener([this](const QString &path) {
                m_scenarioToOpen = path;
                reject();
            });
    } catch (const std::exception &error) {
        reportError(this, QString::fromLocal8Bit(error.what()));
    }
}

void AnalysisWindow::stepsChoiceChanged()
{
    const bool scheduled = CB_steps->currentIndex() == 1;
    EB_schedule->setEnabled(scheduled);
    EB_noise->setEnabled(scheduled);
    EB_seed->setEnabled(scheduled);
}

std::optional<MeasurementSettings> AnalysisWindow::chosenMeasurements() const
{
    if (CB_steps->currentIndex() != 1)
        return std::nullopt;
    MeasurementSettings settings;
    settings.schedule = parseSchedule(EB_schedule->text().toStdString());
    settings.noiseAPerM = readNumber("noise", EB_noise);
    settings.noiseSeed = parseNoiseSeed(EB_seed->text().trimmed().toStdString());
    return settings;
}

QString AnalysisWindow::summaryText() const
{
    return lbl_summary->text();
}

void AnalysisWindow::btn_fitClick()
{
    fit(true);
}

void AnalysisWindow::btn_copyClick()
{
    if (!m_hasAnalysis)
        return;
    QApplication::clipboard()->setText(
        summaryText() + QStringLiteral("\n\n") + m_model->tabSeparatedText());
}

void AnalysisWindow::btn_saveClick()
{
    if (!m_hasAnalysis)
        return;
    const QString name
        = Prompts::current().askSaveFileName(this, QStringLiteral("Save the fits as CSV"),
            QStringLiteral("fits.csv"), QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (name.isEmpty())
        return;
    const std::string path = QFile::encodeName(name).toStdString();
    if (!confirmOutputs(this, { { path, "the fits" } }, m_openScenario))
        return;
    try {
        writeOutputFile(
            path, "the fits",
            [&](std::ostream &stream) { writeFitsCsv(stream, m_model->analysis()); },
            protectedFiles(m_openScenario));
    } catch (const std::exception &error) {
        reportError(this, QString::fromLocal8Bit(error.what()));
    }
}

void AnalysisWindow::btn_paintClick()
{
    if (m_hasAnalysis && m_diagramOpener)
        m_diagramOpener(this, diagramOverlayOf(m_model->analysis(), m_fittedStepUnit));
}

void showAnalysisWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp,
    std::optional<double> typedFisherK, AnalysisWindow::DiagramOpener diagramOpener,
    const QString &openScenario, AnalysisWindow::ScenarioOpener scenarioOpener)
{
    if (series.empty() || series.front().empty() || populations.empty()) {
        reportError(parent, QStringLiteral("There is nothing to analyse: calculate a run first"));
        return;
    }
    QString twin;
    {
        AnalysisWindow window(populations, series, runLowTemp, runHighTemp, typedFisherK, parent);
        window.setDiagramOpener(std::move(diagramOpener));
        window.setOpenScenario(openScenario);
        window.setTwinsOpen(bool(scenarioOpener));
        window.exec();
        twin = window.scenarioToOpen();
    }
    // The window and its unmix windows are gone: the run they read may now give way.
    if (!twin.isEmpty())
        scenarioOpener(twin);
}

} // namespace Demagora
