#pragma once

#include "model/populations.h"
#include "model/run.h"
#include "model/scatter.h"
#include "model/randomsource.h"
#include "results/reporttable.h"
#include "support/componentfixtures.h"

#include <cstdint>

namespace Demagora::Testing {

// Two components with rectangular spectra from 100 to 200 degrees: declination 30,
// inclination 45, height 10, and declination 200, inclination -30, height 5; each evaluated
// at its lower blocking temperature, as the main window enters it.
inline TVector workedExampleComponent(int which)
{
    TVector v = which == 0 ? component(30, 45, 10, 100, 200, SpectrumShape::Rectangular)
                           : component(200, -30, 5, 100, 200, SpectrumShape::Rectangular);
    v.SetTemperature(v.BlockLow);
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
