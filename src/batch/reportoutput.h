#pragma once

#include "results/reporttable.h"
#include "text/csvfield.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace Demagora {

// The report kind named on the command line: "initial" or "resulting"; anything else is absent.
std::optional<ReportKind> reportKindNamed(std::string_view name);

// The Resulting report has a row per result point, each formed as 15-digit texts: beyond
// this many points its CSV takes minutes, and --series is the output for every curve.
inline constexpr std::uint64_t MaxResultingReportPoints = 15'000'000;

// Refuses, with a BatchError, a Resulting report CSV of more result points than that.
void checkReportSize(ReportKind kind, std::uint64_t resultPoints);

// Every row of the grid as one CSV line, the heading row and empty trailing rows included,
// formed row by row from the table.
void writeReportCsv(std::ostream &out, const ReportTable &table);

// Throws BatchError when the --xls value names no file ("" or "-").
void checkWorksheetName(const std::string &fileName);
// The name a worksheet is saved under: fileName with the ".XLS" rule applied.
std::string worksheetFileName(const std::string &fileName);

// Throws BatchError when fileName names no file ("" or "-") or when the grid has more rows
// than a worksheet can address, saying how many it has: a cut file would look complete to
// whoever opens it.
void checkReportWorksheet(const ReportTable &table, const std::string &fileName);

// Writes the table as the result window's Export does: title in A1, the grid from row 2,
// every cell a text cell, saved under fileName with the ".XLS" rule applied. Returns the
// name the file was saved under. Throws BatchError, writing nothing, when checkReportWorksheet
// refuses or the file cannot be saved.
std::string writeReportWorksheet(const ReportTable &table, const std::string &fileName);
// Writes the worksheet of the table to an open file; false with errno set on failure.
bool writeReportWorksheet(int fd, const ReportTable &table);

} // namespace Demagora
