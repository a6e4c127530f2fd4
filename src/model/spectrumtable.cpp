#include "model/spectrumtable.h"

#include "model/spectrum.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace Demagora {

SpectrumTable::SpectrumTable(const TVector &spectrum, const std::vector<double> &stepTemperatures)
    : m_gauss(spectrum.Shape == SpectrumShape::Gauss)
    , m_sliceCounts(stepTemperatures.size(), 0)
{
    // Remaining(t) sums the samples b_0 = BlockHigh, b_1 = b_0 - 0.1, ... that lie strictly
    // above t, and the partial sums of that loop do not depend on t. So one walk down the
    // same b sequence, from the highest step temperature to the lowest, finds the number of
    // samples for every step; below BlockLow the sum stops at BlockLow, above BlockHigh it
    // is empty.
    const double midpoint = m_gauss ? spectrum.Midpoint() : 0;
    const double sigma = m_gauss ? spectrum.Sigma() : 0;
    double b = spectrum.BlockHigh;
    std::size_t count = 0;
    if (m_gauss && gaussTooNarrow(sigma))
        return;
    for (std::size_t i = stepTemperatures.size(); i-- > 0;) {
        double t = stepTemperatures[i];
        if (t < spectrum.BlockLow)
            t = spectrum.BlockLow;
        if (t > spectrum.BlockHigh)
            continue;
        while (b > t) {
            if (m_gauss)
                m_densities.push_back(gaussDensity(b, midpoint, sigma));
            b = b - SliceWidth;
            ++count;
        }
        m_sliceCounts[i] = count;
    }
}

bool SpectrumTable::sameSpectrum(const TVector &a, const TVector &b)
{
    // Bit patterns, not ==, so that 0 and -0 (which start different b sequences) stay apart.
    return std::bit_cast<std::uint64_t>(a.BlockLow) == std::bit_cast<std::uint64_t>(b.BlockLow)
        && std::bit_cast<std::uint64_t>(a.BlockHigh) == std::bit_cast<std::uint64_t>(b.BlockHigh)
        && a.SigmaCount == b.SigmaCount
        && (a.Shape == SpectrumShape::Gauss) == (b.Shape == SpectrumShape::Gauss);
}

void SpectrumTable::remaining(const TVector &member, std::vector<double> &remaining) const
{
    remaining.resize(m_sliceCounts.size());
    // The same additions in the same order as Remaining: sum := term + sum from BlockHigh
    // downwards, read off after as many samples as each step takes.
    double sum = 0;
    std::size_t j = 0;
    if (m_gauss) {
        const double weight = gaussSliceWeight(member.Amplitude());
        for (std::size_t i = m_sliceCounts.size(); i-- > 0;) {
            for (const std::size_t count = m_sliceCounts[i]; j < count; ++j)
                sum = m_densities[j] * weight + sum;
            remaining[i] = sum;
        }
    } else {
        const double term = rectangularSlice(member.Height);
        for (std::size_t i = m_sliceCounts.size(); i-- > 0;) {
            for (const std::size_t count = m_sliceCounts[i]; j < count; ++j)
                sum = term + sum;
            remaining[i] = sum;
        }
    }
}

void SpectrumTable::remainingSideBySide(
    std::span<const TVector *const> members, std::span<std::vector<double>> remaining) const
{
    const std::size_t lanes = std::min(Lanes, members.size());
    std::array<double, Lanes> weights {};
    for (std::size_t k = 0; k < lanes; ++k) {
        const TVector &member = *members[k];
        weights[k]
            = m_gauss ? gaussSliceWeight(member.Amplitude()) : rectangularSlice(member.Height);
        remaining[k].resize(m_sliceCounts.size());
    }
    // Each lane adds its own terms in the order of remaining(); lanes never mix, and unused
    // lanes add zeros that are never read.
    std::array<double, Lanes> sum {};
    std::size_t j = 0;
    for (std::size_t i = m_sliceCounts.size(); i-- > 0;) {
        const std::size_t count = m_sliceCounts[i];
        if (m_gauss) {
            for (; j < count; ++j) {
                const double density = m_densities[j];
                for (std::size_t k = 0; k < Lanes; ++k)
                    sum[k] = density * weights[k] + sum[k];
            }
        } else {
            for (; j < count; ++j) {
                for (std::size_t k = 0; k < Lanes; ++k)
                    sum[k] = weights[k] + sum[k];
            }
        }
        for (std::size_t k = 0; k < lanes; ++k)
            remaining[k][i] = sum[k];
    }
}

void SpectrumTable::lowestRemaining(
    std::span<const TVector *const> members, std::span<double> sums) const
{
    const std::size_t count = m_sliceCounts.empty() ? 0 : m_sliceCounts.front();
    // Each lane adds its own terms in the order of remaining(); lanes never mix.
    std::size_t first = 0;
    for (; first < members.size(); first += Lanes) {
        const std::size_t lanes = std::min(Lanes, members.size() - first);
        std::array<double, Lanes> weights {};
        for (std::size_t k = 0; k < lanes; ++k) {
            const TVector &member = *members[first + k];
            weights[k]
                = m_gauss ? gaussSliceWeight(member.Amplitude()) : rectangularSlice(member.Height);
        }
        std::array<double, Lanes> sum {};
        if (m_gauss) {
            for (std::size_t j = 0; j < count; ++j) {
                const double density = m_densities[j];
                for (std::size_t k = 0; k < Lanes; ++k)
                    sum[k] = density * weights[k] + sum[k];
            }
        } else {
            for (std::size_t j = 0; j < count; ++j) {
                for (std::size_t k = 0; k < Lanes; ++k)
                    sum[k] = weights[k] + sum[k];
            }
        }
        for (std::size_t k = 0; k < lanes; ++k)
            sums[first + k] = sum[k];
    }
}

} // namespace Demagora
