#include "model/run.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"
#include "model/paralleltasks.h"
#include "model/spectrumtable.h"

#include <algorithm>
#include <optional>
#include <string>
#include <thread>

namespace Demagora {

namespace {

void checkRunInputs(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    const ComponentPopulations &populations)
{
    if (populations.empty())
        throw ModelError("There is no component to calculate: add at least one component");
    const std::size_t n = populations.front().size();
    if (n == 0)
        throw ModelError("A component has no members to calculate");
    for (const Population &p : populations) {
        if (p.size() != n)
            throw ModelError("All components must have the same number of members");
    }
    const std::int64_t range = static_cast<std::int64_t>(runHighTemp) - runLowTemp;
    if (pointCount < 1 || range < 1)
        throw ModelError("The run needs a temperature range of at least one degree");
    if (pointCount > range) {
        throw ModelError("The run cannot take " + std::to_string(pointCount)
            + " steps over a range of " + std::to_string(range) + " degrees");
    }
    if (std::max<std::int64_t>(-std::int64_t { runLowTemp }, runHighTemp)
        > MaxBlockingTemperature) {
        throw ModelError("The run from " + std::to_string(runLowTemp) + " to "
            + std::to_string(runHighTemp)
            + " degrees is out of range: run temperatures must lie between -100000 and "
              "100000 degrees");
    }
    // The spectrum sums step down from BlockHigh in slices of 0.1 degree; a temperature
    // beyond the limit (or not finite) would make them endless.
    for (const Population &p : populations) {
        for (const TVector &member : p) {
            checkBlockingTemperature(member.BlockLow);
            checkBlockingTemperature(member.BlockHigh);
        }
    }
    std::vector<TVector> components;
    for (const Population &p : populations)
        components.push_back(p.front());
    checkRunCost(components, n, static_cast<std::uint64_t>(range / (range / pointCount) + 1));
}

// From low while d <= high by (high - low) div pointCount, in 64 bits so that d cannot
// overflow on its last step.
std::vector<double> stepTemperatures(
    std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp)
{
    const std::int64_t step = (static_cast<std::int64_t>(runHighTemp) - runLowTemp) / pointCount;
    std::vector<double> temperatures;
    temperatures.reserve(
        static_cast<std::size_t>((runHighTemp - std::int64_t { runLowTemp }) / step + 1));
    for (std::int64_t d = runLowTemp; d <= runHighTemp; d += step)
        temperatures.push_back(static_cast<double>(d));
    return temperatures;
}

// One table per distinct spectrum; tableOf[i * n + m] is the table of member m of
// population i.
struct SpectrumIndex
{
    std::vector<const TVector *> spectra;
    std::vector<std::size_t> tableOf;
};

SpectrumIndex indexSpectra(const ComponentPopulations &populations)
{
    SpectrumIndex index;
    const std::size_t n = populations.front().size();
    index.tableOf.reserve(populations.size() * n);
    for (const Population &p : populations) {
        // Scattered members share their component's spectrum, so a population's tables
        // are nearly always found among the last few.
        for (const TVector &member : p) {
            std::size_t found = index.spectra.size();
            while (found > 0 && !SpectrumTable::sameSpectrum(*index.spectra[found - 1], member))
                --found;
            if (found == 0) {
                index.spectra.push_back(&member);
                found = index.spectra.size();
            }
            index.tableOf.push_back(found - 1);
        }
    }
    return index;
}

using SpectrumTables = std::vector<std::optional<SpectrumTable>>;

// The curve of member index m: at every step the parts of member m of every population,
// added in population order as member.GetX() + r.X etc.
ResultSeriesEntry memberCurve(const ComponentPopulations &populations, std::size_t m,
    const SpectrumTables &tables, const SpectrumIndex &index,
    const std::vector<double> &temperatures)
{
    const std::size_t n = populations.front().size();
    ResultSeriesEntry entry(temperatures.size());
    for (std::size_t s = 0; s < temperatures.size(); ++s)
        entry[s].Temperature = temperatures[s];
    std::vector<double> remaining;
    for (std::size_t i = 0; i < populations.size(); ++i) {
        const TVector &member = populations[i][m];
        tables[index.tableOf[i * n + m]]->remaining(member, remaining);
        const double north = member.northCosine();
        const double east = member.eastCosine();
        const double down = member.downCosine();
        for (std::size_t s = 0; s < entry.size(); ++s) {
            TResultVectors &r = entry[s];
            r.X = north * remaining[s] + r.X;
            r.Y = east * remaining[s] + r.Y;
            r.Z = down * remaining[s] + r.Z;
        }
    }
    return entry;
}

// Below this many slice and step operations (about a millisecond on one core) starting
// worker threads costs more than it saves.
constexpr double SmallRunWork = 2e6;

// All cores for a large run, the calling thread alone for a small one. Inputs checked.
unsigned threadCountFor(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    const ComponentPopulations &populations)
{
    const std::int64_t range = std::int64_t { runHighTemp } - runLowTemp;
    const auto steps = static_cast<double>(range / (range / pointCount) + 1);
    double work = 0;
    for (const Population &p : populations) {
        const double width = p.front().BlockHigh - p.front().BlockLow;
        work += (6 * steps + 10 * std::max(width, 0.0)) * static_cast<double>(p.size());
    }
    if (work < SmallRunWork)
        return 1;
    return std::max(std::thread::hardware_concurrency(), 1U);
}

} // namespace

void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer)
{
    checkRunInputs(pointCount, runLowTemp, runHighTemp, populations);
    RunDemagnetization(pointCount, runLowTemp, runHighTemp, series, populations, observer,
        threadCountFor(pointCount, runLowTemp, runHighTemp, populations));
}

void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer,
    unsigned threadCount)
{
    checkRunInputs(pointCount, runLowTemp, runHighTemp, populations);
    threadCount = std::max(threadCount, 1U);

    const std::size_t n = populations.front().size();
    const std::vector<double> temperatures = stepTemperatures(pointCount, runLowTemp, runHighTemp);
    const SpectrumIndex index = indexSpectra(populations);

    const auto stopRequested = [observer] { return observer && observer->stopRequested(); };

    series.clear();
    bool completed = false;
    try {
        SpectrumTables tables(index.spectra.size());
        const auto buildTable
            = [&](std::size_t t) { tables[t].emplace(*index.spectra[t], temperatures); };
        completed = runParallelTasks(
            tables.size(), threadCount, buildTable, [] {}, stopRequested);

        series.resize(n);
        const auto computeMember = [&](std::size_t m) {
            series[m] = memberCurve(populations, m, tables, index, temperatures);
        };
        const auto memberFinished = [observer, n] {
            if (observer) {
                observer->setMaximum(static_cast<int>(n));
                observer->advance();
            }
        };
        if (completed) {
            completed
                = runParallelTasks(n, threadCount, computeMember, memberFinished, stopRequested);
        }
    } catch (...) {
        series.clear();
        // The first failure is the one the caller must see; a failing reset is dropped.
        try {
            if (observer)
                observer->reset();
        } catch (...) { }
        throw;
    }

    if (completed) {
        for (Population &p : populations) {
            for (TVector &member : p)
                member.SetTemperature(temperatures.back());
        }
    } else {
        series.clear();
    }
    if (observer)
        observer->reset();
}

} // namespace Demagora
