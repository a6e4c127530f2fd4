#include "model/run.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"
#include "model/paralleltasks.h"
#include "model/spectrumtable.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

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
    return coreCount();
}

} // namespace

void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer)
{
    checkRunInputs(pointCount, runLowTemp, runHighTemp, populations);
    RunDemagnetization(pointCount, runLowTemp, runHighTemp, series, populations, observer,
        threadCountFor(pointCount, runLowTemp, runHighTemp, populations));
}

struct PreparedRun::Tables
{
    std::vector<double> temperatures;
    SpectrumIndex index;
    SpectrumTables tables;
    bool complete = false;
};

PreparedRun::PreparedRun(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    const ComponentPopulations &populations, unsigned threadCount,
    const std::function<bool()> &stopRequested)
    : m_populations(populations)
    , m_tables(std::make_unique<Tables>())
{
    checkRunInputs(pointCount, runLowTemp, runHighTemp, populations);
    if (threadCount == 0)
        threadCount = threadCountFor(pointCount, runLowTemp, runHighTemp, populations);
    Tables &t = *m_tables;
    t.temperatures = stepTemperatures(pointCount, runLowTemp, runHighTemp);
    t.index = indexSpectra(populations);
    t.tables.resize(t.index.spectra.size());
    const auto buildTable
        = [&t](std::size_t k) { t.tables[k].emplace(*t.index.spectra[k], t.temperatures); };
    const auto stop = [&stopRequested] { return stopRequested && stopRequested(); };
    t.complete = runParallelTasks(
        t.tables.size(), threadCount, buildTable, [] {}, stop);
}

PreparedRun::~PreparedRun() = default;

bool PreparedRun::complete() const
{
    return m_tables->complete;
}

std::size_t PreparedRun::memberCount() const
{
    return m_populations.front().size();
}

std::size_t PreparedRun::stepCount() const
{
    return m_tables->temperatures.size();
}

double PreparedRun::lastTemperature() const
{
    return m_tables->temperatures.back();
}

void PreparedRun::memberCurve(std::size_t m, ResultSeriesEntry &curve) const
{
    memberCurves(m, std::span(&curve, 1));
}

// The parts of each member of every population, added in population order as
// member.GetX() + r.X etc.
void PreparedRun::memberCurves(std::size_t first, std::span<ResultSeriesEntry> curves) const
{
    const Tables &t = *m_tables;
    const std::size_t n = memberCount();
    for (ResultSeriesEntry &curve : curves) {
        curve.resize(t.temperatures.size());
        for (std::size_t s = 0; s < curve.size(); ++s)
            curve[s] = TResultVectors { t.temperatures[s], 0, 0, 0 };
    }
    constexpr std::size_t Lanes = SpectrumTable::Lanes;
    std::array<std::vector<double>, Lanes> remaining;
    std::array<const TVector *, Lanes> members {};
    for (std::size_t i = 0; i < m_populations.size(); ++i) {
        // Up to Lanes members in a row that share a table, summed together.
        for (std::size_t k = 0; k < curves.size();) {
            const std::size_t table = t.index.tableOf[i * n + first + k];
            std::size_t lanes = 0;
            while (lanes < Lanes && k + lanes < curves.size()
                && t.index.tableOf[i * n + first + k + lanes] == table) {
                members[lanes] = &m_populations[i][first + k + lanes];
                ++lanes;
            }
            t.tables[table]->remainingSideBySide(
                std::span(members).first(lanes), std::span(remaining).first(lanes));
            for (std::size_t lane = 0; lane < lanes; ++lane) {
                const TVector &member = *members[lane];
                const double north = member.northCosine();
                const double east = member.eastCosine();
                const double down = member.downCosine();
                const std::vector<double> &own = remaining[lane];
                ResultSeriesEntry &curve = curves[k + lane];
                for (std::size_t s = 0; s < curve.size(); ++s) {
                    TResultVectors &r = curve[s];
                    r.X = north * own[s] + r.X;
                    r.Y = east * own[s] + r.Y;
                    r.Z = down * own[s] + r.Z;
                }
            }
            k += lanes;
        }
    }
}

void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer,
    unsigned threadCount)
{
    checkRunInputs(pointCount, runLowTemp, runHighTemp, populations);
    threadCount = std::max(threadCount, 1U);
    const std::size_t n = populations.front().size();
    const auto stopRequested = [observer] { return observer && observer->stopRequested(); };

    series.clear();
    bool completed = false;
    double lastTemperature = 0;
    try {
        const PreparedRun run(
            pointCount, runLowTemp, runHighTemp, populations, threadCount, stopRequested);
        lastTemperature = run.lastTemperature();
        completed = run.complete();
        series.resize(n);
        // Members in groups, whose spectra are summed side by side; each finished group
        // reports its members (the last group may be smaller: the reports stop at n).
        constexpr std::size_t Group = SpectrumTable::Lanes;
        const auto computeGroup = [&](std::size_t g) {
            const std::size_t first = g * Group;
            run.memberCurves(first, std::span(series).subspan(first, std::min(Group, n - first)));
        };
        std::size_t reported = 0;
        const auto groupFinished = [observer, n, &reported] {
            for (const std::size_t end = std::min(reported + Group, n); reported < end;
                 ++reported) {
                if (observer) {
                    observer->setMaximum(static_cast<int>(n));
                    observer->advance();
                }
            }
        };
        if (completed) {
            completed = runParallelTasks(
                (n + Group - 1) / Group, threadCount, computeGroup, groupFinished, stopRequested);
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
                member.SetTemperature(lastTemperature);
        }
    } else {
        series.clear();
    }
    if (observer)
        observer->reset();
}

} // namespace Demagora
