#include "model/run.h"

#include "model/modelerror.h"

namespace Demagora {

void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer)
{
    if (populations.empty())
        throw ModelError("There is no component to calculate: add at least one component");
    const std::size_t n = populations.front().size();
    for (const Population &p : populations) {
        if (p.size() != n || n == 0)
            throw ModelError("All components must have the same number of members");
    }
    if (pointCount < 1 || pointCount > static_cast<std::int64_t>(runHighTemp) - runLowTemp)
        throw ModelError("The run needs a temperature range of at least one degree");

    series.clear();
    const std::int32_t step = (runHighTemp - runLowTemp) / pointCount;
    for (std::size_t m = 0; m < n; ++m) {
        if (observer) {
            if (observer->stopRequested()) {
                series.clear();
                break;
            }
            observer->setMaximum(static_cast<int>(n));
        }
        ResultSeriesEntry entry;
        for (std::int64_t d = runLowTemp; d <= runHighTemp; d += step) {
            TResultVectors r;
            for (Population &population : populations) {
                TVector &member = population[m];
                member.SetTemperature(static_cast<double>(d));
                r.X = member.GetX() + r.X;
                r.Y = member.GetY() + r.Y;
                r.Z = member.GetZ() + r.Z;
            }
            r.Temperature = static_cast<double>(d);
            entry.push_back(r);
        }
        series.push_back(std::move(entry));
        if (observer)
            observer->advance();
    }
    if (observer)
        observer->reset();
}

} // namespace Demagora
