#include "main_window/componentgrid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Demagora {

namespace {
const ComponentGrid::Row Headings { "", "Dec", "Inc", "Height", "low", "high", "length" };
} // namespace

ComponentGrid::ComponentGrid()
{
    reset();
}

void ComponentGrid::setRowCount(int rows)
{
    m_rows.resize(static_cast<std::size_t>(std::max(rows, 1)));
    m_rows.front() = Headings;
}

const std::string &ComponentGrid::cell(int row, int column) const
{
    static const std::string empty;
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount)
        return empty;
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void ComponentGrid::setCell(int row, int column, std::string text)
{
    if (row < 1 || column < 0 || column >= ColumnCount)
        return;
    if (row >= rowCount())
        setRowCount(row + 1);
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

void ComponentGrid::addToGrid(int row, int number, const Values &values)
{
    setRowCount(rowCount() + 1);
    setCell(row, 0, "Comp. #" + std::to_string(number));
    writeValues(row, values);
}

void ComponentGrid::writeValues(int row, const Values &values)
{
    for (std::size_t c = 0; c < values.size(); ++c)
        setCell(row, static_cast<int>(c) + 1, floorText(values[c]));
}

void ComponentGrid::removeValues(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    for (int r = row; r < rowCount(); ++r) {
        for (int c = 1; c < ColumnCount; ++c)
            setCell(r, c, cell(r + 1, c));
    }
    setRowCount(rowCount() - 1);
}

void ComponentGrid::reset()
{
    m_rows.assign(2, Row {});
    m_rows.front() = Headings;
}

std::string floorText(double value)
{
    // Adding +0 turns a floored -0 into 0, which would otherwise print as "-0".
    const double whole = std::floor(value) + 0.0;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", whole);
    return buffer;
}

} // namespace Demagora
