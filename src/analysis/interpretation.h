#pragma once

#include "analysis/fits.h"
#include "measurements/specimen.h"
#include "measurements/specimencoordinates.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// One component of a specimen as the user picked it: any set of its steps, not only an
// interval, the kind of fit and a name ("LT", "HT" ...).
struct InterpretedComponent
{
    std::string name;
    FitType type = FitType::Free;
    // Indices into the specimen's steps, in increasing order, each once.
    std::vector<int> steps;
    CoordinateSystem coordinates = CoordinateSystem::Specimen;
    // The program whose method the fit follows, as a MagIC table names it in
    // software_packages; empty for this program's own fits.
    std::string software;
};

// A component fitted: its fit, or why it has none.
struct ComponentFit
{
    int n = 0; // steps chosen
    double from = 0; // the lowest and the highest treatment among them, degrees
    double to = 0;
    std::optional<Fit> fit;
    // Lines only: the 95% cone of the direction estimated from the MAD, with the published
    // factors (alpha95FromMad) and exact for isotropic noise (alpha95Isotropic).
    std::optional<double> alpha95FromMad;
    std::optional<double> alpha95Isotropic;
    std::string refusal;
};

// The interpretation of one specimen: its components, in the order they were made, and the
// steps marked bad, which no component takes.
struct SpecimenInterpretation
{
    std::string specimen;
    std::string site;
    std::vector<InterpretedComponent> components;
    // Indices into the specimen's steps, in increasing order, each once.
    std::vector<int> badSteps;
    // Where the steps are merged from readings (repeats): the readings marked bad one by one,
    // indices into the specimen's readings in increasing order, left out of the mean of their
    // step; empty where each reading is a step of its own.
    std::vector<int> badReadings;
};

// Every step with a temperature from 'from' to 'to', both included, as indices.
std::vector<int> stepsBetween(std::span<const FitStep> steps, double from, double to);

// Puts the indices in increasing order without repeats. Throws AnalysisError naming the first
// index outside the specimen's steps.
std::vector<int> normalizedSelection(std::vector<int> indices, std::size_t stepCount);

// The steps (in increasing order) that are not among the bad ones (in increasing order).
std::vector<int> withoutBadSteps(const std::vector<int> &steps, const std::vector<int> &bad);

// Fits the chosen steps of a specimen. A component whose steps have no fit keeps the refusal;
// an index outside the steps throws AnalysisError.
ComponentFit fitComponent(std::span<const FitStep> steps, const InterpretedComponent &component);

// Fits every component again, in order.
std::vector<ComponentFit> refit(
    std::span<const FitStep> steps, const SpecimenInterpretation &interpretation);

// The thermal steps of a specimen, the NRM at 0 degrees, in the order they were measured and
// in the specimen's own coordinates. Steps of other treatments are left out.
std::vector<FitStep> thermalSteps(const Specimen &specimen);

} // namespace Demagora
