#include "results/resulttablemodel.h"

#include "resultfixtures.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace Demagora {
namespace {

// Collects what QAbstractItemModelTester complains about instead of aborting the run.
class ModelTesterLog
{
public:
    ModelTesterLog() { previous = qInstallMessageHandler(&ModelTesterLog::record); }
    ~ModelTesterLog() { qInstallMessageHandler(previous); }

    static inline QStringList messages;

private:
    static void record(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            messages << message;
    }
    QtMessageHandler previous = nullptr;
};

ReportTable smallTable()
{
    return ReportTable::fromTexts("resulting vectors", 3,
        { "Temperature", "vector", "length", //
            "0", "0", "1.5", //
            "1", "0", "", //
            "2", "0", "1E-5" });
}

TEST(ResultTableModelTest, PassesTheModelTesterOnRealReports)
{
    const Testing::RunFixture run(3);
    for (ReportKind kind : { ReportKind::Initial, ReportKind::Resulting }) {
        SCOPED_TRACE(static_cast<int>(kind));
        ModelTesterLog log;
        ModelTesterLog::messages.clear();
        ResultTableModel model(run.report(kind));
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::Warning);
        EXPECT_TRUE(ModelTesterLog::messages.isEmpty())
            << ModelTesterLog::messages.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(ResultTableModelTest, HeadingRowIsTheHeaderAndDataRowsFollow)
{
    ResultTableModel model(smallTable());
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Temperature");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "length");
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), "1.5");
    EXPECT_EQ(model.data(model.index(1, 2)).toString(), "");
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), "2");
    EXPECT_EQ(model.data(model.index(2, 2)).toString(), "1E-5");
    // A table model has no children.
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.columnCount(model.index(0, 0)), 0);
}

TEST(ResultTableModelTest, CellsAreReadOnly)
{
    ResultTableModel model(smallTable());
    const QModelIndex cell = model.index(0, 2);
    EXPECT_FALSE(model.flags(cell).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model.setData(cell, QStringLiteral("2")));
    EXPECT_EQ(model.data(cell).toString(), "1.5");
}

TEST(ResultTableModelTest, TableWithOnlyHeadingsHasNoRows)
{
    const ReportTable table = ReportTable::fromTexts("", 2, { "a", "b" });
    ResultTableModel model(table);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "b");
}

} // namespace
} // namespace Demagora
