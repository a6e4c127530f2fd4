#pragma once

#include "analysis/fisher.h"
#include "analysis/fits.h"
#include "measurements/measuredseries.h"
#include "model/populations.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Demagora {

// The measured steps of every member index, in treatment order.
using MemberSteps = std::vector<std::vector<FitStep>>;

// Every whole degree of the run: each curve point as one step.
MemberSteps stepsOfSeries(const ResultSeries &series);

// The measurements of every specimen at the temperatures of their schedule.
MemberSteps stepsOfMeasurements(const MeasuredSeries &measured);

// Fills steps (emptied first) with the steps of one member in treatment order. An analysis
// reads one member at a time through it, so that a large run is never copied whole.
using StepReader = std::function<void(std::size_t member, std::vector<FitStep> &steps)>;

// Readers over the run's curves and over its measurements, in place: these must outlive
// the reader and stay unchanged.
StepReader seriesStepReader(const ResultSeries &series);
StepReader measuredStepReader(const MeasuredSeries &measured);

// What a long analysis tells its caller and asks it, both from the analysing thread:
// report(done) after every member fitted; stopRequested() before every member.
struct AnalysisProgress
{
    std::function<void(std::size_t done)> report;
    std::function<bool()> stopRequested;
};

// The fit of one member over the interval.
struct MemberFit
{
    int member = 0;
    int n = 0; // steps inside the interval
    double from = 0; // temperature of the first and last of them
    double to = 0;
    std::optional<Fit> fit;
    std::string refusal; // why there is no fit
    // Per entered component: the angle from its direction to the fit (angleToFit), degrees.
    std::vector<double> anglesToComponents;
};

// A set of directions summed up: the fitted ones, or one component's population.
struct DirectionSet
{
    std::string name; // "fitted", "component_1", ...
    std::optional<FisherStatistics> fisher; // absent when no direction was there to average
};

// The fits of all members over one interval and what they show of the population.
struct RunAnalysis
{
    FitType type = FitType::Free;
    double from = 0; // the interval as asked for, inclusive
    double to = 0;
    std::vector<MemberFit> fits;
    // The fitted directions (poles for planes) of the simulated specimens, i.e. the members
    // 1 to N, or member 0 alone when the components are not scattered; then per component
    // the initial directions of the same members, as drawn.
    std::vector<DirectionSet> sets;
    // Per entered component: the angle from its direction to the Fisher mean of the fitted
    // directions (to the mean great circle for planes); absent without that mean.
    std::vector<std::optional<double>> meanAnglesToComponents;
    // The typed precision of the scattering, for the comparison with the drawn one.
    std::optional<double> typedFisherK;
};

// Fits every member's steps from 'from' to 'to' inclusive. Throws AnalysisError when the
// interval is reversed or holds fewer steps than the fit type needs; a member whose steps
// have no fit keeps its row with the refusal.
RunAnalysis analyseRun(const MemberSteps &steps, const ComponentPopulations &populations,
    FitType type, double from, double to);

// The same for memberCount members read through read; empty when progress asked to stop.
std::optional<RunAnalysis> analyseRun(std::size_t memberCount, const StepReader &read,
    const ComponentPopulations &populations, FitType type, double from, double to,
    const AnalysisProgress &progress = {});

// The fits of measured specimens, each a specimen of its own: every specimen keeps its row,
// with the refusal where its steps inside the interval have no fit, and the fitted set sums up
// all of them. Throws AnalysisError only for a reversed interval.
RunAnalysis analyseSpecimens(const MemberSteps &steps, FitType type, double from, double to);

} // namespace Demagora
