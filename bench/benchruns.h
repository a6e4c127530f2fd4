#pragma once

// The set-up the picture benchmarks share: the ten-component run the diagram window is timed
// on, the processor time of the whole process, and the main function under an application
// object on the offscreen platform.

#include "model/randomsource.h"
#include "model/run.h"
#include "model/scatter.h"

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <ctime>
#include <utility>

namespace Demagora::Bench {

// Ten Gauss components, 37 degrees of declination apart with inclinations from 60 down in
// steps of 12, blocked from 50 * i to 50 * i + 150 degrees, each scattered into
// randomPoints + 1 members; the run from 0 to 600 degrees in 601 steps.
struct TenComponentRun
{
    ComponentPopulations populations;
    ResultSeries series;

    explicit TenComponentRun(std::int32_t randomPoints)
    {
        MersenneTwisterSource random(20261207);
        for (int i = 0; i < 10; ++i) {
            TVector component;
            component.SigmaCount = 3;
            component.Declination = 37.0 * i;
            component.Inclination = 60 - 12.0 * i;
            component.Height = 5 + i;
            component.BlockLow = 50.0 * i;
            component.BlockHigh = 50.0 * i + 150;
            Population population;
            ScatterComponent(
                component, randomPoints, population, SpectrumShape::Gauss, true, 30, 2, random);
            populations.push_back(std::move(population));
        }
        RunDemagnetization(600, 0, 600, series, populations);
    }
};

// Processor time of all threads so far, in milliseconds: the work, told apart from the
// waiting of a busy machine.
inline double processCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The benchmarks' main function: Application (QGuiApplication or QApplication) on the
// offscreen platform unless another is asked for.
template <class Application> int runBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace Demagora::Bench
