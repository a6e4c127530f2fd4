#pragma once

#include "analysis/interpretationfiles.h"

#include <QAbstractTableModel>

#include <vector>

namespace Demagora {

// The site means of the specimens window, one row per site and component name: lines and
// planes combined, N, the mean direction, k and alpha95, and the members left out.
class SiteSummaryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Site,
        Component,
        Lines,
        Planes,
        Declination,
        Inclination,
        K,
        Alpha95,
        LeftOut,
        ColumnCount
    };

    explicit SiteSummaryModel(QObject *parent = nullptr);

    void setSummaries(std::vector<SiteResult> summaries);
    const std::vector<SiteResult> &summaries() const { return m_summaries; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<SiteResult> m_summaries;
};

} // namespace Demagora
