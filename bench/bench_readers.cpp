// Reading measurement files: every shared real file in one pass, and a MagIC measurements
// table of a million rows (its peak memory is printed beside the time).

#include "measurements/measurementreader.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace Demagora;

std::string shared(const char *relative)
{
    return std::string(DEMAGORA_MEASUREMENTS_DIR) + "/" + relative;
}

void BM_ReadEverySharedFile(benchmark::State &state)
{
    const char *const paths[] = { "magic-zeq/measurements.txt", "cit-PI47/PI47-.sam", "cit-PI47",
        "jr6-TRM/TRM.jr6", "2g-mn1" };
    for (auto _ : state) {
        std::size_t specimens = 0;
        for (const char *path : paths)
            specimens += readMeasurements(shared(path)).specimens.size();
        benchmark::DoNotOptimize(specimens);
    }
}
BENCHMARK(BM_ReadEverySharedFile)->Unit(benchmark::kMillisecond);

// A thermal demagnetization table as laboratories upload it: 10,000 specimens of 100 rows.
std::string millionRowTable()
{
    const std::filesystem::path path
        = std::filesystem::temp_directory_path() / "demagora-bench-million.txt";
    if (std::filesystem::exists(path))
        return path.string();
    std::ofstream stream(path);
    stream << "tab\tmeasurements\nmeasurement\texperiment\tspecimen\tsequence\tquality\t"
              "method_codes\tcitations\ttreat_temp\ttreat_ac_field\tdir_dec\tdir_inc\t"
              "magn_moment\tdir_csd\n";
    for (int specimen = 0; specimen < 10'000; ++specimen)
        for (int step = 0; step < 100; ++step) {
            const std::string name = "sp" + std::to_string(specimen);
            stream << name << '-' << step << '\t' << name << "-LP-DIR-T\t" << name << '\t'
                   << specimen * 100 + step << "\tg\t"
                   << (step == 0 ? "LT-NO:LP-DIR-T" : "LT-T-Z:LP-DIR-T") << "\tThis study\t"
                   << 273 + step * 6 << "\t0\t" << (specimen * 7 + step * 3) % 360 << '\t'
                   << (step % 180) - 89.5 << '\t' << 1e-5 * (100 - step) + 1e-9 << "\t1.5\n";
        }
    return path.string();
}

void BM_ReadMillionRowMagicTable(benchmark::State &state)
{
    const std::string path = millionRowTable();
    for (auto _ : state) {
        const MeasurementSet set = readMeasurements(path);
        benchmark::DoNotOptimize(set.specimens.data());
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_ReadMillionRowMagicTable)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
