#include "results/reporttable.h"

#include "model/run.h"
#include "results/reportexport.h"
#include "results/spreadsheet/tsheetwriter.h"
#include "support/componentfixtures.h"
#include "text/numbertext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Demagora {
namespace {

TVector rectangularMember(double declination, double inclination, double height)
{
    return Testing::component(
        declination, inclination, height, 100, 200, SpectrumShape::Rectangular);
}

// The two unscattered components of the first worked example.
const ComponentPopulations &workedExamplePopulations()
{
    static const ComponentPopulations populations
        = { { rectangularMember(30, 45, 10) }, { rectangularMember(200, -30, 5) } };
    return populations;
}

// A table reads the run it was built from: these stand for a run without populations or series.
const ComponentPopulations NoPopulations;
const ResultSeries NoSeries;

// One row of cell texts, for comparing whole rows at once.
std::vector<std::string> rowOf(const ReportTable &table, int row)
{
    std::vector<std::string> texts;
    for (int column = 0; column < table.columnCount(); ++column)
        texts.push_back(table.cell(column, row));
    return texts;
}

using Row = std::vector<std::string>;

// A point whose length is known exactly: (length, 0, 0) points north and level.
TResultVectors northPoint(double temperature, double length)
{
    TResultVectors point;
    point.Temperature = temperature;
    point.X = length;
    return point;
}

// V series of steps + 1 points each; series v at step t has length lengths[v] + t.
ResultSeries seriesOfLengths(const std::vector<double> &lengths, int steps, int lowTemp)
{
    ResultSeries series;
    for (double length : lengths) {
        ResultSeriesEntry entry;
        for (int t = 0; t <= steps; ++t)
            entry.push_back(northPoint(lowTemp + t, length + t));
        series.push_back(entry);
    }
    return series;
}

TEST(InitialReportTest, UnscatteredComponentsGiveTheWorkedExampleCellForCell)
{
    const ReportTable table
        = buildReportTable(workedExamplePopulations(), NoSeries, 100, 200, ReportKind::Initial);
    EXPECT_EQ(table.caption(), "initial components");
    ASSERT_EQ(table.columnCount(), 6);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(rowOf(table, 0),
        Row({ "component", "vector", "declination", "inclination", "length of vector",
            "heights" }));
    EXPECT_EQ(rowOf(table, 1), Row({ "0", "0", "30", "45", "1001", "10" }));
    EXPECT_EQ(rowOf(table, 2), Row({ "1", "0", "200", "-30", "500.5", "5" }));
}

TEST(InitialReportTest, ScatteredPopulationsListAllButTheLastMemberWithBlockStatistics)
{
    // Heights 10, 20, 30 give a height deviation of exactly 10; the fourth member carries
    // values that must never appear.
    ComponentPopulations populations(2);
    for (int q = 0; q < 2; ++q) {
        for (int j = 0; j < 3; ++j)
            populations[q].push_back(rectangularMember(10 * q + j, 5, 10.0 * (j + 1) * (q + 1)));
        populations[q].push_back(rectangularMember(333, 77, 999));
    }
    const ReportTable table
        = buildReportTable(populations, NoSeries, 100, 200, ReportKind::Initial);
    ASSERT_EQ(table.columnCount(), 8);
    ASSERT_EQ(table.rowCount(), 9);
    EXPECT_EQ(table.cell(6, 0), "StDev(lengths)");
    EXPECT_EQ(table.cell(7, 0), "StDev(heights)");

    for (int row = 1; row <= 6; ++row) {
        SCOPED_TRACE(row);
        const int q = (row - 1) / 3;
        const int j = (row - 1) % 3;
        EXPECT_EQ(table.cell(0, row), std::to_string(q));
        EXPECT_EQ(table.cell(1, row), std::to_string(j));
        EXPECT_EQ(table.cell(2, row), std::to_string(10 * q + j));
        EXPECT_EQ(table.cell(5, row), std::to_string(10 * (j + 1) * (q + 1)));
        EXPECT_EQ(table.cell(4, row), formatGeneral(populations[q][j].Remaining(0)));
        const bool firstOfBlock = j == 0;
        EXPECT_EQ(table.cell(6, row).empty(), !firstOfBlock);
        EXPECT_EQ(table.cell(7, row).empty(), !firstOfBlock);
    }
    EXPECT_EQ(table.cell(7, 1), "10");
    EXPECT_EQ(table.cell(7, 4), "20");
    // Lengths are 100.1 times the heights, so their deviation is 100.1 times as large.
    EXPECT_EQ(table.cell(6, 1), "1001");
    EXPECT_EQ(table.cell(6, 4), "2002");
    for (int row = 7; row <= 8; ++row)
        EXPECT_EQ(rowOf(table, row), Row(8)) << "row " << row;
}

TEST(InitialReportTest, PopulationsOfTwoHaveNoStandardDeviation)
{
    const ComponentPopulations populations
        = { { rectangularMember(30, 45, 10), rectangularMember(31, 44, 12) } };
    const ReportTable table
        = buildReportTable(populations, NoSeries, 100, 200, ReportKind::Initial);
    ASSERT_EQ(table.columnCount(), 8);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(rowOf(table, 1), Row({ "0", "0", "30", "45", "1001", "10", "", "" }));
    EXPECT_EQ(rowOf(table, 2), Row(8));
}

TEST(InitialReportTest, NoPopulationGivesTheHeadingsOnly)
{
    const ReportTable table = buildReportTable(NoPopulations, NoSeries, 0, 0, ReportKind::Initial);
    EXPECT_EQ(table.columnCount(), 6);
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(0, 0), "component");
}

TEST(ResultingReportTest, UnscatteredRunListsEveryStepButTheLast)
{
    ComponentPopulations populations = workedExamplePopulations();
    ResultSeries series;
    RunDemagnetization(100, 100, 200, series, populations);
    const ReportTable table
        = buildReportTable(populations, series, 100, 200, ReportKind::Resulting);
    EXPECT_EQ(table.caption(), "resulting vectors");
    ASSERT_EQ(table.columnCount(), 5);
    ASSERT_EQ(table.rowCount(), 101);
    EXPECT_EQ(
        rowOf(table, 0), Row({ "Temperature", "vector", "declination", "inclination", "length" }));
    for (int row : { 1, 2, 50, 100 }) {
        SCOPED_TRACE(row);
        const TResultVectors &point = series[0][static_cast<std::size_t>(row - 1)];
        EXPECT_EQ(rowOf(table, row),
            Row({ std::to_string(row - 1), "0", formatGeneral(point.Declination()),
                formatGeneral(point.Inclination()), formatGeneral(point.Length()) }));
    }
    EXPECT_NE(table.cell(4, 100), "0") << "the step at 200 degrees, where nothing remains";
}

TEST(ResultingReportTest, ScatteredRunListsBlocksWithMeanAndDeviationInTheirFirstRow)
{
    // Four series over steps 0 to 3 starting at 500 degrees; lengths 3, 4, 5 (+ t) in the
    // listed series, 1000 in the fourth, which must never appear.
    ResultSeries series = seriesOfLengths({ 3, 4, 5, 1000 }, 3, 500);
    const ReportTable table
        = buildReportTable(NoPopulations, series, 500, 503, ReportKind::Resulting);
    ASSERT_EQ(table.columnCount(), 7);
    ASSERT_EQ(table.rowCount(), 16);
    EXPECT_EQ(table.cell(5, 0), "Mean(Length)");
    EXPECT_EQ(table.cell(6, 0), "StDev(Length)");

    const Row expected[] = {
        { "0", "0", "0", "0", "3", "4", "1" },
        { "0", "1", "0", "0", "4", "", "" },
        { "0", "2", "0", "0", "5", "", "" },
        { "1", "0", "0", "0", "4", "5", "1" },
        { "1", "1", "0", "0", "5", "", "" },
        { "1", "2", "0", "0", "6", "", "" },
        { "2", "0", "0", "0", "5", "6", "1" },
        { "2", "1", "0", "0", "6", "", "" },
        { "2", "2", "0", "0", "7", "", "" },
    };
    for (int row = 1; row <= 9; ++row)
        EXPECT_EQ(rowOf(table, row), expected[row - 1]) << "row " << row;
    for (int row = 10; row < 16; ++row)
        EXPECT_EQ(rowOf(table, row), Row(7)) << "row " << row;
}

TEST(ResultingReportTest, TwoSeriesGiveAMeanButNoDeviation)
{
    const ResultSeries series = seriesOfLengths({ 2.5, 8 }, 2, 0);
    const ReportTable table = buildReportTable(NoPopulations, series, 0, 2, ReportKind::Resulting);
    ASSERT_EQ(table.rowCount(), 6);
    EXPECT_EQ(rowOf(table, 1), Row({ "0", "0", "0", "0", "2.5", "2.5", "" }));
    EXPECT_EQ(rowOf(table, 2), Row({ "1", "0", "0", "0", "3.5", "3.5", "" }));
    EXPECT_EQ(rowOf(table, 3), Row(7));
}

TEST(ResultingReportTest, AnyKindOtherThanInitialGivesTheResultingReport)
{
    const ResultSeries series = seriesOfLengths({ 1 }, 1, 0);
    const ReportTable table
        = buildReportTable(NoPopulations, series, 0, 1, static_cast<ReportKind>(7));
    EXPECT_EQ(table.caption(), "resulting vectors");
    EXPECT_EQ(table.columnCount(), 5);
}

TEST(InitialReportTest, NumbersUseTheGivenSeparatorAndScientificNotationForTinyValues)
{
    const ComponentPopulations populations = { { rectangularMember(0.0001, 1.5e-14, 5) } };
    const ReportTable table
        = buildReportTable(populations, NoSeries, 100, 200, ReportKind::Initial, ",");
    EXPECT_EQ(rowOf(table, 1), Row({ "0", "0", "0,0001", "1,5E-14", "500,5", "5" }));
}

TEST(ResultingReportTest, MalformedRunsNeverReadPastASeries)
{
    struct Case
    {
        const char *name;
        ResultSeries series;
        std::int32_t low;
        std::int32_t high;
        int rowCount;
        int filledRows;
    };
    const Case cases[] = {
        // A single step is still listed, and the grid grows to hold it.
        { "one step", seriesOfLengths({ 7 }, 0, 20), 20, 20, 2, 2 },
        // Series holding fewer steps than the range: only the steps held are listed.
        { "short series", seriesOfLengths({ 7 }, 4, 0), 0, 10, 11, 6 },
        { "short scattered series", seriesOfLengths({ 1, 2, 3 }, 1, 0), 0, 10, 33, 5 },
        { "no series", {}, 0, 10, 1, 1 },
        { "reversed range", seriesOfLengths({ 7 }, 2, 0), 10, 0, 2, 2 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ReportTable table
            = buildReportTable(NoPopulations, c.series, c.low, c.high, ReportKind::Resulting);
        EXPECT_EQ(table.rowCount(), c.rowCount);
        int filled = 0;
        for (int row = 0; row < table.rowCount(); ++row)
            filled += table.cell(0, row).empty() ? 0 : 1;
        EXPECT_EQ(filled, c.filledRows);
    }
}

using Bytes = std::vector<std::uint8_t>;

Bytes exportedDocument(const ReportTable &table, int gridRows = -1)
{
    TSheetWriter writer;
    writer.NewDocument();
    writeReportToSheet(writer, table, gridRows);
    writer.CloseDocument();
    return writer.Document();
}

// The row, column and text of every LABEL record, in file order.
struct SheetCell
{
    int row;
    int column;
    std::string text;
    bool operator==(const SheetCell &) const = default;
};

std::vector<SheetCell> labelsOf(const Bytes &document)
{
    std::vector<SheetCell> cells;
    std::size_t offset = 0;
    while (offset + 4 <= document.size()) {
        const int number = document[offset] | (document[offset + 1] << 8);
        const std::size_t length = document[offset + 2] | (document[offset + 3] << 8);
        if (number == 0x0004) {
            const std::uint8_t *data = document.data() + offset + 4;
            cells.push_back({ data[0] | (data[1] << 8), data[2] | (data[3] << 8),
                std::string(data + 8, data + 8 + data[7]) });
        }
        offset += 4 + length;
    }
    return cells;
}

TEST(ReportExportTest, InitialReportOfTheWorkedExampleIsTheThreeHundredSixtyByteFile)
{
    const ReportTable table
        = buildReportTable(workedExamplePopulations(), NoSeries, 100, 200, ReportKind::Initial);
    const Bytes expected = {
        0x09, 0x08, 0x06, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00, // BOF
        0x00, 0x02, 0x0A, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x04,
        0x00, 0x1A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x12, 'i', 'n', 'i', 't', 'i',
        'a', 'l', ' ', 'c', 'o', 'm', 'p', 'o', 'n', 'e', 'n', 't', 's', //
        0x04, 0x00, 0x11, 0x00, 0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x09, 'c', 'o', 'm', 'p',
        'o', 'n', 'e', 'n', 't', //
        0x04, 0x00, 0x09, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x01, '0', //
        0x04, 0x00, 0x09, 0x00, 0x03, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x01, '1', //
        0x04, 0x00, 0x0E, 0x00, 0x01, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x06, 'v', 'e', 'c', 't',
        'o', 'r', //
        0x04, 0x00, 0x09, 0x00, 0x02, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x01, '0', //
        0x04, 0x00, 0x09, 0x00, 0x03, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x01, '0', //
        0x04, 0x00, 0x13, 0x00, 0x01, 0x00, 0x02, 0x00, 0x40, 0x00, 0x00, 0x0B, 'd', 'e', 'c', 'l',
        'i', 'n', 'a', 't', 'i', 'o', 'n', //
        0x04, 0x00, 0x0A, 0x00, 0x02, 0x00, 0x02, 0x00, 0x40, 0x00, 0x00, 0x02, '3', '0', //
        0x04, 0x00, 0x0B, 0x00, 0x03, 0x00, 0x02, 0x00, 0x40, 0x00, 0x00, 0x03, '2', '0', '0', //
        0x04, 0x00, 0x13, 0x00, 0x01, 0x00, 0x03, 0x00, 0x40, 0x00, 0x00, 0x0B, 'i', 'n', 'c', 'l',
        'i', 'n', 'a', 't', 'i', 'o', 'n', //
        0x04, 0x00, 0x0A, 0x00, 0x02, 0x00, 0x03, 0x00, 0x40, 0x00, 0x00, 0x02, '4', '5', //
        0x04, 0x00, 0x0B, 0x00, 0x03, 0x00, 0x03, 0x00, 0x40, 0x00, 0x00, 0x03, '-', '3', '0', //
        0x04, 0x00, 0x18, 0x00, 0x01, 0x00, 0x04, 0x00, 0x40, 0x00, 0x00, 0x10, 'l', 'e', 'n', 'g',
        't', 'h', ' ', 'o', 'f', ' ', 'v', 'e', 'c', 't', 'o', 'r', //
        0x04, 0x00, 0x0C, 0x00, 0x02, 0x00, 0x04, 0x00, 0x40, 0x00, 0x00, 0x04, '1', '0', '0', '1',
        0x04, 0x00, 0x0D, 0x00, 0x03, 0x00, 0x04, 0x00, 0x40, 0x00, 0x00, 0x05, '5', '0', '0', '.',
        '5', //
        0x04, 0x00, 0x0F, 0x00, 0x01, 0x00, 0x05, 0x00, 0x40, 0x00, 0x00, 0x07, 'h', 'e', 'i', 'g',
        'h', 't', 's', //
        0x04, 0x00, 0x0A, 0x00, 0x02, 0x00, 0x05, 0x00, 0x40, 0x00, 0x00, 0x02, '1', '0', //
        0x04, 0x00, 0x09, 0x00, 0x03, 0x00, 0x05, 0x00, 0x40, 0x00, 0x00, 0x01, '5', //
        0x0A, 0x00, 0x00, 0x00, // EOF
    };
    ASSERT_EQ(expected.size(), 360u);
    EXPECT_EQ(exportedDocument(table), expected);
}

TEST(ReportExportTest, TitleFollowsTheCaption)
{
    struct Case
    {
        const char *caption;
        const char *title;
    };
    const Case cases[] = {
        { "initial components", "initial components" },
        { "resulting vectors", "resulting vectors" },
        { "Initial Components", "resulting vectors" },
        { "", "resulting vectors" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caption);
        const ReportTable table = ReportTable::fromTexts(c.caption, 0, {});
        const std::vector<SheetCell> cells = labelsOf(exportedDocument(table));
        ASSERT_EQ(cells.size(), 1u);
        EXPECT_EQ(cells[0], (SheetCell { 0, 0, c.title }));
    }
}

TEST(ReportExportTest, EmptyCellsAreWrittenAsEmptyLabelsColumnByColumn)
{
    const ResultSeries series = seriesOfLengths({ 3, 4, 5, 6 }, 2, 0);
    const ReportTable table = buildReportTable(NoPopulations, series, 0, 2, ReportKind::Resulting);
    const std::vector<SheetCell> cells = labelsOf(exportedDocument(table));
    ASSERT_EQ(cells.size(), 1u + 7u * 12u);
    std::size_t index = 1;
    for (int column = 0; column < 7; ++column) {
        for (int row = 0; row < 12; ++row, ++index) {
            SCOPED_TRACE(testing::Message() << column << ", " << row);
            EXPECT_EQ(cells[index], (SheetCell { row + 1, column, table.cell(column, row) }));
        }
    }
    EXPECT_EQ(cells[1 + 6 * 12 + 2].text, "") << "statistics cell below a block's first row";
}

TEST(ReportExportTest, RowsBeyondTheSheetAreNeverWritten)
{
    const auto numberedRows = [](int rowCount) {
        std::vector<std::string> cells(static_cast<std::size_t>(rowCount) * 2);
        for (int row = 0; row < rowCount; ++row)
            cells[static_cast<std::size_t>(row) * 2] = std::to_string(row);
        return ReportTable::fromTexts("resulting vectors", 2, std::move(cells));
    };
    const ReportTable table = numberedRows(MaxSheetGridRows + 3);
    EXPECT_FALSE(reportFitsOnSheet(table));

    struct Case
    {
        int gridRows;
        int writtenRows;
    };
    for (const Case &c : { Case { -1, MaxSheetGridRows }, Case { 10, 10 }, Case { 0, 0 } }) {
        SCOPED_TRACE(c.gridRows);
        const std::vector<SheetCell> cells = labelsOf(exportedDocument(table, c.gridRows));
        ASSERT_EQ(cells.size(), 1u + 2u * static_cast<std::size_t>(c.writtenRows));
        if (c.writtenRows > 0) {
            const SheetCell &lastOfFirstColumn = cells[static_cast<std::size_t>(c.writtenRows)];
            EXPECT_EQ(lastOfFirstColumn,
                (SheetCell { c.writtenRows, 0, std::to_string(c.writtenRows - 1) }));
        }
    }

    EXPECT_TRUE(reportFitsOnSheet(numberedRows(MaxSheetGridRows)));
}

} // namespace
} // namespace Demagora
