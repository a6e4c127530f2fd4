// The diagram window on a run of about 30 million result points (10 components, 50,000
// random points, 0 to 600 degrees): how soon the window stands, how soon the first complete
// picture and the picture after a tool bar change are there, and the longest time the
// user-interface thread is held meanwhile, measured by a timer that should tick every 5 ms.

#include "benchruns.h"

#include "diagrams/tfrm_graph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace Demagora;

// Records the longest gap between the ticks of a 5 ms timer on the user-interface thread.
class BlockingProbe
{
public:
    BlockingProbe()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
            [this] { m_longestMs = std::max(m_longestMs, m_sinceTick.restart()); });
        m_sinceTick.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longestMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
};

// Processes events until the window has its picture; returns the milliseconds it took.
double waitForPicture(TFrm_graph &window)
{
    QElapsedTimer clock;
    clock.start();
    // Waits for events rather than polling: a busy loop here would take a core from the
    // drawing it waits for. The probe's timer wakes the loop every 5 ms.
    while (window.isDrawing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void BM_PaintHugeRun(benchmark::State &state)
{
    // 50,001 members per component, about 30 million result points.
    static Bench::TenComponentRun run(50000);
    for (auto _ : state) {
        const double cpuBefore = Bench::processCpuMs();
        QElapsedTimer clock;
        clock.start();
        BlockingProbe probe;
        TFrm_graph window(run.series, run.populations, 0, 600);
        window.show();
        QApplication::processEvents();
        const double standsMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        const double firstPictureMs = standsMs + waitForPicture(window);
        const double firstPictureCpuMs = Bench::processCpuMs() - cpuBefore;
        window.findChild<QPushButton *>(QStringLiteral("btn_temps"))->click();
        window.update();
        QApplication::processEvents();
        const double afterChangeMs = waitForPicture(window);
        state.SetIterationTime(firstPictureMs / 1e3);
        state.counters["points"] = static_cast<double>(run.series.size() * run.series[0].size());
        state.counters["windowStandsMs"] = standsMs;
        state.counters["firstPictureMs"] = firstPictureMs;
        state.counters["firstPictureCpuMs"] = firstPictureCpuMs;
        state.counters["afterToolbarMs"] = afterChangeMs;
        state.counters["longestBlockMs"] = static_cast<double>(probe.longestMs());
    }
}
BENCHMARK(BM_PaintHugeRun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return Demagora::Bench::runBenchmarks<QApplication>(argc, argv);
}
