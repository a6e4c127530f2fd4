// Opening the result window on the largest ordinary report: 100 random points (101 series)
// over 700 degrees, about 70,000 rows in the Resulting report.
#include "model/randomsource.h"
#include "model/run.h"
#include "model/scatter.h"
#include "results/reporttable.h"
#include "results/tvresultform.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

using namespace Demagora;

struct LargeRun
{
    ComponentPopulations populations;
    ResultSeries series;
    std::int32_t low = 0;
    std::int32_t high = 700;

    LargeRun()
    {
        MersenneTwisterSource random(7);
        const double declinations[2] = { 10, 190 };
        for (int which = 0; which < 2; ++which) {
            TVector component;
            component.SigmaCount = 3;
            component.Declination = declinations[which];
            component.Inclination = which == 0 ? 40 : -40;
            component.Height = which == 0 ? 10 : 4;
            component.BlockLow = which == 0 ? 0 : 300;
            component.BlockHigh = which == 0 ? 400 : 700;
            Population population;
            ScatterComponent(component, 100, population, SpectrumShape::Gauss, true, 30, 1, random);
            populations.push_back(population);
        }
        RunDemagnetization(high - low, low, high, series, populations);
    }
};

const LargeRun &largeRun()
{
    static const LargeRun run;
    return run;
}

void BM_BuildResultingReport(benchmark::State &state)
{
    const LargeRun &run = largeRun();
    for (auto _ : state) {
        ReportTable table = buildReportTable(
            run.populations, run.series, run.low, run.high, ReportKind::Resulting);
        benchmark::DoNotOptimize(table.rowCount());
    }
}
BENCHMARK(BM_BuildResultingReport)->Unit(benchmark::kMillisecond);

// What Show result costs until the window is on screen: the table, the window, the first
// paint of the grid.
void BM_OpenResultingWindow(benchmark::State &state)
{
    const LargeRun &run = largeRun();
    for (auto _ : state) {
        TvResultForm form(buildReportTable(
            run.populations, run.series, run.low, run.high, ReportKind::Resulting));
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.grab());
        state.counters["rows"] = form.table().rowCount();
    }
}
BENCHMARK(BM_OpenResultingWindow)->Unit(benchmark::kMillisecond);

// Scrolling: jumping to the end of the grid and painting it again.
void BM_ScrollResultingWindow(benchmark::State &state)
{
    const LargeRun &run = largeRun();
    TvResultForm form(
        buildReportTable(run.populations, run.series, run.low, run.high, ReportKind::Resulting));
    form.show();
    QApplication::processEvents();
    auto *view = form.findChild<QTableView *>(QStringLiteral("SG_result"));
    bool atEnd = false;
    for (auto _ : state) {
        if (atEnd)
            view->scrollToTop();
        else
            view->scrollToBottom();
        atEnd = !atEnd;
        benchmark::DoNotOptimize(view->viewport()->grab());
    }
}
BENCHMARK(BM_ScrollResultingWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
