#pragma once

#include "results/reporttable.h"
#include "results/spreadsheet/tsheetwriter.h"

#include <string>

namespace Demagora {

// A worksheet row number has 16 bits and the grid starts in sheet row 2, so grid rows from
// 0 to MaxSheetGridRows - 1 can be placed; a longer grid cannot be written whole.
constexpr int MaxSheetGridRows = 65534;

// The text of cell A1: "initial components" for the Initial report, "resulting vectors" else.
std::string reportSheetTitle(const ReportTable &table);

bool reportFitsOnSheet(const ReportTable &table);

// Writes the title into A1 and the grid from row 2 on, column by column and each column top to
// bottom, every cell a text cell, empty cells included. Only the first gridRows rows of the grid
// are written (all of them by default), and never more than MaxSheetGridRows, so no cell lands
// on a row the sheet cannot address. Opening and closing the document is the caller's part.
void writeReportToSheet(TSheetWriter &writer, const ReportTable &table, int gridRows = -1);

} // namespace Demagora
