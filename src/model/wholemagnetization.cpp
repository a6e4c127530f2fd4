#include "model/wholemagnetization.h"

#include "model/inputchecks.h"
#include "model/paralleltasks.h"
#include "model/spectrumtable.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <thread>

namespace Demagora {

namespace {

// Members per task: enough to outweigh building the task's spectrum table.
constexpr std::size_t ChunkMembers = 4096;

struct Chunk
{
    std::size_t population = 0;
    std::size_t first = 0;
    std::size_t end = 0;
};

bool tableCanWalk(const TVector &member)
{
    return std::isfinite(member.BlockLow) && std::isfinite(member.BlockHigh)
        && std::fabs(member.BlockLow) <= MaxBlockingTemperature
        && std::fabs(member.BlockHigh) <= MaxBlockingTemperature;
}

void sumChunk(const Population &population, const Chunk &chunk, std::vector<double> &out)
{
    const std::vector<double> zero { 0.0 };
    std::optional<SpectrumTable> table;
    const TVector *tableSpectrum = nullptr;
    std::vector<const TVector *> members;
    members.reserve(chunk.end - chunk.first);
    std::size_t m = chunk.first;
    while (m < chunk.end) {
        const TVector &member = population[m];
        if (!tableCanWalk(member)) {
            out[m] = member.Remaining(0);
            ++m;
            continue;
        }
        if (!tableSpectrum || !SpectrumTable::sameSpectrum(*tableSpectrum, member)) {
            table.emplace(member, zero);
            tableSpectrum = &member;
        }
        // The run of following members that this table serves.
        members.clear();
        const std::size_t first = m;
        while (m < chunk.end && tableCanWalk(population[m])
            && SpectrumTable::sameSpectrum(*tableSpectrum, population[m])) {
            members.push_back(&population[m]);
            ++m;
        }
        table->lowestRemaining(members, std::span<double>(out).subspan(first, members.size()));
    }
}

} // namespace

std::vector<std::vector<double>> wholeMagnetizations(
    const ComponentPopulations &populations, unsigned threadCount)
{
    std::vector<std::vector<double>> remaining(populations.size());
    std::vector<Chunk> chunks;
    for (std::size_t p = 0; p < populations.size(); ++p) {
        remaining[p].resize(populations[p].size());
        for (std::size_t first = 0; first < populations[p].size(); first += ChunkMembers)
            chunks.push_back({ p, first, std::min(populations[p].size(), first + ChunkMembers) });
    }
    if (threadCount == 0)
        threadCount = std::max(1U, std::thread::hardware_concurrency());
    threadCount = static_cast<unsigned>(std::min<std::size_t>(threadCount, chunks.size()));
    runParallelTasks(
        chunks.size(), std::max(threadCount, 1U),
        [&](std::size_t i) {
            const Chunk &chunk = chunks[i];
            sumChunk(populations[chunk.population], chunk, remaining[chunk.population]);
        },
        [] {}, [] { return false; });
    return remaining;
}

} // namespace Demagora
