// Opening the result window on the largest ordinary report: 100 random points (101 series)
// over 700 degrees, about 70,000 rows in the Resulting report; and on the largest run the
// program accepts, 50 million result points.
#include "model/randomsource.h"
#include "model/run.h"
#include "model/scatter.h"
#include "results/reporttable.h"
#include "results/tvresultform.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>

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

// The largest run the program accepts: 10 members over 5,000,000 steps less one, 50 million
// result points. The points are made up: the table reads them, it does not care how they came.
struct HugeRun
{
    ComponentPopulations populations;
    ResultSeries series;
    std::int32_t low = 0;
    std::int32_t high = 4'999'999;

    HugeRun()
    {
        const std::size_t members = 10;
        const std::size_t steps = static_cast<std::size_t>(high - low) + 1;
        series.resize(members);
        for (std::size_t v = 0; v < members; ++v) {
            ResultSeriesEntry &entry = series[v];
            entry.resize(steps);
            for (std::size_t t = 0; t < steps; ++t) {
                TResultVectors &point = entry[t];
                point.Temperature = static_cast<double>(t);
                point.X = 1.0 / (1.0 + static_cast<double>(t) + static_cast<double>(v));
                point.Y = 0.5 * point.X;
                point.Z = 0.25 * static_cast<double>(v);
            }
        }
    }

    std::size_t pointCount() const { return series.size() * series.front().size(); }
};

// The resident memory of this process in bytes.
double residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0;
}

// Show result on 50 million result points: from the click to the window painted on screen.
// Counters: the memory the open window adds, as a share of the results' own memory, and the
// time a jump to the end and back takes to repaint.
void BM_OpenHugeResultingWindow(benchmark::State &state)
{
    static const HugeRun run;
    const double resultBytes = static_cast<double>(run.pointCount() * sizeof(TResultVectors));
    for (auto _ : state) {
        const double before = residentBytes();
        TvResultForm form(buildReportTable(
            run.populations, run.series, run.low, run.high, ReportKind::Resulting));
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.grab());
        state.PauseTiming();
        state.counters["points"] = static_cast<double>(run.pointCount());
        state.counters["memoryShare"] = (residentBytes() - before) / resultBytes;
        auto *view = form.findChild<QTableView *>(QStringLiteral("SG_result"));
        double slowestMs = 0;
        for (int jump = 0; jump < 4; ++jump) {
            const auto start = std::chrono::steady_clock::now();
            // A large table is paged: its own scroll bar moves over the rows.
            auto *rows = form.findChild<QScrollBar *>(QStringLiteral("SB_rows"));
            if (rows)
                rows->setValue(jump % 2 == 0 ? rows->maximum() : rows->minimum());
            else if (jump % 2 == 0)
                view->scrollToBottom();
            else
                view->scrollToTop();
            benchmark::DoNotOptimize(view->viewport()->grab());
            const std::chrono::duration<double, std::milli> took
                = std::chrono::steady_clock::now() - start;
            slowestMs = std::max(slowestMs, took.count());
        }
        state.counters["scrollRepaintMs"] = slowestMs;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenHugeResultingWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

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
