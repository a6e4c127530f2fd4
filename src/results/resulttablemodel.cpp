#include "results/resulttablemodel.h"

#include <algorithm>
#include <utility>

namespace Demagora {

ResultTableModel::ResultTableModel(ReportTable table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(std::move(table))
{ }

int ResultTableModel::dataRowCount() const
{
    return std::max(m_table.rowCount() - 1, 0);
}

void ResultTableModel::showRows(int first, int count)
{
    const int total = dataRowCount();
    first = std::clamp(first, 0, std::max(total - 1, 0));
    count = std::clamp(count, 0, total - first);
    if (count != rowCount()) {
        beginResetModel();
        m_first = first;
        m_count = count;
        endResetModel();
        return;
    }
    if (first == m_first)
        return;
    m_first = first;
    m_count = count;
    if (count > 0) {
        emit dataChanged(index(0, 0), index(count - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, count - 1);
    }
}

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_count < 0 ? dataRowCount() : m_count;
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_table.columnCount();
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
    // The tool tip shows the whole text of a cell too narrow for its 15 digits.
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole)
        || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return QString::fromStdString(m_table.cell(index.column(), m_first + index.row() + 1));
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // A heading cut by its column shows whole in its tool tip, as the cells do.
    const bool toolTip = role == Qt::ToolTipRole && orientation == Qt::Horizontal;
    if ((role != Qt::DisplayRole && !toolTip) || section < 0)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section >= m_table.columnCount() || m_table.rowCount() < 1)
            return {};
        return QString::fromStdString(m_table.cell(section, 0));
    }
    if (section >= rowCount())
        return {};
    // The grid row as the export numbers it: the headings are row 0.
    return m_first + section + 1;
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Selectable so that cells can be copied from; never editable.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace Demagora
