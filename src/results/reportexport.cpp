#include "results/reportexport.h"

#include <algorithm>

namespace Demagora {

std::string reportSheetTitle(const ReportTable &table)
{
    return table.caption() == "initial components" ? "initial components" : "resulting vectors";
}

bool reportFitsOnSheet(const ReportTable &table)
{
    return table.rowCount() <= MaxSheetGridRows;
}

void writeReportToSheet(TSheetWriter &writer, const ReportTable &table, int gridRows)
{
    int rows = std::min(table.rowCount(), MaxSheetGridRows);
    if (gridRows >= 0)
        rows = std::min(rows, gridRows);

    writer.WriteLabelAt(1, 1, reportSheetTitle(table));
    std::string text;
    for (int column = 0; column < table.columnCount(); ++column) {
        for (int row = 0; row < rows; ++row) {
            text.clear();
            table.appendCell(text, column, row);
            writer.WriteLabelAt(row + 2, column + 1, text);
        }
    }
}

} // namespace Demagora
