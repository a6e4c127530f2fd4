#pragma once

#include <array>
#include <string>
#include <vector>

namespace Demagora {

// The texts of the component grid: row 0 holds the headings, column 0 the labels
// "Comp. #n", and component n stands in row n. The main window shows it; the component
// editor rewrites and removes its rows.
class ComponentGrid
{
public:
    static constexpr int ColumnCount = 7;
    using Row = std::array<std::string, ColumnCount>;
    // Declination, inclination, height, lower and upper temperature, length.
    using Values = std::array<double, ColumnCount - 1>;

    ComponentGrid();

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // Rows added at the end are empty; rows removed from the end are lost.
    void setRowCount(int rows);
    // Empty text for a cell outside the grid.
    const std::string &cell(int row, int column) const;
    // Grows the grid when row lies beyond its end.
    void setCell(int row, int column, std::string text);

    // One more row, then the label "Comp. #number" and the values rounded down in the given row.
    void addToGrid(int row, int number, const Values &values);
    // Columns 1 to 6 of row get the values rounded down; the label stays.
    void writeValues(int row, const Values &values);
    // Removes the component shown in row: the values of the rows below move up one row, the
    // labels stay in place, and the grid loses its last row.
    void removeValues(int row);
    // Back to the headings and one empty row.
    void reset();

private:
    std::vector<Row> m_rows;
};

// Floor of value as a plain decimal integer: 10.9 gives "10", -10.5 gives "-11", -0.2 gives "-1",
// -0 gives "0". Values beyond the range of a double's integers are written in full; infinity
// and NaN as "inf" and "nan".
std::string floorText(double value);

} // namespace Demagora
