#include "analysis/drawnprecision.h"

#include "analysis/fisher.h"

namespace Demagora {

std::vector<std::optional<double>> drawnFisherK(const ComponentPopulations &populations)
{
    std::vector<std::optional<double>> precisions;
    precisions.reserve(populations.size());
    for (const Population &population : populations) {
        std::vector<Vector3> drawn;
        drawn.reserve(population.size());
        for (std::size_t member = 1; member < population.size(); ++member)
            drawn.push_back(
                unitVector(population[member].Declination, population[member].Inclination));
        precisions.push_back(drawn.size() < 2 ? std::nullopt : fisherStatistics(drawn).k);
    }
    return precisions;
}

} // namespace Demagora
