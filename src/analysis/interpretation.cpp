#include "analysis/interpretation.h"

#include "analysis/analysiserror.h"
#include "analysis/sitemean.h"

#include <algorithm>
#include <iterator>
#include <array>

namespace Demagora {

std::vector<int> stepsBetween(std::span<const FitStep> steps, double from, double to)
{
    std::vector<int> indices;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].temperature >= from && steps[i].temperature <= to)
            indices.push_back(static_cast<int>(i));
    }
    return indices;
}

std::vector<int> normalizedSelection(std::vector<int> indices, std::size_t stepCount)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (const int index : indices) {
        if (index < 0 || static_cast<std::size_t>(index) >= stepCount) {
            throw AnalysisError("step " + std::to_string(index + 1)
                + " is not among the specimen's " + std::to_string(stepCount) + " steps");
        }
    }
    return indices;
}

std::vector<int> withoutBadSteps(const std::vector<int> &steps, const std::vector<int> &bad)
{
    std::vector<int> good;
    good.reserve(steps.size());
    std::set_difference(
        steps.begin(), steps.end(), bad.begin(), bad.end(), std::back_inserter(good));
    return good;
}

ComponentFit fitComponent(std::span<const FitStep> steps, const InterpretedComponent &component)
{
    const std::vector<int> indices = normalizedSelection(component.steps, steps.size());
    std::vector<FitStep> chosen;
    chosen.reserve(indices.size());
    for (const int index : indices)
        chosen.push_back(steps[static_cast<std::size_t>(index)]);

    ComponentFit result;
    result.n = static_cast<int>(chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        result.from = i == 0 ? chosen[i].temperature : std::min(result.from, chosen[i].temperature);
        result.to = i == 0 ? chosen[i].temperature : std::max(result.to, chosen[i].temperature);
    }
    try {
        result.fit = fitSteps(chosen, component.type);
        result.alpha95FromMad = alpha95FromMad(result.fit->mad, result.n, component.type);
        result.alpha95Isotropic = alpha95Isotropic(result.fit->mad, result.n, component.type);
    } catch (const AnalysisError &error) {
        result.refusal = error.what();
    }
    return result;
}

std::vector<ComponentFit> refit(
    std::span<const FitStep> steps, const SpecimenInterpretation &interpretation)
{
    std::vector<ComponentFit> fits;
    fits.reserve(interpretation.components.size());
    for (const InterpretedComponent &component : interpretation.components)
        fits.push_back(fitComponent(steps, component));
    return fits;
}

std::vector<FitStep> thermalSteps(const Specimen &specimen)
{
    std::vector<FitStep> steps;
    steps.reserve(specimen.steps.size());
    for (const SpecimenStep &step : specimen.steps) {
        if (step.treatment == Treatment::Nrm)
            steps.push_back({ 0, { step.x, step.y, step.z } });
        else if (step.treatment == Treatment::Thermal)
            steps.push_back({ step.level, { step.x, step.y, step.z } });
    }
    return steps;
}

} // namespace Demagora
