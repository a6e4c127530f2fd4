#include "specimens_window/sitesummarymodel.h"

#include <cmath>

namespace Demagora {

SiteSummaryModel::SiteSummaryModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void SiteSummaryModel::setSummaries(std::vector<SiteResult> summaries)
{
    beginResetModel();
    m_summaries = std::move(summaries);
    endResetModel();
}

int SiteSummaryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_summaries.size());
}

int SiteSummaryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SiteSummaryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() >= Lines)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    const SiteResult &summary = m_summaries[std::size_t(index.row())];
    const std::optional<SiteMean> &mean = summary.mean;
    // Why a mean, k or alpha95 is left empty.
    if (role == Qt::ToolTipRole && index.column() >= Declination && index.column() <= Alpha95) {
        if (!mean)
            return QStringLiteral("no member has a fit in these coordinates");
        return mean->note.empty() ? QVariant() : QString::fromStdString(mean->note);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Site:
        return QString::fromStdString(summary.site);
    case Component:
        return QString::fromStdString(summary.component);
    case Lines:
        return mean ? mean->lines : 0;
    case Planes:
        return mean ? mean->planes : 0;
    case Declination:
        return mean && mean->mean ? QString::number(mean->mean->declination, 'f', 1) : QString();
    case Inclination:
        return mean && mean->mean ? QString::number(mean->mean->inclination, 'f', 1) : QString();
    case K:
        if (!mean || !mean->k)
            return QString();
        return std::isinf(*mean->k) ? QStringLiteral("\u221E") : QString::number(*mean->k, 'f', 1);
    case Alpha95:
        return mean && mean->alpha95 ? QString::number(*mean->alpha95, 'f', 1) : QString();
    case LeftOut:
        return summary.leftOut;
    default:
        return {};
    }
}

QVariant SiteSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char *const Headings[]
        = { "Site", "Component", "Lines", "Planes", "Dec", "Inc", "k", "\u03B195", "Left out" };
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(Headings[section])
                                                 : QVariant();
}

} // namespace Demagora
