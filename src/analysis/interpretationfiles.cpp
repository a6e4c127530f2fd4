#include "analysis/interpretationfiles.h"

#include "analysis/analysiserror.h"
#include "measurements/specimencoordinates.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

namespace Demagora {

namespace {

// Whether a step belongs to the demagnetization (its NRM to both).
bool isStepOf(const SpecimenStep &step, DemagKind demag)
{
    return step.treatment == Treatment::Nrm
        || step.treatment
        == (demag == DemagKind::Thermal ? Treatment::Thermal : Treatment::AlternatingField);
}

// The demagnetization of the steps a component takes: AF when one of them is an AF step;
// nothing when they mix thermal and AF steps (or take others).
std::optional<DemagKind> demagOfComponent(
    const Specimen &specimen, const InterpretedComponent &component)
{
    bool thermal = false;
    bool af = false;
    for (const int index : component.steps) {
        if (index < 0 || std::size_t(index) >= specimen.steps.size())
            continue; // the fit refuses it; nothing is saved for it
        const Treatment treatment = specimen.steps[std::size_t(index)].treatment;
        thermal = thermal || treatment == Treatment::Thermal;
        af = af || treatment == Treatment::AlternatingField;
        if (treatment == Treatment::Other)
            return std::nullopt;
    }
    if (thermal && af)
        return std::nullopt;
    return af ? DemagKind::AlternatingField : DemagKind::Thermal;
}

// A step's level as fits take it: the NRM at 0.
double fitLevel(const SpecimenStep &step)
{
    return step.treatment == Treatment::Nrm ? 0 : step.level;
}

const char *levelUnitText(DemagKind demag)
{
    return demag == DemagKind::Thermal ? " \u00B0C" : " mT";
}

std::string componentLabel(const std::string &specimen, const std::string &component)
{
    return specimen + " " + (component.empty() ? std::string("(unnamed)") : component);
}

std::string degreesText(double value)
{
    const double rounded = std::round(value * 10) / 10;
    std::string text = std::to_string(rounded);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace

Interpretations emptyInterpretations(const MeasurementSet &set)
{
    Interpretations interpretations;
    interpretations.reserve(set.specimens.size());
    for (const Specimen &specimen : set.specimens) {
        std::vector<int> bad;
        for (std::size_t i = 0; i < specimen.steps.size(); ++i) {
            if (specimen.steps[i].bad)
                bad.push_back(int(i));
        }
        interpretations.push_back({ specimen.name, specimen.site, {}, std::move(bad), {} });
    }
    return interpretations;
}

std::optional<std::vector<FitStep>> fitStepsIn(
    const Specimen &specimen, CoordinateSystem coordinates)
{
    const CoordinateSystem system = coordinates;
    if (!hasCoordinates(specimen, system))
        return std::nullopt;
    std::vector<FitStep> steps;
    steps.reserve(specimen.steps.size());
    for (const SpecimenStep &step : specimen.steps) {
        const Vector3 moment = stepMoment(specimen, step, system);
        const double level = step.treatment == Treatment::Nrm ? 0 : step.level;
        steps.push_back({ level, moment });
    }
    return steps;
}

CoordinateSystem shownCoordinates(const Specimen &specimen, CoordinateSystem wanted)
{
    return hasCoordinates(specimen, wanted) ? wanted : CoordinateSystem::Specimen;
}

ComponentFit fitIn(
    const Specimen &specimen, const InterpretedComponent &component, CoordinateSystem coordinates)
{
    const std::optional<std::vector<FitStep>> steps = fitStepsIn(specimen, coordinates);
    if (!steps) {
        ComponentFit none;
        none.n = int(component.steps.size());
        none.refusal = "no orientation for " + std::string(coordinateSystemName(coordinates))
            + " coordinates";
        return none;
    }
    try {
        return fitComponent(*steps, component);
    } catch (const AnalysisError &error) {
        ComponentFit none;
        none.refusal = error.what();
        return none;
    }
}

std::vector<NamedSteps> namedSteps(
    std::span<const Specimen> framed, const std::string &measurementsName)
{
    std::vector<NamedSteps> named;
    named.reserve(framed.size());
    for (const Specimen &specimen : framed)
        named.push_back(
            { specimen.name, siteOf(specimen, measurementsName), thermalSteps(specimen) });
    return named;
}

std::vector<InterpretationResult> fitsIn(const MeasurementSet &set,
    const Interpretations &interpretations, CoordinateSystem coordinates,
    const std::string &measurementsName)
{
    std::vector<InterpretationResult> results;
    const std::size_t count = std::min(set.specimens.size(), interpretations.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Specimen &specimen = set.specimens[i];
        const std::string site = siteOf(specimen, measurementsName);
        for (const InterpretedComponent &component : interpretations[i].components) {
            InterpretationRequest request;
            request.specimen = specimen.name;
            request.type = component.type;
            request.component = component.name;
            if (!component.steps.empty()) {
                request.from = specimen.steps.at(std::size_t(component.steps.front())).level;
                request.to = specimen.steps.at(std::size_t(component.steps.back())).level;
            }
            results.push_back(
                { std::move(request), site, fitIn(specimen, component, coordinates) });
        }
    }
    return results;
}

std::vector<SiteResult> siteSummaries(const MeasurementSet &set,
    const Interpretations &interpretations, CoordinateSystem coordinates,
    const std::string &measurementsName)
{
    SiteGroups groups;
    for (const InterpretationResult &result :
        fitsIn(set, interpretations, coordinates, measurementsName))
        groups.add(result.site, result.request.component, result.fit);
    return groups.means();
}

std::vector<SavedInterpretation> savedInterpretations(
    const MeasurementSet &set, const Interpretations &interpretations)
{
    std::vector<SavedInterpretation> rows;
    const std::size_t count = std::min(set.specimens.size(), interpretations.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Specimen &specimen = set.specimens[i];
        const std::string sample = specimen.sample.empty() ? specimen.name : specimen.sample;
        for (const InterpretedComponent &component : interpretations[i].components) {
            const std::optional<DemagKind> demag = demagOfComponent(specimen, component);
            if (!demag) {
                throw AnalysisError(componentLabel(specimen.name, component.name)
                    + " takes thermal and AF steps together; a fit of the specimens table "
                      "holds steps of one demagnetization");
            }
            for (const CoordinateSystem frame : { CoordinateSystem::Specimen,
                     CoordinateSystem::Geographic, CoordinateSystem::TiltCorrected }) {
                if (!hasCoordinates(specimen, frame))
                    continue;
                InterpretedComponent framed = component;
                framed.coordinates = frame;
                const ComponentFit fit = fitIn(specimen, framed, frame);
                if (fit.fit)
                    rows.push_back(
                        savedInterpretation(specimen.name, sample, framed, fit, *demag));
            }
        }
    }
    return rows;
}

std::vector<std::string> fitsSkippingSteps(
    const MeasurementSet &set, const Interpretations &interpretations)
{
    std::vector<std::string> skipping;
    const std::size_t count = std::min(set.specimens.size(), interpretations.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Specimen &specimen = set.specimens[i];
        for (const InterpretedComponent &component : interpretations[i].components) {
            const DemagKind demag
                = demagOfComponent(specimen, component).value_or(DemagKind::Thermal);
            double from = std::numeric_limits<double>::infinity();
            double to = -from;
            for (const int index : component.steps) {
                if (index < 0 || std::size_t(index) >= specimen.steps.size())
                    continue;
                from = std::min(from, fitLevel(specimen.steps[std::size_t(index)]));
                to = std::max(to, fitLevel(specimen.steps[std::size_t(index)]));
            }
            // Bad steps are saved as such, and so left out again when the table is opened.
            const std::vector<int> &bad = interpretations[i].badSteps;
            std::size_t between = 0;
            for (std::size_t s = 0; s < specimen.steps.size(); ++s) {
                const SpecimenStep &step = specimen.steps[s];
                if (isStepOf(step, demag) && fitLevel(step) >= from && fitLevel(step) <= to
                    && !std::binary_search(bad.begin(), bad.end(), int(s)))
                    ++between;
            }
            if (between > component.steps.size())
                skipping.push_back(componentLabel(specimen.name, component.name));
        }
    }
    return skipping;
}

OpenedInterpretations interpretationsFromRows(const MeasurementSet &set,
    std::span<const SavedInterpretation> allRows, const Interpretations &current,
    CoordinateSystem shown)
{
    const FramedFits framed = fitsForFrame(allRows, shown);
    const std::vector<SavedInterpretation> &rows = framed.fits;
    OpenedInterpretations opened;
    opened.frames = framed.counts;
    opened.interpretations = current;
    if (opened.interpretations.size() != set.specimens.size())
        opened.interpretations = emptyInterpretations(set);
    std::set<std::size_t> replaced;
    std::set<std::string> unknown;
    for (const SavedInterpretation &row : rows) {
        const auto found = std::find_if(set.specimens.begin(), set.specimens.end(),
            [&](const Specimen &specimen) { return specimen.name == row.specimen; });
        if (found == set.specimens.end()) {
            if (unknown.insert(row.specimen).second)
                opened.unknownSpecimens.push_back(row.specimen);
            continue;
        }
        const std::size_t index = std::size_t(found - set.specimens.begin());
        SpecimenInterpretation &interpretation = opened.interpretations[index];
        if (replaced.insert(index).second)
            interpretation.components.clear();

        InterpretedComponent component;
        component.name = row.component.empty()
            ? "C" + std::to_string(interpretation.components.size() + 1)
            : row.component;
        component.type = row.type;
        component.coordinates = row.coordinates;
        component.software = row.software;
        for (std::size_t s = 0; s < found->steps.size(); ++s) {
            const SpecimenStep &step = found->steps[s];
            const double level = fitLevel(step);
            const std::vector<int> &bad = interpretation.badSteps;
            if (isStepOf(step, row.demag) && level >= row.from - 0.5 && level <= row.to + 0.5
                && !std::binary_search(bad.begin(), bad.end(), int(s)))
                component.steps.push_back(int(s));
        }
        if (int(component.steps.size()) != row.n) {
            opened.notes.push_back(componentLabel(row.specimen, component.name)
                + ": the table counts " + std::to_string(row.n) + " steps, "
                + std::to_string(component.steps.size()) + " lie from "
                + degreesText(row.from) + " to " + degreesText(row.to)
                + levelUnitText(row.demag));
        }
        interpretation.components.push_back(std::move(component));
        ++opened.components;
    }
    opened.specimens = int(replaced.size());
    return opened;
}

std::string measurementsTableBeside(const std::string &specimensPath)
{
    const std::size_t slash = specimensPath.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string path = specimensPath;
    const std::size_t word = path.rfind("specimens");
    if (word != std::string::npos && word >= nameStart)
        return path.replace(word, 9, "measurements");
    const std::size_t dot = path.find_last_of('.');
    const std::size_t end = dot == std::string::npos || dot <= nameStart ? path.size() : dot;
    return path.insert(end, "-measurements");
}

std::vector<Specimen> specimensMarkedBad(
    const MeasurementSet &set, const Interpretations &interpretations)
{
    std::vector<Specimen> marked = set.specimens;
    for (std::size_t i = 0; i < marked.size(); ++i) {
        if (i >= interpretations.size())
            break;
        const std::vector<int> &bad = interpretations[i].badSteps;
        for (std::size_t s = 0; s < marked[i].steps.size(); ++s)
            marked[i].steps[s].bad = std::binary_search(bad.begin(), bad.end(), int(s));
    }
    return marked;
}

std::vector<std::string> withSavedBadSteps(
    const MeasurementSet &set, const MeasurementSet &saved, Interpretations &interpretations)
{
    std::map<std::string, const Specimen *> savedByName;
    for (const Specimen &specimen : saved.specimens)
        savedByName.emplace(specimen.name, &specimen);
    std::vector<std::string> unmatched;
    const std::size_t count = std::min(set.specimens.size(), interpretations.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Specimen &specimen = set.specimens[i];
        const auto found = savedByName.find(specimen.name);
        if (found == savedByName.end())
            continue;
        // The k-th step at one treatment and level is the k-th row saved there.
        std::vector<bool> used(found->second->steps.size(), false);
        std::vector<int> bad;
        for (std::size_t s = 0; s < specimen.steps.size(); ++s) {
            const SpecimenStep &step = specimen.steps[s];
            const std::vector<SpecimenStep> &rows = found->second->steps;
            std::size_t r = 0;
            while (r < rows.size()
                && (used[r] || rows[r].treatment != step.treatment
                    || !(std::abs(rows[r].level - step.level) < 1e-6)))
                ++r;
            if (r == rows.size()) {
                unmatched.push_back(specimen.name + " " + degreesText(step.level));
                if (step.bad)
                    bad.push_back(int(s));
                continue;
            }
            used[r] = true;
            if (rows[r].bad)
                bad.push_back(int(s));
        }
        SpecimenInterpretation &interpretation = interpretations[i];
        interpretation.badSteps = bad;
        for (InterpretedComponent &component : interpretation.components)
            component.steps = withoutBadSteps(component.steps, bad);
    }
    return unmatched;
}

SpecimenInterpretation interpretationOfMergedSteps(const SpecimenInterpretation &ofReadings,
    const std::vector<int> &stepOfReading, std::size_t stepCount)
{
    SpecimenInterpretation merged = ofReadings;
    std::vector<int> goodReadings(stepCount, 0);
    for (std::size_t r = 0; r < stepOfReading.size(); ++r) {
        const int step = stepOfReading[r];
        if (step >= 0 && std::size_t(step) < stepCount
            && !std::binary_search(ofReadings.badSteps.begin(), ofReadings.badSteps.end(), int(r)))
            ++goodReadings[std::size_t(step)];
    }
    merged.badSteps.clear();
    for (std::size_t step = 0; step < stepCount; ++step) {
        if (goodReadings[step] == 0)
            merged.badSteps.push_back(int(step));
    }
    // A bad reading beside good ones at its step is left out of the step's mean.
    merged.badReadings.clear();
    for (const int reading : ofReadings.badSteps) {
        if (reading >= 0 && std::size_t(reading) < stepOfReading.size()) {
            const int step = stepOfReading[std::size_t(reading)];
            if (step >= 0 && std::size_t(step) < stepCount && goodReadings[std::size_t(step)] > 0)
                merged.badReadings.push_back(reading);
        }
    }
    for (InterpretedComponent &component : merged.components) {
        std::set<int> steps;
        for (const int reading : component.steps) {
            if (reading >= 0 && std::size_t(reading) < stepOfReading.size()
                && stepOfReading[std::size_t(reading)] >= 0)
                steps.insert(stepOfReading[std::size_t(reading)]);
        }
        component.steps = withoutBadSteps(std::vector<int>(steps.begin(), steps.end()), merged.badSteps);
    }
    return merged;
}

SpecimenInterpretation interpretationOfReadings(
    const SpecimenInterpretation &ofSteps, const std::vector<int> &stepOfReading)
{
    const auto stepBad = [&](int step) {
        return std::binary_search(ofSteps.badSteps.begin(), ofSteps.badSteps.end(), step);
    };
    const auto marked = [&](std::size_t r) {
        return std::binary_search(ofSteps.badReadings.begin(), ofSteps.badReadings.end(), int(r));
    };
    // The steps with a reading not marked bad: there the marks of the readings stand.
    std::set<int> withGoodReading;
    for (std::size_t r = 0; r < stepOfReading.size(); ++r) {
        if (!marked(r))
            withGoodReading.insert(stepOfReading[r]);
    }
    SpecimenInterpretation readings = ofSteps;
    readings.badSteps.clear();
    readings.badReadings.clear();
    for (std::size_t r = 0; r < stepOfReading.size(); ++r) {
        const int step = stepOfReading[r];
        if (stepBad(step) || (marked(r) && withGoodReading.contains(step)))
            readings.badSteps.push_back(int(r));
    }
    for (InterpretedComponent &component : readings.components) {
        std::vector<int> taken;
        for (std::size_t r = 0; r < stepOfReading.size(); ++r) {
            if (std::binary_search(component.steps.begin(), component.steps.end(), stepOfReading[r]))
                taken.push_back(int(r));
        }
        component.steps = withoutBadSteps(taken, readings.badSteps);
    }
    return readings;
}

} // namespace Demagora
