// demagora-batch as a whole process: scenario H against the literal loop of the same run,
// measured in one run, and the series of the largest run the tool accepts, written to
// standard output into /dev/null.

#include "batch/batchrun.h"
#include "batch/seriescsv.h"
#include "text/csvreal.h"
#include "document/scenario.h"
#include "model/inputchecks.h"
#include "model/literalrun.h"
#include "model/randomsource.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <ostream>
#include <streambuf>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace Demagora;

namespace {

const std::string ScenarioH = DEMAGORA_BENCH_DIR "/scenario-h.json";
const std::string Scenario50M = DEMAGORA_BENCH_DIR "/scenario-50m.json";

// Runs demagora-batch with arguments, its standard output going to /dev/null (the tool
// writes files only to regular files, so a series goes there as "--series -"), and returns
// the seconds from start to exit.
double runBatchProcess(const std::vector<std::string> &arguments)
{
    std::vector<std::string> words { DEMAGORA_BATCH_EXECUTABLE };
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took.count() : -1;
}

// The literal loop of scenario H once, then the whole process a few times (the fastest
// counts); the counter "ratio" is how many times faster the process is.
void BM_ScenarioHProcessVersusLiteral(benchmark::State &state)
{
    const Scenario scenario = readScenarioFile(ScenarioH);
    MersenneTwisterSource random(7);
    ComponentPopulations populations = buildPopulations(scenario, random);
    const RunRange range = computeRunRange(populations);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ResultSeries series;
        Literal::run(range.pointCount, range.low, range.high, series, populations);
        benchmark::DoNotOptimize(series.data());
        const std::chrono::duration<double> literal = std::chrono::steady_clock::now() - start;

        double process = 1e9;
        for (int repeat = 0; repeat < 20; ++repeat) {
            const double took = runBatchProcess({ ScenarioH, "--seed", "7", "--series", "-" });
            if (took < 0) {
                state.SkipWithError("demagora-batch failed");
                return;
            }
            process = std::min(process, took);
        }
        state.SetIterationTime(process);
        state.counters["literalMs"] = literal.count() * 1e3;
        state.counters["processMs"] = process * 1e3;
        state.counters["ratio"] = literal.count() / process;
    }
}
BENCHMARK(BM_ScenarioHProcessVersusLiteral)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// The process start and a small run: what every scripted call pays.
void BM_ScenarioHProcess(benchmark::State &state)
{
    for (auto _ : state) {
        const double took = runBatchProcess({ ScenarioH, "--seed", "7", "--series", "-" });
        if (took < 0) {
            state.SkipWithError("demagora-batch failed");
            return;
        }
        state.SetIterationTime(took);
    }
}
BENCHMARK(BM_ScenarioHProcess)->Unit(benchmark::kMillisecond)->UseManualTime();

// 100,000 members over 500 steps: 50 million result points, run and written as CSV.
void BM_Series50MProcess(benchmark::State &state)
{
    for (auto _ : state) {
        const double took = runBatchProcess({ Scenario50M, "--seed", "7", "--series", "-" });
        if (took < 0) {
            state.SkipWithError("demagora-batch failed");
            return;
        }
        state.SetIterationTime(took);
    }
}
BENCHMARK(BM_Series50MProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The run of scenario-50m.json cut to 2,000 members: a million rows of the same values.
BatchRun millionRowRun()
{
    Scenario scenario = readScenarioFile(Scenario50M);
    scenario.population->randomPoints = 1999;
    MersenneTwisterSource random(7);
    return runScenario(scenario, random);
}

// The reals of those rows one after another, formatted alone: nanoseconds per real.
void BM_SeriesRealFormat(benchmark::State &state)
{
    const BatchRun run = millionRowRun();
    std::vector<double> reals;
    for (const ResultSeriesEntry &curve : run.series) {
        for (const TResultVectors &point : curve) {
            for (const double value : { point.X, point.Y, point.Z, point.Length(),
                     point.Declination(), point.Inclination() })
                reals.push_back(value);
        }
    }
    const auto buffer = std::make_unique<char[]>(MaxCsvRealLength * reals.size());
    for (auto _ : state) {
        char *out = buffer.get();
        for (const double value : reals)
            out = writeCsvReal(out, value);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(reals.size()));
}
BENCHMARK(BM_SeriesRealFormat)->Unit(benchmark::kMillisecond);

// A stream that drops what it is given, as /dev/null would.
class NullBuffer : public std::streambuf
{
protected:
    std::streamsize xsputn(const char *, std::streamsize count) override { return count; }
    int overflow(int c) override { return c; }
};

// The whole series text of those rows, on every core: nanoseconds per row.
void BM_SeriesRowFormat(benchmark::State &state)
{
    const BatchRun run = millionRowRun();
    NullBuffer sink;
    std::ostream out(&sink);
    for (auto _ : state)
        writeSeriesCsv(out, run.series);
    state.SetItemsProcessed(state.iterations() * 2000 * 500);
}
BENCHMARK(BM_SeriesRowFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
