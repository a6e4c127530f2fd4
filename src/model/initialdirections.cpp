#include "model/initialdirections.h"

#include "model/inputchecks.h"
#include "model/paralleltasks.h"
#include "model/spectrumtable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>

namespace Demagora {

InitialDirections initialDirections(
    const ComponentPopulations &populations, std::int32_t runLowTemp)
{
    InitialDirections directions(populations.size());
    for (std::size_t i = 0; i < populations.size(); ++i)
        directions[i].resize(populations[i].size());
    // Every member's remaining magnetization at the start of the run, each population's
    // spectrum summed once for all its members as the run sums it: the same values as
    // Remaining(runLowTemp) gives member by member, at a fraction of the cost.
    const std::vector<double> start { static_cast<double>(runLowTemp) };
    constexpr std::size_t MembersPerTask = 4096;
    struct Task
    {
        std::size_t population, first, last;
    };
    std::vector<Task> tasks;
    for (std::size_t i = 0; i < populations.size(); ++i) {
        for (std::size_t first = 0; first < populations[i].size(); first += MembersPerTask)
            tasks.push_back({ i, first, std::min(first + MembersPerTask, populations[i].size()) });
    }
    const auto evaluate = [&](std::size_t t) {
        const Population &population = populations[tasks[t].population];
        std::vector<MemberDirection> &members = directions[tasks[t].population];
        std::optional<SpectrumTable> table;
        const TVector *tableSpectrum = nullptr;
        const auto tableServes = [&](const TVector &member) {
            return std::isfinite(member.BlockHigh)
                && std::fabs(member.BlockHigh) <= MaxBlockingTemperature
                && std::abs(runLowTemp) <= MaxBlockingTemperature;
        };
        const auto store = [&](std::size_t m, double r) {
            const TVector &member = population[m];
            members[m]
                = { member.northCosine() * r, member.eastCosine() * r, member.Inclination, r };
        };
        for (std::size_t m = tasks[t].first; m < tasks[t].last;) {
            const TVector &member = population[m];
            if (!tableServes(member)) {
                store(m, member.Remaining(runLowTemp));
                ++m;
                continue;
            }
            if (!table || !SpectrumTable::sameSpectrum(*tableSpectrum, member)) {
                table.emplace(member, start);
                tableSpectrum = &member;
            }
            // The following members of the same spectrum are summed together.
            std::array<const TVector *, 8> group {};
            std::size_t size = 0;
            while (size < group.size() && m + size < tasks[t].last
                && tableServes(population[m + size])
                && SpectrumTable::sameSpectrum(*tableSpectrum, population[m + size])) {
                group[size] = &population[m + size];
                ++size;
            }
            std::array<double, group.size()> sums {};
            table->lowestRemaining(std::span(group.data(), size), std::span(sums.data(), size));
            for (std::size_t k = 0; k < size; ++k)
                store(m + k, sums[k]);
            m += size;
        }
    };
    const unsigned threads = tasks.size() > 1 ? coreCount() : 1;
    runParallelTasks(
        tasks.size(), threads, evaluate, [] {}, [] { return false; });
    return directions;
}

} // namespace Demagora
