#include "results/tvresultform.h"

#include "results/resultwindow.h"

#include "modalscript.h"
#include "resultfixtures.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace Demagora {
namespace {

QTableView *grid(TvResultForm &form)
{
    return form.findChild<QTableView *>(QStringLiteral("SG_result"));
}

QPushButton *exportButton(TvResultForm &form)
{
    return form.findChild<QPushButton *>(QStringLiteral("btn_export"));
}

// The text the window shows at grid cell (column, row), row 0 being the headings.
QString shownCell(TvResultForm &form, int column, int row)
{
    const QAbstractItemModel *model = grid(form)->model();
    if (row == 0)
        return model->headerData(column, Qt::Horizontal).toString();
    return model->index(row - 1, column).data().toString();
}

int shownRowCount(TvResultForm &form)
{
    return grid(form)->model()->rowCount() + 1;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The Initial report of the two unscattered components, exported under the default name.
const QByteArray WorkedExampleFile
    = QByteArray::fromHex("09080600000210000000"
                          "00020A000000FFFF000000010000"
                          "04001A000000000040000012696E697469616C20636F6D706F6E656E7473"
                          "040011000100000040000009636F6D706F6E656E74"
                          "04000900020000004000000130"
                          "04000900030000004000000131"
                          "04000E000100010040000006766563746F72"
                          "04000900020001004000000130"
                          "04000900030001004000000130"
                          "04001300010002004000000B6465636C696E6174696F6E"
                          "04000A0002000200400000023330"
                          "04000B000300020040000003323030"
                          "04001300010003004000000B696E636C696E6174696F6E"
                          "04000A0002000300400000023435"
                          "04000B0003000300400000032D3330"
                          "0400180001000400400000106C656E677468206F6620766563746F72"
                          "04000C00020004004000000431303031"
                          "04000D0003000400400000053530302E35"
                          "04000F00010005004000000768656967687473"
                          "04000A0002000500400000023130"
                          "04000900030005004000000135"
                          "0A000000");

// Reads a worksheet with xlrd and returns its size and its cells as JSON.
QJsonObject readWithXlrd(const QString &path)
{
    const QString script = QStringLiteral(DEMAGORA_READ_SHEET_SCRIPT);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), { script, QStringLiteral("--json"), path });
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "xlrd could not read the file: "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

class TvResultFormTest : public testing::Test
{
protected:
    const Testing::RunFixture plainRun;
};

TEST_F(TvResultFormTest, InitialReportShowsTheComponents)
{
    TvResultForm form(plainRun.report(ReportKind::Initial));
    EXPECT_EQ(form.windowTitle(), "initial components");
    ASSERT_EQ(grid(form)->model()->columnCount(), 6);
    ASSERT_EQ(shownRowCount(form), 3);
    const char *expected[3][6] = {
        { "component", "vector", "declination", "inclination", "length of vector", "heights" },
        { "0", "0", "30", "45", "1001", "10" },
        { "1", "0", "200", "-30", "500.5", "5" },
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 6; ++column) {
            SCOPED_TRACE(testing::Message() << "row " << row << " column " << column);
            EXPECT_EQ(shownCell(form, column, row), expected[row][column]);
        }
    }
}

TEST_F(TvResultFormTest, ResultingReportListsEveryStepButTheLast)
{
    const ReportTable table = plainRun.report(ReportKind::Resulting);
    TvResultForm form(table);
    EXPECT_EQ(form.windowTitle(), "resulting vectors");
    ASSERT_EQ(grid(form)->model()->columnCount(), 5);
    ASSERT_EQ(shownRowCount(form), 101);
    EXPECT_EQ(shownCell(form, 0, 0), "Temperature");
    EXPECT_EQ(shownCell(form, 4, 0), "length");
    // Steps, not degrees: the run starts at 100 degrees.
    EXPECT_EQ(shownCell(form, 0, 1), "0");
    EXPECT_EQ(shownCell(form, 0, 100), "99");
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) {
            SCOPED_TRACE(testing::Message() << "row " << row << " column " << column);
            EXPECT_EQ(shownCell(form, column, row).toStdString(), table.cell(column, row));
        }
    }
}

TEST_F(TvResultFormTest, ScatteredReportsShowStatisticsAndEmptyTrailingRows)
{
    const Testing::RunFixture scattered(3);
    TvResultForm initial(scattered.report(ReportKind::Initial));
    ASSERT_EQ(grid(initial)->model()->columnCount(), 8);
    ASSERT_EQ(shownRowCount(initial), 9);
    EXPECT_EQ(shownCell(initial, 6, 0), "StDev(lengths)");
    EXPECT_NE(shownCell(initial, 6, 1), "");
    EXPECT_EQ(shownCell(initial, 6, 2), "");
    EXPECT_EQ(shownCell(initial, 0, 7), "");

    TvResultForm resulting(scattered.report(ReportKind::Resulting));
    ASSERT_EQ(grid(resulting)->model()->columnCount(), 7);
    EXPECT_EQ(shownRowCount(resulting), 404);
    EXPECT_EQ(shownCell(resulting, 5, 0), "Mean(Length)");
    EXPECT_EQ(shownCell(resulting, 0, 300), "99");
    EXPECT_EQ(shownCell(resulting, 0, 301), "");
}

TEST_F(TvResultFormTest, LayoutFollowsTheWindowWidth)
{
    TvResultForm form(plainRun.report(ReportKind::Resulting));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.size(), QSize(739, 559));
    EXPECT_EQ(exportButton(form)->geometry(), QRect(672, 8, 39, 41));
    // The button lies over the grid, not under it.
    EXPECT_EQ(form.childAt(690, 28), exportButton(form));
    QHeaderView *header = grid(form)->horizontalHeader();
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(header->sectionSize(column), 82);

    // A column the user widened keeps its width; the others follow the window.
    EXPECT_EQ(header->sectionResizeMode(2), QHeaderView::Interactive);
    header->resizeSection(2, 200);
    form.resize(1000, 600);
    EXPECT_EQ(exportButton(form)->geometry(), QRect(933, 8, 39, 41));
    EXPECT_EQ(grid(form)->geometry(), QRect(0, 0, 1000, 600));
    for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(header->sectionSize(column), column == 2 ? 200 : 115);
    }

    form.resize(500, 600);
    EXPECT_EQ(form.width(), 739);
}

// Texts too long for their columns show whole in tool tips, headings included.
TEST_F(TvResultFormTest, CutTextsShowWholeInToolTips)
{
    const Testing::RunFixture scattered(3);
    TvResultForm form(scattered.report(ReportKind::Resulting));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QAbstractItemModel *model = grid(form)->model();
    ASSERT_EQ(model->headerData(6, Qt::Horizontal).toString(), "StDev(Length)");
    EXPECT_EQ(model->headerData(6, Qt::Horizontal, Qt::ToolTipRole).toString(), "StDev(Length)");
    const QModelIndex cell = model->index(0, 6);
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), cell.data().toString());

    QHeaderView *header = grid(form)->horizontalHeader();
    const QPoint inHeading(header->sectionViewportPosition(6) + 5, header->height() / 2);
    QHelpEvent help(QEvent::ToolTip, inHeading, header->viewport()->mapToGlobal(inHeading));
    QCoreApplication::sendEvent(header->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), "StDev(Length)");
}

// The Initial report of a large scattered run sums every member's spectrum: the window that
// shows it must not freeze meanwhile. The call returns at once; the user-interface thread
// handles events under the busy cursor while the window drops the user's keys; the table is
// the one built in place.
TEST(TvResultFormWaitTest, LargeInitialReportIsBuiltWhileTheWindowsPaint)
{
    ComponentPopulations populations(2);
    for (int m = 0; m < 40000; ++m) {
        populations[0].push_back(Testing::component(m % 360, 10, 1 + m % 7, 0, 580));
        populations[1].push_back(Testing::component(90, -m % 90, 2 + m % 3, 20, 560));
    }
    const ResultSeries series;
    QWidget window;
    QLineEdit box(&window);
    window.show();
    std::optional<ReportTable> waited;
    buildReportTableThen(&window, populations, series, 0, 580, ReportKind::Initial, ",",
        [&](ReportTable table) { waited = std::move(table); });
    ASSERT_FALSE(waited.has_value());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTest::keyClicks(&box, "typed");
    QTRY_VERIFY_WITH_TIMEOUT(waited.has_value(), 60000);
    EXPECT_EQ(box.text(), "");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const ReportTable direct
        = buildReportTable(populations, series, 0, 580, ReportKind::Initial, ",");
    ASSERT_EQ(waited->rowCount(), direct.rowCount());
    for (int row : { 1, 2, 39999, 40000, 79998 }) {
        for (int column = 0; column < direct.columnCount(); ++column)
            EXPECT_EQ(waited->cell(column, row), direct.cell(column, row)) << row << "," << column;
    }
}

// A table of more rows than the grid is given at once: the grid holds a page of rows and the
// window's scroll bar, its wheel, Page Down and Ctrl+End move the page over every row, each
// shown row the table's own text.
TEST(TvResultFormPagedTest, LargeTableIsShownAPageAtATime)
{
    const int steps = TvResultForm::PagedRowThreshold + 2001;
    ResultSeries series(1);
    for (int t = 0; t < steps; ++t) {
        TResultVectors point;
        point.Temperature = t;
        point.X = 1.0 / (1 + t);
        point.Y = -0.5 * t;
        series[0].push_back(point);
    }
    const ComponentPopulations populations;
    TvResultForm form(buildReportTable(populations, series, 0, steps - 1, ReportKind::Resulting));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const ReportTable &table = form.table();
    auto *rows = form.findChild<QScrollBar *>(QStringLiteral("SB_rows"));
    ASSERT_NE(rows, nullptr);
    const int page = grid(form)->model()->rowCount();
    EXPECT_GT(page, 5);
    EXPECT_LT(page, 100);
    EXPECT_EQ(grid(form)->verticalHeader()->count(), page);
    const auto expectPageFrom = [&](int first) {
        SCOPED_TRACE(first);
        ASSERT_GE(grid(form)->model()->rowCount(), rows->pageStep());
        for (int row = 0; row < grid(form)->model()->rowCount(); ++row) {
            for (const int column : { 0, 2, 4 }) {
                EXPECT_EQ(grid(form)->model()->index(row, column).data().toString().toStdString(),
                    table.cell(column, first + row + 1));
            }
        }
    };
    expectPageFrom(0);

    QTest::keyClick(grid(form), Qt::Key_PageDown);
    EXPECT_EQ(rows->value(), rows->pageStep());
    expectPageFrom(rows->pageStep());

    QWheelEvent wheel(QPointF(50, 50), grid(form)->viewport()->mapToGlobal(QPointF(50, 50)),
        QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid(form)->viewport(), &wheel);
    EXPECT_GT(rows->value(), rows->pageStep());
    expectPageFrom(rows->value());

    QTest::keyClick(grid(form), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(rows->value(), rows->maximum());
    // At the end the table's last row is the last whole row of the grid.
    EXPECT_EQ(rows->maximum() + rows->pageStep(), table.rowCount() - 1);
    expectPageFrom(rows->maximum());
    EXPECT_EQ(grid(form)->model()->rowCount(), rows->pageStep());
}

class TvResultFormExportTest : public TvResultFormTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_previousFolder = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_folder.path()));
    }
    void TearDown() override { QDir::setCurrent(m_previousFolder); }

    // The form's file dialog answers with names, one per export; empty means cancelled.
    std::unique_ptr<TvResultForm> form(ReportTable table, QStringList names)
    {
        auto result = std::make_unique<TvResultForm>(std::move(table));
        auto remaining = std::make_shared<QStringList>(std::move(names));
        result->setChooseExportFile([remaining](QWidget *) {
            return remaining->isEmpty() ? QString() : remaining->takeFirst();
        });
        result->show();
        return result;
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    Testing::ScriptedPrompts m_prompts;
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

TEST_F(TvResultFormExportTest, DefaultNameWritesTheWorkedExampleByteForByte)
{
    ASSERT_EQ(WorkedExampleFile.size(), 360);
    auto window = form(plainRun.report(ReportKind::Initial), { QStringLiteral("result.xls") });
    exportButton(*window)->click();
    EXPECT_EQ(fileBytes(path(QStringLiteral("result.xls"))).toHex().toStdString(),
        WorkedExampleFile.toHex().toStdString());
    EXPECT_FALSE(exportButton(*window)->isEnabled());
    EXPECT_TRUE(m_prompts.errors.isEmpty());
}

TEST_F(TvResultFormExportTest, ExportThroughTheChooseFileDialog)
{
    TvResultForm window(plainRun.report(ReportKind::Initial));
    window.show();
    Testing::ModalScript script([](Tfrm_chooseFile &dialog) {
        dialog.findChild<QPushButton *>(QStringLiteral("btn_choose"))->click();
    });
    exportButton(window)->click();
    EXPECT_EQ(fileBytes(path(QStringLiteral("result.xls"))), WorkedExampleFile);
}

TEST_F(TvResultFormExportTest, ExistingFileIsReplacedOnlyWhenTheUserAgrees)
{
    QFile old(path(QStringLiteral("result.xls")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    auto window = form(plainRun.report(ReportKind::Initial),
        { QStringLiteral("result.xls"), QStringLiteral("result.xls") });
    m_prompts.answers = { Prompts::Answer::No, Prompts::Answer::Yes };
    exportButton(*window)->click();
    EXPECT_EQ(m_prompts.questions, QStringList { "result.xls already exists. Replace it?" });
    EXPECT_EQ(fileBytes(path(QStringLiteral("result.xls"))), QByteArray(5000, 'x'));
    // Declined: the user may try another name.
    EXPECT_TRUE(exportButton(*window)->isEnabled());

    exportButton(*window)->click();
    EXPECT_EQ(fileBytes(path(QStringLiteral("result.xls"))), WorkedExampleFile);
    EXPECT_TRUE(m_prompts.warnings.isEmpty());
    EXPECT_TRUE(m_prompts.errors.isEmpty());
}

TEST_F(TvResultFormExportTest, OpenScenarioIsNeverReplaced)
{
    const QString scenario = path(QStringLiteral("saved1.xls"));
    QFile file(scenario);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{}");
    file.close();
    auto window = form(plainRun.report(ReportKind::Initial), { QStringLiteral("saved1.xls") });
    window->setOpenScenario(scenario);
    exportButton(*window)->click();
    ASSERT_EQ(m_prompts.errors.size(), 1);
    EXPECT_TRUE(m_prompts.errors[0].contains("that is the open scenario"))
        << m_prompts.errors[0].toStdString();
    EXPECT_TRUE(m_prompts.questions.isEmpty());
    EXPECT_EQ(fileBytes(scenario), "{}");
    EXPECT_TRUE(exportButton(*window)->isEnabled());
}

TEST_F(TvResultFormExportTest, OtherExtensionsBecomeXls)
{
    const struct
    {
        QString typed;
        QString written;
    } cases[] = { { "result", "result.XLS" }, { "report.txt", "report.XLS" },
        { "Cores.Xls", "Cores.Xls" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        auto window = form(plainRun.report(ReportKind::Resulting), { c.typed });
        exportButton(*window)->click();
        EXPECT_TRUE(QFile::exists(path(c.written)));
        if (c.typed != c.written) {
            EXPECT_FALSE(QFile::exists(path(c.typed)));
        }
    }
}

TEST_F(TvResultFormExportTest, CancelledDialogLeavesExportEnabled)
{
    auto window = form(plainRun.report(ReportKind::Initial), { QString(), "again.xls" });
    exportButton(*window)->click();
    EXPECT_TRUE(exportButton(*window)->isEnabled());
    EXPECT_TRUE(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());

    exportButton(*window)->click();
    EXPECT_FALSE(exportButton(*window)->isEnabled());
    EXPECT_EQ(fileBytes(path(QStringLiteral("again.xls"))), WorkedExampleFile);
}

TEST_F(TvResultFormExportTest, FailedSaveReportsTheErrorAndDisablesExport)
{
    const QString target = path(QStringLiteral("missing/result.xls"));
    auto window = form(plainRun.report(ReportKind::Initial), { target });
    exportButton(*window)->click();
    ASSERT_EQ(m_prompts.errors.size(), 1);
    const QString message = m_prompts.errors.first();
    const QString start = QStringLiteral("Cannot create file \"%1\". ").arg(target);
    EXPECT_TRUE(message.startsWith(start)) << message.toStdString();
    EXPECT_GT(message.size(), start.size() + 1) << "the system's reason is missing";
    EXPECT_TRUE(message.endsWith(QLatin1Char('.')));
    EXPECT_FALSE(exportButton(*window)->isEnabled());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(TvResultFormExportTest, ScatteredReportReadsBackCellForCell)
{
    const Testing::RunFixture scattered(3);
    for (ReportKind kind : { ReportKind::Initial, ReportKind::Resulting }) {
        SCOPED_TRACE(static_cast<int>(kind));
        const ReportTable table = scattered.report(kind);
        auto window = form(table, { QStringLiteral("scattered.xls") });
        exportButton(*window)->click();
        ASSERT_TRUE(m_prompts.errors.isEmpty());

        const QJsonObject sheet = readWithXlrd(path(QStringLiteral("scattered.xls")));
        ASSERT_EQ(sheet.value("nrows").toInt(), table.rowCount() + 1);
        EXPECT_EQ(sheet.value("ncols").toInt(), table.columnCount());
        // Every cell is text, the empty ones included.
        EXPECT_EQ(sheet.value("types").toArray(), QJsonArray { 1 });
        const QJsonArray rows = sheet.value("cells").toArray();
        ASSERT_EQ(rows.at(0).toArray().size(), 1);
        EXPECT_EQ(rows.at(0).toArray().at(0).toString().toStdString(), table.caption());
        for (int row = 0; row < table.rowCount(); ++row) {
            const QJsonArray cells = rows.at(row + 1).toArray();
            ASSERT_EQ(cells.size(), table.columnCount()) << "row " << row;
            for (int column = 0; column < table.columnCount(); ++column)
                EXPECT_EQ(cells.at(column).toString().toStdString(), table.cell(column, row))
                    << "row " << row << " column " << column;
        }
    }
}

// A table of one more row than the worksheet can hold, each cell naming its row.
std::vector<std::string> numberedCells(int rowCount)
{
    std::vector<std::string> cells;
    cells.reserve(static_cast<std::size_t>(rowCount) * 2);
    for (int row = 0; row < rowCount; ++row) {
        cells.push_back("r" + std::to_string(row));
        cells.push_back(row % 2 ? "odd" : "");
    }
    return cells;
}

ReportTable oversizedTable()
{
    return ReportTable::fromTexts("resulting vectors", 2, numberedCells(65535));
}

TEST_F(TvResultFormExportTest, OversizedTableIsCutOnlyWhenTheUserAgrees)
{
    const ReportTable table = oversizedTable();
    auto window = form(table, { QStringLiteral("big.xls"), QString(), QStringLiteral("big.xls") });

    m_prompts.answers = { Prompts::Answer::Cancel };
    exportButton(*window)->click();
    ASSERT_EQ(m_prompts.warnings.size(), 1);
    EXPECT_TRUE(m_prompts.warnings.first().contains(QStringLiteral("65534")));
    EXPECT_TRUE(m_prompts.warnings.first().contains(QStringLiteral("65535")));
    EXPECT_TRUE(exportButton(*window)->isEnabled());

    // After the refusal the file dialog is cancelled: still nothing is written.
    exportButton(*window)->click();
    EXPECT_EQ(m_prompts.warnings.size(), 1);
    EXPECT_TRUE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(exportButton(*window)->isEnabled());

    m_prompts.answers = { Prompts::Answer::Ok };
    exportButton(*window)->click();
    EXPECT_EQ(m_prompts.warnings.size(), 2);
    EXPECT_FALSE(exportButton(*window)->isEnabled());
    const QJsonObject sheet = readWithXlrd(path(QStringLiteral("big.xls")));
    // The title and the grid rows 0 to 65533; the sheet's last row number is 65535.
    ASSERT_EQ(sheet.value("nrows").toInt(), 65535);
    const QJsonArray rows = sheet.value("cells").toArray();
    const QJsonArray last = rows.at(65534).toArray();
    ASSERT_EQ(last.size(), 2);
    EXPECT_EQ(last.at(0).toString(), "r65533");
    EXPECT_EQ(last.at(1).toString(), "odd");
    EXPECT_EQ(rows.at(1).toArray().at(0).toString(), "r0");
}

TEST_F(TvResultFormExportTest, TableThatFitsExactlyIsWrittenWithoutAsking)
{
    const std::vector<std::string> cells = numberedCells(65534);
    const ReportTable table = ReportTable::fromTexts("resulting vectors", 2, cells);
    auto window = form(table, { QStringLiteral("full.xls") });
    exportButton(*window)->click();
    EXPECT_TRUE(m_prompts.warnings.isEmpty());
    // BOF, DIMENSIONS, the title, every cell and EOF.
    qint64 expectedSize = 10 + 14 + (12 + 17) + 4;
    for (const std::string &cell : cells)
        expectedSize += 12 + static_cast<qint64>(cell.size());
    EXPECT_EQ(QFileInfo(path(QStringLiteral("full.xls"))).size(), expectedSize);
}

} // namespace
} // namespace Demagora
