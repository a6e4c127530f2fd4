#include "batch/reportoutput.h"

#include "batch/batcherror.h"
#include "results/reportexport.h"
#include "results/spreadsheet/filereplace.h"
#include "results/spreadsheet/tsheetwriter.h"

namespace Demagora {

std::optional<ReportKind> reportKindNamed(std::string_view name)
{
    if (name == "initial")
        return ReportKind::Initial;
    if (name == "resulting")
        return ReportKind::Resulting;
    return std::nullopt;
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void writeReportCsv(std::ostream &out, const ReportTable &table)
{
    std::string line;
    for (int row = 0; row < table.rowCount; ++row) {
        line.clear();
        for (int column = 0; column < table.columnCount; ++column) {
            if (column > 0)
                line += ',';
            line += csvField(table.cell(column, row));
        }
        line += '\n';
        out << line;
    }
}

void checkWorksheetName(const std::string &fileName)
{
    if (fileName.empty())
        throw BatchError("--xls: the file name is empty");
    if (fileName == "-")
        throw BatchError("--xls needs a file name: a worksheet is not written to standard output");
}

std::string worksheetFileName(const std::string &fileName)
{
    TSheetWriter writer;
    writer.SetFileName(fileName);
    return writer.FileName();
}

void checkReportWorksheet(const ReportTable &table, const std::string &fileName)
{
    checkWorksheetName(fileName);
    if (reportFitsOnSheet(table))
        return;
    const bool initial = table.caption == "initial components";
    throw BatchError(std::string("--xls: the ") + (initial ? "Initial" : "Resulting")
        + " report has " + std::to_string(table.rowCount) + " rows, more than the "
        + std::to_string(MaxSheetGridRows)
        + " a worksheet can hold below its title; nothing was written. Use --report "
        + (initial ? "initial" : "resulting")
        + " without --xls for the whole table as CSV, or --series FILE for every curve");
}

namespace {

TSheetWriter worksheetOf(const ReportTable &table)
{
    TSheetWriter writer;
    writer.NewDocument();
    writeReportToSheet(writer, table);
    writer.CloseDocument();
    return writer;
}

} // namespace

bool writeReportWorksheet(int fd, const ReportTable &table)
{
    const TSheetWriter writer = worksheetOf(table);
    const auto &bytes = writer.Document();
    return writeAllBytes(fd, bytes.data(), bytes.size());
}

std::string writeReportWorksheet(const ReportTable &table, const std::string &fileName)
{
    checkReportWorksheet(table, fileName);

    TSheetWriter writer = worksheetOf(table);
    writer.SetFileName(fileName);
    try {
        writer.SaveDocument();
    } catch (const SheetWriteError &error) {
        throw BatchError(error.what());
    }
    return writer.FileName();
}

} // namespace Demagora
