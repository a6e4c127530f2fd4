#include "results/reporttable.h"

#include "model/run.h"
#include "referencereport.h"
#include "resultfixtures.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

// Every cell of the table formed on demand equals the cell the up-front builder wrote, read
// row by row as the batch writes and column by column as the export writes.
void expectSameCells(const ReportTable &table, const Testing::ReferenceReport &reference)
{
    EXPECT_EQ(table.caption(), reference.caption);
    ASSERT_EQ(table.columnCount(), reference.columnCount);
    ASSERT_EQ(table.rowCount(), reference.rowCount);
    int differences = 0;
    for (int row = 0; row < reference.rowCount && differences < 10; ++row) {
        for (int column = 0; column < reference.columnCount; ++column) {
            if (table.cell(column, row) != reference.cell(column, row)) {
                ++differences;
                ADD_FAILURE() << "cell (" << column << ", " << row << "): \""
                              << table.cell(column, row) << "\" instead of \""
                              << reference.cell(column, row) << "\"";
            }
        }
    }
    for (int column = reference.columnCount - 1; column >= 0 && differences < 10; --column) {
        for (int row = reference.rowCount - 1; row >= 0; --row) {
            if (table.cell(column, row) != reference.cell(column, row)) {
                ++differences;
                ADD_FAILURE() << "read backwards, cell (" << column << ", " << row << ")";
                break;
            }
        }
    }
}

struct RunCase
{
    const char *name;
    int randomPoints;
    const char *separator;
};

void PrintTo(const RunCase &c, std::ostream *out)
{
    *out << c.name;
}

class OnDemandReportTest : public testing::TestWithParam<RunCase>
{ };

TEST_P(OnDemandReportTest, EveryCellEqualsTheUpFrontBuilder)
{
    const RunCase &c = GetParam();
    const Testing::RunFixture run(c.randomPoints);
    for (const ReportKind kind : { ReportKind::Initial, ReportKind::Resulting }) {
        SCOPED_TRACE(kind == ReportKind::Initial ? "Initial" : "Resulting");
        expectSameCells(
            buildReportTable(run.populations, run.series, run.low, run.high, kind, c.separator),
            Testing::buildReferenceReport(
                run.populations, run.series, run.low, run.high, kind, c.separator));
    }
}

// The worked examples (unscattered, and three random points each), a two-member population
// whose blocks have no deviation, and a scattered run of many members.
INSTANTIATE_TEST_SUITE_P(Runs, OnDemandReportTest,
    testing::Values(RunCase { "workedExample", 0, "." }, RunCase { "workedExampleComma", 0, "," },
        RunCase { "threeRandomPoints", 3, "." }, RunCase { "oneRandomPoint", 1, "," },
        RunCase { "scattered", 40, "." }),
    [](const testing::TestParamInfo<RunCase> &info) { return std::string(info.param.name); });

// More blocks than the statistics cache holds, read so that blocks sharing a cache slot follow
// one another: each block's statistics must still be its own.
TEST(OnDemandReportCacheTest, BlocksSharingACacheSlotKeepTheirOwnStatistics)
{
    ResultSeries series(3);
    const int steps = 9000;
    for (int v = 0; v < 3; ++v) {
        for (int t = 0; t <= steps; ++t) {
            TResultVectors point;
            point.Temperature = t;
            point.X = 1 + v * 0.5 + t * 0.001;
            point.Y = (t % 7) * 0.25 * v;
            series[static_cast<std::size_t>(v)].push_back(point);
        }
    }
    const ComponentPopulations noPopulations;
    const ReportTable table
        = buildReportTable(noPopulations, series, 0, steps, ReportKind::Resulting);
    const Testing::ReferenceReport reference
        = Testing::buildReferenceReport(noPopulations, series, 0, steps, ReportKind::Resulting);
    ASSERT_EQ(table.rowCount(), reference.rowCount);
    for (const int stride : { 1, 2048, 4096, 2049 }) {
        SCOPED_TRACE(stride);
        for (int start = 0; start < 3; ++start) {
            for (int block = start; block < steps; block += stride) {
                const int row = 1 + block * 2;
                ASSERT_EQ(table.cell(5, row), reference.cell(5, row)) << "block " << block;
                ASSERT_EQ(table.cell(6, row), reference.cell(6, row)) << "block " << block;
            }
        }
    }
}

} // namespace
} // namespace Demagora
