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

void checkReportSize(ReportKind kind, std::uint64_t resultPoints)
{
    if (kind == ReportKind::Resulting && resultPoints > MaxResultingReportPoints) {
        throw BatchError("--report resulting: a report of " + std::to_string(resultPoints)
            + " result points would take minutes to write (at most "
            + std::to_string(MaxResultingReportPoints) + "); use --series FILE for every curve");
    }
}

void writeReportCsv(std::ostream &out, const ReportTable &table)
{
    // Lines gather in one buffer that is handed on in large pieces; nothing is allocated per
    // row once the buffer has grown.
    constexpr std::size_t FlushSize = 1 << 20;
    std::string buffer;
    buffer.reserve(FlushSize + 4096);
    std::string text;
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) {
            if (column > 0)
                buffer += ',';
            text.clear();
            table.appendCell(text, column, row);
            appendCsvField(buffer, text);
        }
        buffer += '\n';
        if (buffer.size() >= FlushSize) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
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
    const bool initial = table.caption() == "initial components";
    throw BatchError(std::string("--xls: the ") + (initial ? "Initial" : "Resulting")
        + " report has " + std::to_string(table.rowCount()) + " rows, more than the "
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
