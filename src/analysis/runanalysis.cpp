#include "analysis/runanalysis.h"

#include "analysis/analysiserror.h"
#include "model/vector3.h"

#include <cmath>

namespace Demagora {

namespace {

std::string numberText(double value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.ends_with('.'))
        text.pop_back();
    return text;
}

std::vector<Vector3> componentDirections(const ComponentPopulations &populations)
{
    std::vector<Vector3> directions;
    for (const Population &population : populations) {
        if (!population.empty())
            directions.push_back(
                unitVector(population.front().Declination, population.front().Inclination));
    }
    return directions;
}

// The simulated specimens: members 1 to N, or the components as entered when not scattered.
bool isSpecimen(std::size_t member, std::size_t memberCount)
{
    return memberCount == 1 || member > 0;
}

MemberFit fitMember(int member, const std::vector<FitStep> &steps, FitType type, double from,
    double to, const std::vector<Vector3> &components)
{
    std::vector<FitStep> inside;
    for (const FitStep &step : steps) {
        if (step.temperature >= from && step.temperature <= to)
            inside.push_back(step);
    }
    MemberFit result;
    result.member = member;
    result.n = static_cast<int>(inside.size());
    if (!inside.empty()) {
        result.from = inside.front().temperature;
        result.to = inside.back().temperature;
    }
    try {
        result.fit = fitSteps(inside, type);
        for (const Vector3 &component : components)
            result.anglesToComponents.push_back(angleToFit(*result.fit, component));
    } catch (const AnalysisError &error) {
        result.refusal = error.what();
    }
    return result;
}

std::optional<FisherStatistics> fisherOf(const std::vector<Vector3> &directions)
{
    if (directions.empty())
        return std::nullopt;
    return fisherStatistics(directions);
}

// A plane's pole is an axis: its sign says nothing, so the poles are averaged as axes.
std::optional<FisherStatistics> fisherOfFits(const std::vector<Vector3> &directions, FitType type)
{
    if (directions.empty())
        return std::nullopt;
    return type == FitType::Plane ? fisherStatisticsOfAxes(directions)
                                  : fisherStatistics(directions);
}

} // namespace

MemberSteps stepsOfSeries(const ResultSeries &series)
{
    MemberSteps steps(series.size());
    for (std::size_t member = 0; member < series.size(); ++member) {
        steps[member].reserve(series[member].size());
        for (const TResultVectors &point : series[member])
            steps[member].push_back({ point.Temperature, { point.X, point.Y, point.Z } });
    }
    return steps;
}

MemberSteps stepsOfMeasurements(const MeasuredSeries &measured)
{
    MemberSteps steps(measured.specimenCount());
    for (std::size_t member = 0; member < steps.size(); ++member) {
        for (const MeasuredStep &step : measured.specimen(member)) {
            steps[member].push_back(
                { static_cast<double>(step.temperature), { step.x, step.y, step.z } });
        }
    }
    return steps;
}

StepReader seriesStepReader(const ResultSeries &series)
{
    return [&series](std::size_t member, std::vector<FitStep> &steps) {
        steps.clear();
        steps.reserve(series[member].size());
        for (const TResultVectors &point : series[member])
            steps.push_back({ point.Temperature, { point.X, point.Y, point.Z } });
    };
}

StepReader measuredStepReader(const MeasuredSeries &measured)
{
    return [&measured](std::size_t member, std::vector<FitStep> &steps) {
        steps.clear();
        for (const MeasuredStep &step : measured.specimen(member)) {
            steps.push_back({ static_cast<double>(step.temperature), { step.x, step.y, step.z } });
        }
    };
}

RunAnalysis analyseRun(const MemberSteps &steps, const ComponentPopulations &populations,
    FitType type, double from, double to)
{
    const StepReader read
        = [&steps](std::size_t member, std::vector<FitStep> &out) { out = steps[member]; };
    return *analyseRun(steps.size(), read, populations, type, from, to);
}

std::optional<RunAnalysis> analyseRun(std::size_t memberCount, const StepReader &read,
    const ComponentPopulations &populations, FitType type, double from, double to,
    const AnalysisProgress &progress)
{
    const std::string interval = "the interval " + numberText(from) + " to " + numberText(to);
    if (!(from <= to))
        throw AnalysisError(interval + " ends below its start");
    std::vector<FitStep> memberSteps;
    std::size_t count = 0;
    if (memberCount > 0) {
        read(0, memberSteps);
        for (const FitStep &step : memberSteps)
            count += step.temperature >= from && step.temperature <= to ? 1 : 0;
    }
    if (count < static_cast<std::size_t>(minimumSteps(type))) {
        throw AnalysisError(interval + " holds " + std::to_string(count)
            + (count == 1 ? " step" : " steps") + "; "
            + (type == FitType::Plane ? "a plane" : "a line") + " needs at least "
            + std::to_string(minimumSteps(type)));
    }

    RunAnalysis analysis;
    analysis.type = type;
    analysis.from = from;
    analysis.to = to;
    const std::vector<Vector3> components = componentDirections(populations);
    std::vector<Vector3> fitted;
    analysis.fits.reserve(memberCount);
    for (std::size_t member = 0; member < memberCount; ++member) {
        if (progress.stopRequested && progress.stopRequested())
            return std::nullopt;
        read(member, memberSteps);
        MemberFit memberFit
            = fitMember(static_cast<int>(member), memberSteps, type, from, to, components);
        if (memberFit.fit && isSpecimen(member, memberCount))
            fitted.push_back(memberFit.fit->direction);
        analysis.fits.push_back(std::move(memberFit));
        if (progress.report)
            progress.report(member + 1);
    }

    analysis.sets.push_back({ "fitted", fisherOfFits(fitted, type) });
    const std::optional<FisherStatistics> &mean = analysis.sets.front().fisher;
    for (const Vector3 &component : components) {
        std::optional<double> angle;
        if (mean && mean->mean) {
            Fit meanFit;
            meanFit.type = type;
            meanFit.direction = unitVector(mean->mean->declination, mean->mean->inclination);
            angle = angleToFit(meanFit, component);
        }
        analysis.meanAnglesToComponents.push_back(angle);
    }

    for (std::size_t i = 0; i < populations.size(); ++i) {
        const Population &population = populations[i];
        std::vector<Vector3> initial;
        for (std::size_t member = 0; member < population.size(); ++member) {
            if (isSpecimen(member, population.size()))
                initial.push_back(
                    unitVector(population[member].Declination, population[member].Inclination));
        }
        analysis.sets.push_back({ "component_" + std::to_string(i + 1), fisherOf(initial) });
    }
    return std::optional<RunAnalysis>(std::move(analysis));
}

RunAnalysis analyseSpecimens(const MemberSteps &steps, FitType type, double from, double to)
{
    if (!(from <= to)) {
        throw AnalysisError(
            "the interval " + numberText(from) + " to " + numberText(to) + " ends below its start");
    }
    RunAnalysis analysis;
    analysis.type = type;
    analysis.from = from;
    analysis.to = to;
    std::vector<Vector3> fitted;
    for (std::size_t member = 0; member < steps.size(); ++member) {
        MemberFit memberFit
            = fitMember(static_cast<int>(member), steps[member], type, from, to, {});
        if (memberFit.fit)
            fitted.push_back(memberFit.fit->direction);
        analysis.fits.push_back(std::move(memberFit));
    }
    analysis.sets.push_back({ "fitted", fisherOfFits(fitted, type) });
    return analysis;
}

} // namespace Demagora
