#include "benchruns.h"

#include "diagrams/diagramrenderer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using namespace Demagora;

// A scattered run as the diagram window receives it: three components of 101 members each,
// 701 steps from 20 to 720 degrees.
struct ScatteredRun
{
    ComponentPopulations populations;
    ResultSeries series;

    ScatteredRun()
    {
        MersenneTwisterSource random(20261207);
        const struct
        {
            double declination, inclination, height, low, high;
            SpectrumShape shape;
        } components[] = {
            { 10, 45, 8, 20, 400, SpectrumShape::Gauss },
            { 190, -30, 3, 300, 580, SpectrumShape::Rectangular },
            { 100, 60, 6, 500, 720, SpectrumShape::Gauss },
        };
        for (const auto &c : components) {
            TVector v;
            v.SigmaCount = 3;
            v.Declination = c.declination;
            v.Inclination = c.inclination;
            v.Height = c.height;
            v.BlockLow = c.low;
            v.BlockHigh = c.high;
            v.Shape = c.shape;
            Population population;
            ScatterComponent(v, 100, population, c.shape, true, 30, 1, random);
            populations.push_back(population);
        }
        RunDemagnetization(700, 20, 720, series, populations);
    }
};

const ScatteredRun &scatteredRun()
{
    static const ScatteredRun run;
    return run;
}

void paintScatteredRun(benchmark::State &state, DisplayMode mode)
{
    const ScatteredRun &run = scatteredRun();
    const DiagramRenderer renderer(run.series, run.populations, 20, 700);
    DiagramViewState view;
    view.mode = mode;
    view.showTemperatures = true;
    view.showLegend = true;
    QImage image(700, 724, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        renderer.paint(painter, QRectF(0, 0, 700, 724), view);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_RepaintMultiple(benchmark::State &state)
{
    paintScatteredRun(state, DisplayMode::Multiple);
}
BENCHMARK(BM_RepaintMultiple)->Unit(benchmark::kMillisecond);

void BM_RepaintSingle(benchmark::State &state)
{
    paintScatteredRun(state, DisplayMode::Single);
}
BENCHMARK(BM_RepaintSingle)->Unit(benchmark::kMillisecond);

// Scenario H: 10 Gauss components spread over 0 to 700 degrees, each scattered into 101
// members, 701 steps; repainted at the window's width of 700.
struct ScenarioH
{
    ComponentPopulations populations;
    ResultSeries series;

    ScenarioH()
    {
        MersenneTwisterSource random(20261207);
        const double width = 700.0 / 10 * 2;
        const double stride = (700 - width) / 9;
        for (int i = 0; i < 10; ++i) {
            TVector component;
            component.SigmaCount = 3;
            component.Declination = 37.0 * i;
            component.Inclination = 60 - 12.0 * i;
            component.Height = 5 + i;
            component.BlockLow = stride * i;
            component.BlockHigh = stride * i + width;
            Population population;
            ScatterComponent(component, 100, population, SpectrumShape::Gauss, true, 30, 2, random);
            populations.push_back(std::move(population));
        }
        RunDemagnetization(700, 0, 700, series, populations);
    }
};

void BM_RepaintScenarioH(benchmark::State &state)
{
    static const ScenarioH run;
    const DiagramRenderer renderer(run.series, run.populations, 0, 700);
    const DiagramViewState view;
    QImage image(700, 724, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        renderer.paint(painter, QRectF(0, 0, 700, 724), view);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RepaintScenarioH)->Unit(benchmark::kMillisecond);

// The diagram window's large run at a tenth of its size: 10 components of 5,001 members each
// (the huge run has 50,001), 0 to 600 degrees, 3 million result points at width 700.
const Bench::TenComponentRun &largeScatter()
{
    static const Bench::TenComponentRun run(5000);
    return run;
}

void BM_RepaintLargeScatter(benchmark::State &state)
{
    const Bench::TenComponentRun &run = largeScatter();
    const DiagramRenderer renderer(run.series, run.populations, 0, 600);
    const DiagramViewState view;
    QImage image(700, 724, QImage::Format_RGB32);
    // The first paint also finds the start directions, once for the window's life.
    {
        QPainter painter(&image);
        renderer.paint(painter, QRectF(0, 0, 700, 724), view);
    }
    for (auto _ : state) {
        QPainter painter(&image);
        renderer.paint(painter, QRectF(0, 0, 700, 724), view);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RepaintLargeScatter)->Unit(benchmark::kMillisecond);

// The first picture of the same run: every point traced and placed, the start directions
// summed, nothing cached from an earlier paint.
void BM_FirstPaintLargeScatter(benchmark::State &state)
{
    const Bench::TenComponentRun &run = largeScatter();
    const DiagramViewState view;
    QImage image(700, 724, QImage::Format_RGB32);
    const double before = Bench::processCpuMs();
    for (auto _ : state) {
        const DiagramRenderer renderer(run.series, run.populations, 0, 600);
        QPainter painter(&image);
        renderer.paint(painter, QRectF(0, 0, 700, 724), view);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["processCpuMs"] = benchmark::Counter(
        (Bench::processCpuMs() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FirstPaintLargeScatter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return Demagora::Bench::runBenchmarks<QGuiApplication>(argc, argv);
}
