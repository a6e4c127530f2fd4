#include "main_window/componentgridtable.h"

#include <QHeaderView>

namespace Demagora {

namespace {
constexpr int RowHeight = 24;
constexpr int FontPixels = 16;
} // namespace

ComponentGridTable::ComponentGridTable(QWidget *parent)
    : QTableWidget(parent)
{
    QFont gridFont = font();
    gridFont.setPixelSize(FontPixels);
    setFont(gridFont);
    horizontalHeader()->setFont(gridFont);
    setColumnCount(ComponentGrid::ColumnCount);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setFixedHeight(RowHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(false);
    connect(this, &QTableWidget::cellDoubleClicked, this,
        [this](int row, int) { emit gridRowDoubleClicked(row + 1); });
}

void ComponentGridTable::showGrid(const ComponentGrid &grid)
{
    QStringList headings;
    for (int column = 0; column < ComponentGrid::ColumnCount; ++column)
        headings << QString::fromStdString(grid.cell(0, column));
    setHorizontalHeaderLabels(headings);
    setRowCount(grid.rowCount() - 1);
    const QBrush fixedColumn = palette().button();
    for (int row = 1; row < grid.rowCount(); ++row) {
        for (int column = 0; column < ComponentGrid::ColumnCount; ++column) {
            QTableWidgetItem *cell = item(row - 1, column);
            if (!cell) {
                cell = new QTableWidgetItem;
                cell->setFlags(Qt::ItemIsEnabled);
                if (column == 0)
                    cell->setBackground(fixedColumn);
                setItem(row - 1, column, cell);
            }
            cell->setText(QString::fromStdString(grid.cell(row, column)));
        }
    }
}

void ComponentGridTable::setDefaultColumnWidth(int width)
{
    horizontalHeader()->setDefaultSectionSize(width);
    for (int column = 0; column < columnCount(); ++column)
        horizontalHeader()->resizeSection(column, width);
}

} // namespace Demagora
