#include "diagrams/diagramrenderer.h"
#include "model/run.h"
#include "model/scatter.h"

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

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
