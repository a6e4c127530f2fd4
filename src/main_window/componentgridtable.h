#pragma once

#include "main_window/componentgrid.h"

#include <QTableWidget>

namespace Demagora {

// The main window's component grid on screen: its heading row is the table's header, so
// component row r of the grid is table row r - 1. Cells are read-only, rows 24 pixels high,
// the text larger than that of the edit boxes.
class ComponentGridTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit ComponentGridTable(QWidget *parent = nullptr);

    void showGrid(const ComponentGrid &grid);
    void setDefaultColumnWidth(int width);

signals:
    // r counts the heading row as 0.
    void gridRowDoubleClicked(int r);
};

} // namespace Demagora
