#include "unmix_window/siteunmixdialog.h"

#include "diagrams/specimenpicture.h"
#include "model/vector3.h"
#include "unmix_window/unmixrun.h"
#include "unmix_window/unmixtables.h"
#include "unmix_window/unmixview.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace Demagora {

namespace {

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// The specimen's own component nearest to a direction, or none when it has none.
const UnmixComponent *nearestOwn(const UnmixResult &single, const Vector3 &direction)
{
    const UnmixComponent *nearest = nullptr;
    double best = 181;
    for (const UnmixComponent &c : single.best.components) {
        const double angle = angleBetween(unitVector(c.declination, c.inclination), direction);
        if (angle < best) {
            best = angle;
            nearest = &c;
        }
    }
    return nearest;
}

} // namespace

QStringList siteComponentHeadings()
{
    return { QStringLiteral("Component"), QStringLiteral("Dec (\u00B0)"),
        QStringLiteral("Inc (\u00B0)"), QStringLiteral("\u03B195 (\u00B0)"), QStringLiteral("k"),
        QStringLiteral("k, 95 %"), QStringLiteral("Specimens"), QStringLiteral("Range (\u00B0C)"),
        QStringLiteral("Shared") };
}

SiteSharing siteSharing(const SiteComponent &component)
{
    if (component.specimens < 2)
        return SiteSharing::OneSpecimen;
    return component.k.value_or(0) >= SharedSitePrecision ? SiteSharing::Shared
                                                           : SiteSharing::Scattered;
}

namespace {

QString sharingText(SiteSharing sharing)
{
    switch (sharing) {
    case SiteSharing::Shared:
        return QStringLiteral("yes");
    case SiteSharing::OneSpecimen:
        return QStringLiteral("no: one specimen");
    case SiteSharing::Scattered:
        break;
    }
    return QStringLiteral("no: k below 10");
}

} // namespace

std::vector<QStringList> siteComponentRows(const SiteUnmixResult &result)
{
    std::vector<QStringList> rows;
    for (std::size_t j = 0; j < result.components.size(); ++j) {
        const SiteComponent &c = result.components[j];
        const bool interval = c.alpha95.has_value();
        rows.push_back({ QString::number(j + 1), fixed(c.declination, 1), fixed(c.inclination, 1),
            interval ? fixed(*c.alpha95, 1) : QString(), c.k ? fixed(*c.k, 1) : QString(),
            interval && c.k ? QStringLiteral("%1 to %2").arg(fixed(c.kLow, 1), fixed(c.kHigh, 1))
                            : QString(),
            QStringLiteral("%1 of %2").arg(c.specimens).arg(result.specimens.size()),
            QStringLiteral("%1 to %2").arg(fixed(c.low, 0), fixed(c.high, 0)),
            sharingText(siteSharing(c)) });
    }
    return rows;
}

QStringList siteSpecimenHeadings()
{
    return { QStringLiteral("Component"), QStringLiteral("Joint Dec"),
        QStringLiteral("Joint Inc"), QStringLiteral("Joint \u03B195"),
        QStringLiteral("Joint range"), QStringLiteral("Own Dec"), QStringLiteral("Own Inc"),
        QStringLiteral("Own range"), QStringLiteral("Angle (\u00B0)") };
}

std::vector<QStringList> siteSpecimenRows(const SiteSpecimenFit &fit)
{
    std::vector<QStringList> rows;
    for (std::size_t j = 0; j < fit.components.size(); ++j) {
        const UnmixComponent &c = fit.components[j];
        QStringList row { QString::number(j + 1) };
        if (c.height > 0) {
            row << fixed(c.declination, 1) << fixed(c.inclination, 1)
                << (j < fit.alpha95.size() ? fixed(fit.alpha95[j], 1) : QString())
                << QStringLiteral("%1 to %2").arg(fixed(c.low, 0), fixed(c.high, 0));
        } else {
            row << QStringLiteral("absent") << QString() << QString() << QString();
        }
        const Vector3 joint = unitVector(c.declination, c.inclination);
        if (const UnmixComponent *own = c.height > 0 ? nearestOwn(fit.single, joint) : nullptr) {
            row << fixed(own->declination, 1) << fixed(own->inclination, 1)
                << QStringLiteral("%1 to %2").arg(fixed(own->low, 0), fixed(own->high, 0))
                << fixed(angleBetween(unitVector(own->declination, own->inclination), joint), 1);
        } else {
            row << QString() << QString() << QString() << QString();
        }
        rows.push_back(row);
    }
    return rows;
}

SiteUnmixDialog::SiteUnmixDialog(std::string site, std::vector<SiteUnmixSpecimen> specimens,
    const std::string &shown, QWidget *parent)
    : QDialog(parent, Qt::Window)
    , m_site(std::move(site))
    , m_specimens(std::move(specimens))
{
    setObjectName(QStringLiteral("SiteUnmixDialog"));
    const auto found = std::find_if(m_specimens.begin(), m_specimens.end(),
        [&](const SiteUnmixSpecimen &s) { return s.name == shown; });
    m_shown = found == m_specimens.end() ? 0 : int(found - m_specimens.begin());
    setWindowTitle(QStringLiteral("Unmix site - %1").arg(QString::fromStdString(m_site)));
    buildControls();
    showResult();
    resize(1180, 760);
}

SiteUnmixDialog::~SiteUnmixDialog()
{
    // The fit reads the specimens and reports to this window: it stops before either goes.
    delete m_run;
}

void SiteUnmixDialog::buildControls()
{
    m_run = new UnmixRun(this, 3);
    connect(m_run, &UnmixRun::ended, this, &SiteUnmixDialog::finish);
    connect(m_run->unmixButton(), &QPushButton::clicked, this, [this] { btn_unmixClick(); });
    CB_specimen = new QComboBox(this);
    CB_specimen->setObjectName(QStringLiteral("CB_specimen"));
    for (const SiteUnmixSpecimen &s : m_specimens)
        CB_specimen->addItem(QString::fromStdString(s.name));
    CB_specimen->setCurrentIndex(m_shown);
    connect(CB_specimen, &QComboBox::currentIndexChanged, this,
        [this](int index) { showSpecimen(index); });

    auto *choices = new QHBoxLayout;
    m_run->addChoices(choices);
    m_run->addButtons(choices);
    auto *specimenLabel = new QLabel(QStringLiteral("&Specimen shown:"), this);
    specimenLabel->setBuddy(CB_specimen);
    choices->addWidget(specimenLabel);
    choices->addWidget(CB_specimen);

    lbl_summary = new QLabel(this);
    lbl_summary->setObjectName(QStringLiteral("lbl_summary"));
    lbl_summary->setWordWrap(true);
    SG_site = unmixTable(this, "SG_site", siteComponentHeadings());
    SG_specimen = unmixTable(this, "SG_specimen", siteSpecimenHeadings());
    m_picture = new SpecimenPicture(this);

    auto *tables = new QSplitter(Qt::Vertical, this);
    tables->addWidget(SG_site);
    tables->addWidget(SG_specimen);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(tables);
    split->addWidget(m_picture);
    split->setSizes({ 520, 660 });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(lbl_summary);
    layout->addWidget(split, 1);
}

void SiteUnmixDialog::setChoices(int components, int bootstrap)
{
    m_run->setChoices(components, bootstrap);
}

bool SiteUnmixDialog::isRunning() const
{
    return m_run->isRunning();
}

QString SiteUnmixDialog::statusText() const
{
    return lbl_summary->text();
}

void SiteUnmixDialog::btn_unmixClick()
{
    if (isRunning())
        return;
    SiteUnmixOptions options;
    options.components = m_run->componentCount();
    options.bootstrap = m_run->bootstrapCount();
    // A new fit replaces the last: cancelled, it leaves none to show.
    m_result.reset();
    m_pending.reset();
    showResult();
    lbl_summary->setText(QStringLiteral("Unmixing the site's %1 specimens...")
                             .arg(m_specimens.size()));
    m_run->start(options,
        [this](const SiteUnmixOptions &fit) { m_pending = unmixSite(m_site, m_specimens, fit); });
}

void SiteUnmixDialog::btn_cancelClick()
{
    m_run->requestStop();
}

void SiteUnmixDialog::finish(bool cancelled, const QString &failure)
{
    if (UnmixRun::handOver(cancelled, failure, m_pending, m_result))
        showResult();
    else
        lbl_summary->setText(UnmixRun::endText(cancelled, failure));
    emit unmixFinished();
}

void SiteUnmixDialog::showSpecimen(int index)
{
    if (index < 0 || index >= int(m_specimens.size()))
        return;
    m_shown = index;
    if (CB_specimen->currentIndex() != index)
        CB_specimen->setCurrentIndex(index);
    showResult();
}

void SiteUnmixDialog::showResult()
{
    const SiteUnmixSpecimen &shown = m_specimens[std::size_t(m_shown)];
    const QString title = QString::fromStdString(shown.name);
    if (!m_result) {
        fillUnmixTable(SG_site, {});
        fillUnmixTable(SG_specimen, {});
        m_picture->setDiagram(
            SpecimenDiagram(unmixDiagramData(title, shown.steps, UnmixResult {})));
        if (!isRunning())
            lbl_summary->setText(QStringLiteral("Site %1, %2 specimens: choose the components "
                                                "and press Unmix.")
                                     .arg(QString::fromStdString(m_site))
                                     .arg(m_specimens.size()));
        return;
    }
    const SiteUnmixResult &result = *m_result;
    fillUnmixTable(SG_site, siteComponentRows(result));
    for (int r = 0; r < SG_site->rowCount(); ++r)
        SG_site->item(r, 0)->setForeground(unmixComponentColour(std::size_t(r)));

    // The shown specimen's part of the joint fit, drawn as the unmix window draws a fit.
    const auto fit = std::find_if(result.specimens.begin(), result.specimens.end(),
        [&](const SiteSpecimenFit &f) { return f.name == shown.name; });
    UnmixResult joint;
    if (fit != result.specimens.end()) {
        joint.best.components = fit->components;
        for (double cone : fit->alpha95) {
            ComponentInterval interval;
            interval.alpha95 = cone;
            joint.intervals.push_back(interval);
        }
        fillUnmixTable(SG_specimen, siteSpecimenRows(*fit));
        for (int r = 0; r < SG_specimen->rowCount(); ++r)
            SG_specimen->item(r, 0)->setForeground(unmixComponentColour(std::size_t(r)));
    } else {
        fillUnmixTable(SG_specimen, {});
    }
    SpecimenDiagramData data = unmixDiagramData(title, shown.steps, joint);
    data.conesHeading = QStringLiteral("Site components");
    // The site directions with their cones, then every specimen's own directions in the joint
    // fit as points of the same colours.
    for (std::size_t j = 0; j < result.components.size(); ++j) {
        const SiteComponent &c = result.components[j];
        data.cones.push_back({ unitVector(c.declination, c.inclination), c.alpha95.value_or(0),
            unmixComponentColour(j), QStringLiteral("Site %1").arg(j + 1) });
    }
    for (const SiteSpecimenFit &member : result.specimens) {
        for (std::size_t j = 0; j < member.components.size(); ++j) {
            const UnmixComponent &c = member.components[j];
            if (c.height > 0)
                data.cones.push_back({ unitVector(c.declination, c.inclination), 0,
                    unmixComponentColour(j).lighter(140), QString() });
        }
    }
    m_picture->setDiagram(SpecimenDiagram(std::move(data)));

    const UnmixCandidate &chosen = result.candidates[result.chosen];
    QString summary = QStringLiteral("Site %1: %2 components fitted to %3 specimens together, "
                                     "BIC %4")
                          .arg(QString::fromStdString(m_site))
                          .arg(result.components.size())
                          .arg(result.specimens.size())
                          .arg(fixed(chosen.bic, 1));
    if (result.bootstrapRefits > 0)
        summary += QStringLiteral("; cones from %1 bootstrap refits").arg(result.bootstrapRefits);
    QStringList alone, scattered;
    for (std::size_t j = 0; j < result.components.size(); ++j) {
        const SiteSharing sharing = siteSharing(result.components[j]);
        if (sharing == SiteSharing::OneSpecimen)
            alone << QString::number(j + 1);
        else if (sharing == SiteSharing::Scattered)
            scattered << QString::number(j + 1);
    }
    if (!alone.isEmpty()) {
        summary += QStringLiteral(". One specimen alone carries component %1: it is that "
                                  "specimen's, not the site's")
                       .arg(alone.join(QStringLiteral(", ")));
    }
    if (!scattered.isEmpty()) {
        summary += QStringLiteral(". The specimens do not share component %1: its directions "
                                  "scatter too widely (k below 10) for a site direction to mean "
                                  "anything")
                       .arg(scattered.join(QStringLiteral(", ")));
    }
    if (!result.refusals.empty()) {
        summary += QStringLiteral(". Left out: %1")
                       .arg(QString::fromStdString(result.refusals.front()));
        if (result.refusals.size() > 1)
            summary += QStringLiteral(" and %1 more").arg(result.refusals.size() - 1);
    }
    lbl_summary->setText(summary + QStringLiteral("."));
}

SiteUnmixDialog *openSiteUnmixDialog(QWidget *parent, std::string site,
    std::vector<SiteUnmixSpecimen> specimens, const std::string &shown)
{
    auto *dialog = new SiteUnmixDialog(std::move(site), std::move(specimens), shown, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace Demagora
