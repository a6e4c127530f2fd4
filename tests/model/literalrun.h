#pragma once

#include "model/populations.h"

#include <cmath>
#include <cstdint>

// The demagnetization computed exactly as described, step by step: no tables, no threads.
// The reference that the fast run must equal bit for bit; also used by the benchmarks.
namespace Demagora::Literal {

struct RemainingSum
{
    double value = 0;
    int samples = 0;
};

// The 0.1-degree loop written out independently of TVector::Remaining, counting samples:
// sigma, amplitude and midpoint evaluated afresh for every sample.
inline RemainingSum remaining(const TVector &v, double t)
{
    if (t < v.BlockLow)
        return remaining(v, v.BlockLow);
    if (t > v.BlockHigh)
        return {};
    RemainingSum result;
    double b = v.BlockHigh;
    while (b > t) {
        if (v.Shape == SpectrumShape::Gauss) {
            const double midpoint = v.BlockHigh - (v.BlockHigh - v.BlockLow) / 2;
            const double sigma = (v.BlockHigh - midpoint) / v.SigmaCount;
            const double amplitude
                = v.Height / (1 / (std::sqrt(2 * 3.14159265358979323846) * sigma));
            const double z = (b - midpoint) / sigma;
            const double term
                = std::exp(-(z * z) / 2) * (1 / (sigma * 2.506628274631)) * (amplitude * 0.1);
            result.value = term + result.value;
        } else {
            result.value = 0.1 * v.Height + result.value;
        }
        ++result.samples;
        b = b - 0.1;
    }
    return result;
}

// Every member index, every step, every population: SetTemperature, then GetX, GetY, GetZ.
inline void run(std::int32_t pointCount, std::int32_t low, std::int32_t high, ResultSeries &series,
    ComponentPopulations &populations)
{
    const std::size_t n = populations.front().size();
    for (std::size_t m = 0; m < n; ++m) {
        ResultSeriesEntry entry;
        std::int32_t d = low;
        while (d <= high) {
            TResultVectors r;
            for (Population &population : populations) {
                TVector &member = population[m];
                member.SetTemperature(d);
                r.X = member.GetX() + r.X;
                r.Y = member.GetY() + r.Y;
                r.Z = member.GetZ() + r.Z;
            }
            r.Temperature = d;
            entry.push_back(r);
            d = d + (high - low) / pointCount;
        }
        series.push_back(entry);
    }
}

} // namespace Demagora::Literal
