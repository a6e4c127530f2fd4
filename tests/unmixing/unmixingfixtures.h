#pragma once

#include "measurements/measuredseries.h"
#include "model/populations.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "support/componentfixtures.h"
#include "unmixing/unmixing.h"

#include <cstdint>
#include <vector>

namespace Demagora::Fixtures {

// The shared component, with the shape first as the unmixing cases name it.
inline TVector component(SpectrumShape shape, double declination, double inclination, double height,
    double low, double high)
{
    return Testing::component(declination, inclination, height, low, high, shape);
}

inline std::vector<std::int32_t> everyDegrees(std::int32_t from, std::int32_t to, std::int32_t step)
{
    std::vector<std::int32_t> temperatures;
    for (std::int32_t t = from; t <= to; t += step)
        temperatures.push_back(t);
    return temperatures;
}

// The components run by the simulator and measured at the temperatures, as the batch tool
// measures a run: times scale, plus noise per axis when a source is given.
inline std::vector<UnmixStep> simulatedSteps(const std::vector<TVector> &components,
    const std::vector<std::int32_t> &temperatures, double scale = 1, double noise = 0,
    RandomSource *random = nullptr)
{
    ComponentPopulations populations;
    for (const TVector &c : components)
        populations.push_back({ c });
    const RunRange range = computeRunRange(populations);
    ResultSeries series;
    RunDemagnetization(range.pointCount, range.low, range.high, series, populations, nullptr, 1);
    std::vector<UnmixStep> steps;
    for (const MeasuredStep &m : measureMember(
             series.front(), temperatures, scale, noise, random, highestBlockHigh(populations)))
        steps.push_back({ double(m.temperature), { m.x, m.y, m.z }, {} });
    return steps;
}

// Steps computed from the continuous spectra themselves: data the model can fit exactly.
inline std::vector<UnmixStep> exactSteps(
    const std::vector<UnmixComponent> &components, const std::vector<std::int32_t> &temperatures)
{
    std::vector<double> t(temperatures.begin(), temperatures.end());
    const auto moments = predictedMoments(components, t);
    std::vector<UnmixStep> steps;
    for (std::size_t i = 0; i < t.size(); ++i)
        steps.push_back({ t[i], moments[i], {} });
    return steps;
}

} // namespace Demagora::Fixtures
