#pragma once

#include "model/tvector.h"

#include <cstddef>
#include <span>
#include <vector>

namespace Demagora {

// What a run needs to know of one blocking spectrum, shared by every member with the same
// range, SigmaCount and shape: how many slices the downward sum of Remaining takes at each
// step temperature and, for a Gauss spectrum, the height-free density of every slice.
// Built once per run by RunDemagnetization; members then differ only in their height.
class SpectrumTable
{
public:
    // stepTemperatures in increasing order. The spectrum's BlockHigh must be finite and
    // within MaxBlockingTemperature, and so must the step temperatures: the table walks
    // down from BlockHigh in slices of 0.1 degree.
    SpectrumTable(const TVector &spectrum, const std::vector<double> &stepTemperatures);

    // True when a and b share range, SigmaCount and shape class, so one table serves both.
    static bool sameSpectrum(const TVector &a, const TVector &b);

    // remaining[i] := member.Remaining(stepTemperatures[i]), bit for bit, for a member
    // whose spectrum is the one this table was built from.
    void remaining(const TVector &member, std::vector<double> &remaining) const;

    // remaining[k][i] := members[k]->Remaining(stepTemperatures[i]) for up to Lanes members,
    // bit for bit as remaining() gives each; their sums are formed side by side.
    static constexpr std::size_t Lanes = 4;
    void remainingSideBySide(
        std::span<const TVector *const> members, std::span<std::vector<double>> remaining) const;

    // sums[k] := remaining at the lowest step temperature for members[k], bit for bit as
    // remaining() gives it; the members' sums are formed side by side, which keeps the
    // processor busy while each addition waits for the one before it.
    void lowestRemaining(std::span<const TVector *const> members, std::span<double> sums) const;

    std::size_t sliceCount() const { return m_sliceCounts.empty() ? 0 : m_sliceCounts.front(); }

private:
    bool m_gauss = true;
    std::vector<std::size_t> m_sliceCounts; // per step: samples strictly above its temperature
    std::vector<double> m_densities; // Gauss only: per slice, from BlockHigh downwards
};

} // namespace Demagora
