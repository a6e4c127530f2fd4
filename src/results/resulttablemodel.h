#pragma once

#include "results/reporttable.h"

#include <QAbstractTableModel>

namespace Demagora {

// Read-only item model over a report table for the result window's view. Row 0 of the
// table (the headings) is the horizontal header; table row r + 1 is model row r. A cell's
// text is formed when the view asks for it, so the model holds nothing per cell.
class ResultTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ResultTableModel(ReportTable table, QObject *parent = nullptr);

    const ReportTable &table() const { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    ReportTable m_table;
};

} // namespace Demagora
