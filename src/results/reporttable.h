#pragma once

#include "model/populations.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

enum class ReportKind { Initial = 0, Resulting = 1 };

// A report as plain data: the caption and a grid of cell texts, row 0 holding the
// headings. The result window displays it and the export writes it.
struct ReportTable
{
    std::string caption;
    int columnCount = 0;
    int rowCount = 0;
    std::vector<std::string> cells; // row-major, rowCount * columnCount

    const std::string &cell(int column, int row) const
    {
        return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columnCount)
            + static_cast<std::size_t>(column)];
    }
};

// Builds the Initial or Resulting report of the last run. Numbers use decimalSeparator.
ReportTable buildReportTable(const ComponentPopulations &populations, const ResultSeries &series,
    std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    std::string_view decimalSeparator = ".");

} // namespace Demagora
