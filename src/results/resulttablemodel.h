#pragma once

#include "results/reporttable.h"

#include <QAbstractTableModel>

namespace Demagora {

// Read-only item model over a report table for the result window's view. Row 0 of the
// table (the headings) is the horizontal header; table row r + 1 is model row r. A cell's
// text is formed when the view asks for it, so the model holds nothing per cell.
//
// A view keeps a few bytes for every row of its model, which on the largest runs adds up to
// a quarter of the results' own memory. For such tables the model can show a page of the
// data rows instead (showRows), which the window moves with a scroll bar of its own.
class ResultTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ResultTableModel(ReportTable table, QObject *parent = nullptr);

    const ReportTable &table() const { return m_table; }

    // The data rows of the table, whether shown or not.
    int dataRowCount() const;
    // Shows count data rows from first on as model rows 0 to count - 1, fewer where the table
    // ends.
    void showRows(int first, int count);
    int firstShownRow() const { return m_first; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    ReportTable m_table;
    int m_first = 0;
    // Rows shown; -1 shows every data row.
    int m_count = -1;
};

} // namespace Demagora
