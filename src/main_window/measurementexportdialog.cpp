#include "main_window/measurementexportdialog.h"

#include "main_window/mainwindowrules.h"
#include "measurements/measurementfiles.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace Demagora {

namespace {

constexpr const char *Group = "measurementExport";

QString text(const std::string &value)
{
    return QString::fromStdString(value);
}

// A default number in the user's decimal notation.
std::string localNumber(std::string value, const std::string &decimalSeparator)
{
    if (const auto point = value.find('.'); point != std::string::npos)
        value.replace(point, 1, decimalSeparator);
    return value;
}

} // namespace

QString sentence(const std::string &message)
{
    QString text = QString::fromStdString(message);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

MeasurementExportDialog::MeasurementExportDialog(
    QSettings &store, std::string decimalSeparator, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_decimalSeparator(std::move(decimalSeparator))
{
    setObjectName(QStringLiteral("MeasurementExportDialog"));
    setWindowTitle(QStringLiteral("Export measurements"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    CB_format = new QComboBox(this);
    CB_format->setObjectName(QStringLiteral("CB_format"));
    CB_format->addItems({ QStringLiteral("MagIC 3.0 tables (folder)"),
        QStringLiteral("PuffinPlot file (.ppl)"), QStringLiteral("Utrecht file (.TH)") });
    form->addRow(QStringLiteral("Format:"), CB_format);

    auto *targetRow = new QHBoxLayout;
    EB_target = new QLineEdit(this);
    EB_target->setObjectName(QStringLiteral("EB_target"));
    btn_browse = new QPushButton(QStringLiteral("Browse..."), this);
    btn_browse->setObjectName(QStringLiteral("btn_browse"));
    targetRow->addWidget(EB_target);
    targetRow->addWidget(btn_browse);
    form->addRow(QStringLiteral("Save to:"), targetRow);

    const auto addRow
        = [&](QLineEdit *&box, const char *name, const char *caption, const char *toolTip) {
              box = new QLineEdit(this);
              box->setObjectName(QLatin1String(name));
              box->setToolTip(QString::fromUtf8(toolTip));
              form->addRow(QString::fromUtf8(caption), box);
          };
    addRow(EB_steps, "EB_steps", "Measured at (°C):",
        "Temperatures like 0,100,150,200 or every:N; a temperature outside the run takes the "
        "value at the run's nearest end");
    addRow(EB_scale, "EB_scale",
        "Scale (A/m per unit):", "The model's magnetization times this scale gives A/m");
    addRow(EB_volume, "EB_volume", "Specimen volume (cm³):", "The volume of every specimen");
    addRow(EB_noise, "EB_noise", "Noise (A/m per axis):",
        "Standard deviation of the measurement noise on each axis; 0 for none");
    addRow(EB_noiseSeed, "EB_noiseSeed", "Noise seed:", "The same seed gives the same noise");
    addRow(EB_prefix, "EB_prefix", "Specimen prefix:",
        "Specimens are named prefix00, prefix01, ... (letters, digits, '-', '_' and '.')");
    addRow(EB_latitude, "EB_latitude",
        "Site latitude (°):", "Latitude of the site and location in the MagIC tables");
    addRow(EB_longitude, "EB_longitude",
        "Site longitude (°):", "Longitude of the site and location in the MagIC tables");

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btn_export = new QPushButton(QStringLiteral("&Export"), this);
    btn_export->setObjectName(QStringLiteral("btn_export"));
    btn_export->setDefault(true);
    btn_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    buttons->addWidget(btn_export);
    buttons->addWidget(btn_cancel);
    layout->addLayout(buttons);

    connect(btn_export, &QPushButton::clicked, this, &MeasurementExportDialog::btn_exportClick);
    connect(btn_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btn_browse, &QPushButton::clicked, this, &MeasurementExportDialog::btn_browseClick);

    loadChoices();
}

MeasurementExportChoices MeasurementExportDialog::choices() const
{
    MeasurementExportChoices choices;
    choices.steps = EB_steps->text().toStdString();
    choices.format = ExportFormat(std::max(0, CB_format->currentIndex()));
    choices.scale = EB_scale->text().toStdString();
    choices.volume = EB_volume->text().toStdString();
    choices.noise = EB_noise->text().toStdString();
    choices.noiseSeed = EB_noiseSeed->text().toStdString();
    choices.prefix = EB_prefix->text().toStdString();
    choices.latitude = EB_latitude->text().toStdString();
    choices.longitude = EB_longitude->text().toStdString();
    choices.target = EB_target->text().toStdString();
    return choices;
}

void MeasurementExportDialog::setChoices(const MeasurementExportChoices &choices)
{
    EB_steps->setText(text(choices.steps));
    CB_format->setCurrentIndex(int(choices.format));
    EB_scale->setText(text(choices.scale));
    EB_volume->setText(text(choices.volume));
    EB_noise->setText(text(choices.noise));
    EB_noiseSeed->setText(text(choices.noiseSeed));
    EB_prefix->setText(text(choices.prefix));
    EB_latitude->setText(text(choices.latitude));
    EB_longitude->setText(text(choices.longitude));
    EB_target->setText(text(choices.target));
}

void MeasurementExportDialog::btn_exportClick()
{
    try {
        const MeasurementExportChoices chosen = choices();
        MeasurementSettings settings = readMeasurementChoices(chosen, m_decimalSeparator);
        m_targets = measurementTargets(chosen);
        m_settings = std::move(settings);
    } catch (const std::exception &error) {
        reportError(this, sentence(userMessage(error)));
        return;
    }
    // Refused or not to be replaced: the dialog stays open for another name.
    std::vector<PlannedOutput> outputs;
    for (auto &[path, what] : measurementFileNames(m_targets, m_settings->prefix))
        outputs.push_back({ std::move(path), std::move(what) });
    if (!confirmOutputs(this, outputs, m_openScenario)) {
        m_settings.reset();
        return;
    }
    saveChoices();
    accept();
}

void MeasurementExportDialog::btn_browseClick()
{
    static const char *const Captions[] = { "MagIC folder", "PuffinPlot file", "Utrecht file" };
    static const char *const Filters[]
        = { "Folders (*)", "PuffinPlot files (*.ppl)", "Utrecht thermal files (*.TH *.th)" };
    const int format = std::clamp(CB_format->currentIndex(), 0, 2);
    // The MagIC tables go into a folder, existing or new.
    const QString name = format == int(ExportFormat::Magic)
        ? Prompts::current().askFolder(this, QString::fromUtf8(Captions[format]), EB_target->text())
        : Prompts::current().askSaveFileName(this, QString::fromUtf8(Captions[format]),
            EB_target->text(), QString::fromUtf8(Filters[format]));
    if (!name.isEmpty())
        EB_target->setText(name);
}

void MeasurementExportDialog::loadChoices()
{
    const MeasurementExportChoices defaults;
    m_store.beginGroup(QLatin1String(Group));
    const auto value = [&](const char *key, const std::string &fallback) {
        return m_store.value(QLatin1String(key), text(fallback)).toString().toStdString();
    };
    MeasurementExportChoices choices;
    choices.steps = value("steps", defaults.steps);
    const int format = m_store.value(QStringLiteral("format"), 0).toInt();
    choices.format = ExportFormat(format >= 0 && format <= 2 ? format : 0);
    choices.scale = value("scale", localNumber(defaults.scale, m_decimalSeparator));
    choices.volume = value("volume", defaults.volume);
    choices.noise = value("noise", defaults.noise);
    choices.noiseSeed = value("noiseSeed", defaults.noiseSeed);
    choices.prefix = value("prefix", defaults.prefix);
    choices.latitude = value("latitude", defaults.latitude);
    choices.longitude = value("longitude", defaults.longitude);
    choices.target = value("target", defaults.target);
    m_store.endGroup();
    setChoices(choices);
}

void MeasurementExportDialog::saveChoices() const
{
    const MeasurementExportChoices chosen = choices();
    m_store.beginGroup(QLatin1String(Group));
    m_store.setValue(QStringLiteral("steps"), text(chosen.steps));
    m_store.setValue(QStringLiteral("format"), int(chosen.format));
    m_store.setValue(QStringLiteral("scale"), text(chosen.scale));
    m_store.setValue(QStringLiteral("volume"), text(chosen.volume));
    m_store.setValue(QStringLiteral("noise"), text(chosen.noise));
    m_store.setValue(QStringLiteral("noiseSeed"), text(chosen.noiseSeed));
    m_store.setValue(QStringLiteral("prefix"), text(chosen.prefix));
    m_store.setValue(QStringLiteral("latitude"), text(chosen.latitude));
    m_store.setValue(QStringLiteral("longitude"), text(chosen.longitude));
    m_store.setValue(QStringLiteral("target"), text(chosen.target));
    m_store.endGroup();
    m_store.sync();
}

} // namespace Demagora
