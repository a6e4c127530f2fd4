#pragma once

#include "model/populations.h"
#include "model/run.h"
#include "model/scatter.h"
#include "model/randomsource.h"
#include "results/reporttable.h"

#include <cstdint>

namespace Demagora::Testing {

// Two components with rectangular spectra from 100 to 200 degrees: declination 30,
// inclination 45, height 10, and declination 200, inclination -30, height 5.
inline TVector workedExampleComponent(int which)
{
    TVector v;
    v.SigmaCount = 3;
    v.Declination = which == 0 ? 30 : 200;
    v.Inclination = which == 0 ? 45 : -30;
    v.Height = which == 0 ? 10 : 5;
    v.BlockLow = 100;
    v.BlockHigh = 200;
    v.Temperature = v.BlockLow;
    v.Shape = SpectrumShape::Rectangular;
    return v;
}

// The populations and the run of the two components, each scattered into
// randomPoints copies when randomPoints > 0.
struct RunFixture
{
    ComponentPopulations populations;
    ResultSeries series;
    std::int32_t low = 100;
    std::int32_t high = 200;

    explicit RunFixture(int randomPoints = 0, std::uint64_t seed = 20261207)
    {
        MersenneTwisterSource random(seed);
        for (int which = 0; which < 2; ++which) {
            Population population;
            if (randomPoints > 0)
                ScatterComponent(workedExampleComponent(which), randomPoints, population,
                    SpectrumShape::Rectangular, true, 50.0, 1.0, random);
            else
                population.push_back(workedExampleComponent(which));
            populations.push_back(population);
        }
        RunDemagnetization(high - low, low, high, series, populations);
    }

    ReportTable report(ReportKind kind) const
    {
        return buildReportTable(populations, series, low, high, kind, ".");
    }
};

} // namespace Demagora::Testing
