#pragma once

#include "measurements/measurementset.h"
#include "prompts/backgroundjob.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QProgressDialog;
class QWidget;

namespace Demagora {

class SpecimensWindow;

// Measurements (a file or a folder) read as a background job and opened in a specimens window.
// A reading that lasts shows a progress dialog over the parent, whose Cancel stops the reading
// itself; a refusal is shown with the reader's message, which names the file and the line. The
// opening belongs to the parent (closing it stops the reading) and deletes itself once done.
class MeasurementOpening : public QObject
{
    Q_OBJECT

public:
    // scenarioOpener opens the twins the window's unmix windows save in the main window.
    // demagChosen: options.demag is the user's choice, and a file without a step of it is
    // refused rather than opened on its NRMs alone; otherwise a file of AF steps only is read
    // for them.
    MeasurementOpening(QWidget *parent, QString path,
        std::function<void(const QString &path)> scenarioOpener, ReadOptions options = {},
        bool demagChosen = false);
    ~MeasurementOpening() override;

    // The window opened is a child of this widget rather than of the parent.
    void setWindowParent(QWidget *parent)
    {
        m_windowParent = parent;
        m_windowParentSet = true;
    }

signals:
    // Whether a specimens window was opened.
    void done(bool opened);
    void windowOpened(SpecimensWindow *window);

private:
    void finish();

    QPointer<QWidget> m_parent;
    QPointer<QWidget> m_windowParent;
    bool m_windowParentSet = false;
    bool m_demagChosen = false;
    QString m_path;
    std::function<void(const QString &path)> m_scenarioOpener;
    QPointer<QProgressDialog> m_progress; // a child of the parent, which may delete it first
    // Written by the job, read once it has finished.
    std::optional<MeasurementSet> m_set;
    DemagKind m_demag = DemagKind::Thermal;
    std::string m_failure;
    BackgroundJob m_job;
};

// Starts opening measurements over parent; opened() is called once a window is open.
MeasurementOpening *openMeasurements(QWidget *parent, const QString &path,
    std::function<void(const QString &path)> scenarioOpener = {},
    std::function<void()> opened = {});

} // namespace Demagora
