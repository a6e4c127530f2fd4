#pragma once

#include "unmixing/siteunmixing.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QTableWidget;

namespace Demagora {

class SpecimenPicture;
class UnmixRun;

// The rows of the site window's tables, as plain values a test reads without a window.
// The site's components: direction, cone, k with its interval, the specimens carrying it and
// their median range.
QStringList siteComponentHeadings();
std::vector<QStringList> siteComponentRows(const SiteUnmixResult &result);
// Below this precision the specimens' directions of a component scatter so widely (an angular
// standard deviation of about 25 degrees) that they do not share it: the window says so.
inline constexpr double SharedSitePrecision = 10;
// Whether the site's specimens share a component: carried by one specimen only, it is that
// specimen's; scattered below SharedSitePrecision, it has no direction of its own.
enum class SiteSharing { Shared, OneSpecimen, Scattered };
SiteSharing siteSharing(const SiteComponent &component);
// One specimen: per site component, its direction in the joint fit beside its own unmixing's
// component nearest to it.
QStringList siteSpecimenHeadings();
std::vector<QStringList> siteSpecimenRows(const SiteSpecimenFit &fit);

// "Unmix site": the specimens of one site unmixed together (directions shared by the site,
// spectra each specimen's own) on a worker thread, with progress and Cancel. Shows the site's
// components, one specimen's joint and own fits side by side, and that specimen's steps with
// the joint fit drawn over them, the site directions with their cones and every specimen's
// directions on the stereogram.
class SiteUnmixDialog : public QDialog
{
    Q_OBJECT

public:
    // specimens: the site's, each with the steps to fit in the coordinates shown; shown: the
    // specimen drawn first.
    SiteUnmixDialog(std::string site, std::vector<SiteUnmixSpecimen> specimens,
        const std::string &shown, QWidget *parent = nullptr);
    ~SiteUnmixDialog() override;

    // 0 automatic, else the number of components; bootstrap refits.
    void setChoices(int components, int bootstrap);
    bool isRunning() const;
    const std::optional<SiteUnmixResult> &result() const { return m_result; }
    QString statusText() const;
    const SpecimenPicture &picture() const { return *m_picture; }
    // The specimen whose fits the window shows.
    void showSpecimen(int index);

    void btn_unmixClick();
    void btn_cancelClick();

signals:
    // The worker ended: with a result, cancelled or refused.
    void unmixFinished();

private:
    void buildControls();
    void finish(bool cancelled, const QString &failure);
    void showResult();

    std::string m_site;
    std::vector<SiteUnmixSpecimen> m_specimens;
    int m_shown = 0;
    std::optional<SiteUnmixResult> m_result;

    // The fit runs on the run's background job; it reads the specimens and writes the pending
    // result, which the window takes once the fit has ended.
    UnmixRun *m_run = nullptr;
    std::optional<SiteUnmixResult> m_pending;

    QComboBox *CB_specimen = nullptr;
    QLabel *lbl_summary = nullptr;
    QTableWidget *SG_site = nullptr;
    QTableWidget *SG_specimen = nullptr;
    SpecimenPicture *m_picture = nullptr;
};

// Opens a site window over the specimens, not modal, deleted when closed.
SiteUnmixDialog *openSiteUnmixDialog(QWidget *parent, std::string site,
    std::vector<SiteUnmixSpecimen> specimens, const std::string &shown);

} // namespace Demagora
