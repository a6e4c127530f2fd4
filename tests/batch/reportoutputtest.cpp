#include "batch/reportoutput.h"

#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "batch/batchoptions.h"
#include "results/reportexport.h"
#include "support/filetext.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

namespace fs = std::filesystem;

ReportTable tableOf(std::string caption, int columnCount, std::vector<std::string> cells)
{
    return ReportTable::fromTexts(std::move(caption), columnCount, std::move(cells));
}

TEST(ReportCsvTest, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    struct Case
    {
        const char *text;
        const char *field;
    };
    const Case cases[] = {
        { "", "" },
        { "-12.25", "-12.25" },
        { "1.5E-14", "1.5E-14" },
        { "500,5", "\"500,5\"" },
        { "say \"hi\"", "\"say \"\"hi\"\"\"" },
        { "two\nlines", "\"two\nlines\"" },
        { "cr\r", "\"cr\r\"" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(csvField(c.text), c.field);
    }
}

TEST(ReportCsvTest, EveryGridRowIsOneLineEmptyRowsIncluded)
{
    const ReportTable table = tableOf("resulting vectors", 3,
        { "Temperature", "vector", "length", "0", "0", "2,5", "", "", "", "", "", "" });
    std::ostringstream out;
    writeReportCsv(out, table);
    EXPECT_EQ(out.str(), "Temperature,vector,length\n0,0,\"2,5\"\n,,\n,,\n");
}

TEST(ReportCsvTest, ReportKindsAreNamedInLowerCase)
{
    EXPECT_EQ(reportKindNamed("initial"), ReportKind::Initial);
    EXPECT_EQ(reportKindNamed("resulting"), ReportKind::Resulting);
    EXPECT_FALSE(reportKindNamed("Initial"));
    EXPECT_FALSE(reportKindNamed(""));
}

class ReportWorksheetTest : public Testing::TemporaryFolderTest
{
protected:
    std::string refusal(const ReportTable &table, const std::string &name)
    {
        try {
            writeReportWorksheet(table, name);
        } catch (const BatchError &error) {
            return error.what();
        }
        return "no error";
    }
};

TEST_F(ReportWorksheetTest, SavesTheExportLayoutUnderTheXlsName)
{
    const ReportTable table = tableOf("initial components", 2, { "component", "vector", "0", "1" });
    EXPECT_EQ(writeReportWorksheet(table, path("out")), path("out.XLS"));

    TSheetWriter expected;
    expected.NewDocument();
    writeReportToSheet(expected, table);
    expected.CloseDocument();
    const std::string bytes = Testing::fileText(path("out.XLS"));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected.Document());
}

TEST_F(ReportWorksheetTest, GridTooLongForASheetIsRefusedAndNothingWritten)
{
    const auto emptyRows = [](int rowCount) {
        return tableOf(
            "resulting vectors", 1, std::vector<std::string>(static_cast<std::size_t>(rowCount)));
    };
    EXPECT_EQ(refusal(emptyRows(MaxSheetGridRows + 1), path("long.xls")),
        "--xls: the Resulting report has 65535 rows, more than the 65534 a worksheet can hold "
        "below its title; nothing was written. Use --report resulting without --xls for the "
        "whole table as CSV, or --series FILE for every curve");
    EXPECT_FALSE(fs::exists(path("long.xls")));

    EXPECT_EQ(
        writeReportWorksheet(emptyRows(MaxSheetGridRows), path("long.xls")), path("long.xls"));
}

TEST_F(ReportWorksheetTest, UnwritableNamesAreRefused)
{
    const ReportTable table = tableOf("initial components", 1, { "component" });
    EXPECT_EQ(refusal(table, path("missing/out.xls")),
        "Cannot create file \"" + path("missing/out.xls") + "\". No such file or directory");
    EXPECT_EQ(refusal(table, "-"),
        "--xls needs a file name: a worksheet is not written to standard output");
    EXPECT_EQ(refusal(table, ""), "--xls: the file name is empty");
}

std::string optionError(std::vector<std::string> arguments)
{
    try {
        parseBatchOptions(arguments);
    } catch (const BatchError &error) {
        return error.what();
    }
    return "no error";
}

TEST(ReportOptionsTest, ReportAndXlsAreReadAndCheckedAgainstTheOtherOutputs)
{
    BatchOptions options = parseBatchOptions(
        std::vector<std::string> { "s.json", "--report", "resulting", "--xls=out" });
    EXPECT_EQ(options.report, ReportKind::Resulting);
    EXPECT_EQ(options.xlsPath, "out");
    EXPECT_FALSE(options.seriesPath) << "the series is not printed beside a report";

    options = parseBatchOptions(std::vector<std::string> { "s.json", "--report", "initial" });
    EXPECT_TRUE(options.reportOnStandardOutput());
    EXPECT_FALSE(options.seriesPath);

    EXPECT_EQ(optionError({ "s.json", "--report", "final" }),
        "--report: 'final' is not a report (initial or resulting)");
    EXPECT_EQ(optionError({ "s.json", "--report", "initial", "--report", "initial" }),
        "--report is given more than once");
    EXPECT_EQ(
        optionError({ "s.json", "--xls", "a", "--xls", "b" }), "--xls is given more than once");
    EXPECT_EQ(optionError({ "s.json", "--report", "initial", "--series", "-" }),
        "--series - and --report would both write to standard output");
    EXPECT_EQ(optionError({ "s.json", "--report", "initial", "--series", "-", "--xls", "a" }),
        "no error");
}

TEST_F(ReportWorksheetTest, RefusedWorksheetLeavesTheOtherOutputsUnwritten)
{
    std::ofstream(path("long.json"))
        << R"({"components": [{"declination": 10, "inclination": 50, "height": 2,
              "blockLow": 100, "blockHigh": 200, "shape": "rectangular"}],
              "population": {"randomPoints": 699, "fisherK": 40, "differentLengths": false,
              "heightStdDev": 0}, "seed": 3})";
    const std::vector<std::string> arguments = { path("long.json"), "--report", "resulting",
        "--series", path("series.csv"), "--xls", path("long.xls") };
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runBatchCommand(arguments, out, err), BatchBadInput);
    EXPECT_NE(err.str().find("has 70700 rows"), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(path("series.csv")));
    EXPECT_FALSE(fs::exists(path("long.xls")));
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace Demagora
