#pragma once

#include "main_window/measurementexportchoices.h"

#include <QDialog>

#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSettings;

namespace Demagora {

// "Export measurements": the schedule, format, units, noise, specimen prefix, site position
// and target of an
// export of the last run. Opens with the last choices kept in the given settings store and
// keeps the new ones when the user exports; refused choices are reported and the dialog
// stays open.
// A message of the measurement code as a message box shows it, its first letter capitalised.
QString sentence(const std::string &message);

class MeasurementExportDialog : public QDialog
{
    Q_OBJECT

public:
    MeasurementExportDialog(
        QSettings &store, std::string decimalSeparator, QWidget *parent = nullptr);

    MeasurementExportChoices choices() const;
    void setChoices(const MeasurementExportChoices &choices);

    // What was accepted; empty until the user exports.
    const std::optional<MeasurementSettings> &settings() const { return m_settings; }
    const MeasurementTargets &targets() const { return m_targets; }
    // The file of the open scenario, which the export refuses to replace.
    void setOpenScenario(const QString &path) { m_openScenario = path; }
    const QString &openScenario() const { return m_openScenario; }

    void btn_exportClick();
    void btn_browseClick();

private:
    void loadChoices();
    void saveChoices() const;

    QSettings &m_store;
    std::string m_decimalSeparator;
    std::optional<MeasurementSettings> m_settings;
    MeasurementTargets m_targets;
    QString m_openScenario;

    QLineEdit *EB_steps = nullptr;
    QComboBox *CB_format = nullptr;
    QLineEdit *EB_scale = nullptr;
    QLineEdit *EB_volume = nullptr;
    QLineEdit *EB_noise = nullptr;
    QLineEdit *EB_noiseSeed = nullptr;
    QLineEdit *EB_prefix = nullptr;
    QLineEdit *EB_latitude = nullptr;
    QLineEdit *EB_longitude = nullptr;
    QLineEdit *EB_target = nullptr;
    QPushButton *btn_browse = nullptr;
    QPushButton *btn_export = nullptr;
    QPushButton *btn_cancel = nullptr;
};

} // namespace Demagora
