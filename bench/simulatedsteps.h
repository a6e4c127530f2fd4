#pragma once

// What the unmixing benchmarks share: a component, a schedule of steps, and the steps the
// simulator gives for components measured with noise.
#include "measurements/measuredseries.h"
#include "model/populations.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "unmixing/unmixing.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace Demagora::Bench {

inline TVector gauss(double declination, double inclination, double height, double low,
    double high, SpectrumShape shape = SpectrumShape::Gauss)
{
    TVector v;
    v.SigmaCount = 3;
    v.Shape = shape;
    v.Declination = declination;
    v.Inclination = inclination;
    v.Height = height;
    v.BlockLow = low;
    v.BlockHigh = high;
    return v;
}

// The steps the simulator gives for the components, noise per axis a fraction of the NRM.
inline std::vector<UnmixStep> simulate(const std::vector<TVector> &components,
    const std::vector<std::int32_t> &temperatures, double noiseFraction, std::uint64_t seed)
{
    ComponentPopulations populations;
    for (const TVector &c : components)
        populations.push_back({ c });
    const RunRange range = computeRunRange(populations);
    ResultSeries series;
    RunDemagnetization(range.pointCount, range.low, range.high, series, populations, nullptr, 1);
    const auto &nrm = series.front().front();
    const double noise
        = noiseFraction * std::sqrt(nrm.X * nrm.X + nrm.Y * nrm.Y + nrm.Z * nrm.Z) * 1e-3;
    MersenneTwisterSource random(seed);
    std::vector<UnmixStep> steps;
    for (const MeasuredStep &m : measureMember(series.front(), temperatures, 1e-3, noise, &random))
        steps.push_back({ double(m.temperature), { m.x, m.y, m.z }, {} });
    return steps;
}

inline std::vector<std::int32_t> schedule(std::int32_t from, std::int32_t to, std::int32_t every)
{
    std::vector<std::int32_t> t;
    for (std::int32_t v = from; v <= to; v += every)
        t.push_back(v);
    return t;
}

} // namespace Demagora::Bench
