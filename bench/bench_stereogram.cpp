#include "benchruns.h"

#include "diagrams/netprojection.h"
#include "diagrams/panelcanvas.h"
#include "diagrams/stereogram.h"
#include "diagrams/vectordiagram.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <array>
#include <optional>

namespace {

// The time of an iteration per point drawn, in nanoseconds.
benchmark::Counter nanosecondsPerPoint(std::size_t points)
{
    return benchmark::Counter(static_cast<double>(points) * 1e-9,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

using namespace Demagora;

// Every step of the ten-component run: about 3 million result points.
const Bench::TenComponentRun &run()
{
    static const Bench::TenComponentRun run(500);
    return run;
}

constexpr int PanelSize = 400;

// Places every point of the run the way the stereogram does, through Place (two points a
// call), and reports the processor time per point. The sum of the pixels keeps the work from being
// left out.
template <class Place> void placeEveryPoint(benchmark::State &state, Place &&place)
{
    const NetGeometry net = netGeometry(PanelSize, DiagramOptions {});
    std::size_t points = 0;
    for (auto _ : state) {
        long long sum = 0;
        for (const ResultSeriesEntry &steps : run().series) {
            for (std::size_t i = 0; i + 1 < steps.size(); i += 2) {
                const TResultVectors &a = steps[i];
                const TResultVectors &b = steps[i + 1];
                const auto places = place(net, std::array { a.X, a.Y, a.Z, a.Length() },
                    std::array { b.X, b.Y, b.Z, b.Length() });
                sum += places[0] ? places[0]->x + places[0]->y : 1;
                sum += places[1] ? places[1]->x + places[1]->y : 1;
            }
            points += steps.size() / 2 * 2;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["ns/point"] = nanosecondsPerPoint(points);
}

// The placement the stereogram uses, one point after the other.
void BM_Place(benchmark::State &state)
{
    placeEveryPoint(state, [](const NetGeometry &net, const auto &a, const auto &b) {
        return std::array { quickNetPosition(net, a[0], a[1], a[2], a[3]),
            quickNetPosition(net, b[0], b[1], b[2], b[3]) };
    });
}
BENCHMARK(BM_Place)->Unit(benchmark::kMillisecond);

// The whole operation the placement serves: the stereogram of results with every step, no
// cache, timed as the processor time of all threads (the symbols are found on every core).
void BM_ResultStereogram(benchmark::State &state)
{
    QImage image(PanelSize, PanelSize, QImage::Format_ARGB32_Premultiplied);
    DiagramViewState view;
    std::size_t points = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PanelCanvas canvas(painter, QPointF(0, 0), PanelSize, view.faceColour);
        const double before = Bench::processCpuMs();
        paintResultStereogram(
            canvas, run().series, 0, static_cast<int>(run().series.size()) - 1, 1'000'000, view);
        state.SetIterationTime((Bench::processCpuMs() - before) / 1e3);
        for (const ResultSeriesEntry &steps : run().series)
            points += steps.size();
    }
    state.counters["ns/point"] = nanosecondsPerPoint(points);
}
BENCHMARK(BM_ResultStereogram)->UseManualTime()->Unit(benchmark::kMillisecond);

// The step pixels of the vector diagram for every point of the run, through Pixels (two
// steps a call), and the processor time per point. The sum of the pixels keeps the work from
// being left out.
template <class Pixels> void stepPixelsOfEveryPoint(benchmark::State &state, Pixels &&pixels)
{
    const DiagramScales scales
        = scalesFor(2 * PanelSize + 60, maxResultLength(run().series), run().populations);
    std::size_t points = 0;
    for (auto _ : state) {
        long long sum = 0;
        for (const ResultSeriesEntry &steps : run().series) {
            for (std::size_t i = 0; i + 1 < steps.size(); i += 2) {
                for (const StepPixels &p : pixels(steps[i], steps[i + 1], scales))
                    sum += p.x.value_or(1) + p.y.value_or(1) + p.z.value_or(1) + p.zero;
            }
            points += steps.size() / 2 * 2;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["ns/point"] = nanosecondsPerPoint(points);
}

// The step pixels the vector diagram uses, one step after the other.
void BM_StepPixels(benchmark::State &state)
{
    stepPixelsOfEveryPoint(state, [](const auto &a, const auto &b, const DiagramScales &s) {
        return std::array { stepPixels(a, s.vectorScale, s.boxSize),
            stepPixels(b, s.vectorScale, s.boxSize) };
    });
}
BENCHMARK(BM_StepPixels)->Unit(benchmark::kMillisecond);

// The whole operation the step pixels serve: the vector diagram of every member, no cache,
// timed as the processor time of all threads.
void BM_VectorDiagram(benchmark::State &state)
{
    QImage image(PanelSize, PanelSize, QImage::Format_ARGB32_Premultiplied);
    DiagramViewState view;
    const DiagramScales scales
        = scalesFor(2 * PanelSize + 60, maxResultLength(run().series), run().populations);
    std::size_t points = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PanelCanvas canvas(painter, QPointF(0, 0), PanelSize, view.faceColour);
        const double before = Bench::processCpuMs();
        paintVectorDiagram(
            canvas, run().series, scales, 0, static_cast<int>(run().series.size()) - 1, view);
        state.SetIterationTime((Bench::processCpuMs() - before) / 1e3);
        for (const ResultSeriesEntry &steps : run().series)
            points += steps.size();
    }
    state.counters["ns/point"] = nanosecondsPerPoint(points);
}
BENCHMARK(BM_VectorDiagram)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return Demagora::Bench::runBenchmarks<QGuiApplication>(argc, argv);
}
