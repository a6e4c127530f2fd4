#include "unmixing/unmixing.h"

#include "model/vector3.h"
#include "text/statistics.h"
#include "unmixing/componentfit.h"
#include "unmixing/continuousspectrum.h"
#include "unmixing/turningpath.h"
#include "unmixing/unmixbootstrap.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>

namespace Demagora {

namespace {

// Starts refined for every number of components and choice of shapes.
constexpr int RefinedStarts = 4;

// A residual this small against the largest moment is taken as an exact fit, so that BIC
// stays finite on data without noise.
constexpr double ExactFitRms = 1e-9;

// The error angle is read as the radius holding 95 % of the readings scattered by a Gauss
// noise of the same deviation on each axis across the direction: sqrt(-2 ln 0.05).
const double ErrorRadiusSigmas = std::sqrt(-2 * std::log(0.05));

void check(const std::string &specimen, const std::vector<UnmixStep> &steps, int components)
{
    const int needed = minimumUnmixSteps(std::max(components, 1));
    if (int(steps.size()) < needed)
        throw UnmixingError(specimen + ": " + std::to_string(steps.size())
            + (steps.size() == 1 ? " step is" : " steps are") + " too few to unmix; "
            + std::to_string(components > 0 ? components : 1) + " component(s) need at least "
            + std::to_string(needed));
    if (steps.size() > std::size_t(MaxUnmixSteps))
        throw UnmixingError(specimen + ": " + std::to_string(steps.size())
            + " steps are more than the " + std::to_string(MaxUnmixSteps)
            + " the unmixing of one specimen takes");
    bool moment = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const UnmixStep &s = steps[i];
        std::ostringstream temperature;
        temperature << s.temperature; // 150, 152.5: as a file writes it
        const std::string where
            = specimen + ", step " + std::to_string(i + 1) + " (" + temperature.str() + ")";
        if (!std::isfinite(s.temperature) || !std::isfinite(s.moment.x)
            || !std::isfinite(s.moment.y) || !std::isfinite(s.moment.z))
            throw UnmixingError(where + ": the temperature and the moment must be finite numbers");
        if (i > 0 && !(s.temperature > steps[i - 1].temperature))
            throw UnmixingError(where + ": temperatures must increase from step to step");
        if (s.errorDegrees && !(std::isfinite(*s.errorDegrees) && *s.errorDegrees >= 0))
            throw UnmixingError(where + ": the error angle must be a finite number >= 0");
        moment = moment || s.moment != Vector3 {};
    }
    if (!moment)
        throw UnmixingError(specimen + ": no step has a moment; there is nothing to unmix");
}

double lengthOf(const UnmixStep &s)
{
    return norm(s.moment);
}

std::vector<int> componentCounts(int fixed, int most, std::size_t steps)
{
    if (fixed > 0)
        return { fixed };
    std::vector<int> counts;
    for (int k = 1; k <= std::min(most, MaxUnmixComponents); ++k)
        if (int(steps) >= minimumUnmixSteps(k))
            counts.push_back(k);
    return counts;
}

// A key telling the choice of shapes apart: how many Gauss components there are.
int gaussCount(const std::vector<ComponentParameters> &components)
{
    return int(std::count_if(components.begin(), components.end(),
        [](const ComponentParameters &c) { return c.shape == SpectrumShape::Gauss; }));
}

} // namespace

int minimumUnmixSteps(int components)
{
    // Five parameters a component, and at least two more numbers than parameters.
    return (5 * components + 2) / 3 + 1;
}

std::vector<UnmixStep> unmixSteps(const Specimen &specimen)
{
    std::vector<UnmixStep> steps;
    for (std::size_t i = 0; i < specimen.steps.size(); ++i) {
        const SpecimenStep &s = specimen.steps[i];
        if (s.treatment != Treatment::Nrm && s.treatment != Treatment::Thermal)
            throw UnmixingError(specimen.name + ", step " + std::to_string(i + 1)
                + ": only thermal steps and the NRM can be unmixed");
        steps.push_back({ s.level, { s.x, s.y, s.z }, s.errorDegrees });
    }
    return steps;
}

std::vector<Vector3> predictedMoments(
    const std::vector<UnmixComponent> &components, const std::vector<double> &temperatures)
{
    std::vector<Vector3> moments(temperatures.size());
    for (std::size_t i = 0; i < temperatures.size(); ++i)
        for (const UnmixComponent &c : components) {
            const double r = continuousRemaining(c.shape, c.height, c.low, c.high, temperatures[i]);
            const Vector3 u = unitVector(c.declination, c.inclination);
            moments[i].x += u.x * r;
            moments[i].y += u.y * r;
            moments[i].z += u.z * r;
        }
    return moments;
}

namespace {

// The fewest steps inside the range of one of the components, its ends included.
int fewestSteps(const FitData &data, const std::vector<ComponentParameters> &components)
{
    int fewest = std::numeric_limits<int>::max();
    for (const ComponentParameters &c : components) {
        const double low = c.values[3];
        const double high = low + c.values[4];
        fewest = std::min(fewest,
            int(std::count_if(data.temperatures.begin(), data.temperatures.end(),
                [&](double t) { return t >= low && t <= high; })));
    }
    return components.empty() ? 0 : fewest;
}

// Chi-square per degree of freedom of a fit against the weights.
double misfitOf(double cost, double numbers, int components)
{
    return cost / std::max(numbers - 5.0 * components, 1.0);
}

} // namespace

double unmixCancellation(
    const std::vector<UnmixComponent> &components, const std::vector<double> &temperatures)
{
    double parts = 0, whole = 0;
    for (std::size_t i = 0; i < temperatures.size(); ++i) {
        Vector3 sum {};
        for (const UnmixComponent &c : components) {
            const auto remaining = [&c](double t) {
                return continuousRemaining(c.shape, c.height, c.low, c.high, t);
            };
            const double lost = remaining(temperatures[i])
                - (i + 1 < temperatures.size() ? remaining(temperatures[i + 1]) : 0);
            const Vector3 part = lost * unitVector(c.declination, c.inclination);
            parts += std::abs(lost);
            sum = sum + part;
        }
        whole += norm(sum);
    }
    return whole > 0 ? parts / whole : std::numeric_limits<double>::infinity();
}

bool soundCandidate(const UnmixCandidate &candidate)
{
    return candidate.converged && candidate.cancellation <= MaxUnmixCancellation
        && candidate.fewestSteps >= MinUnmixStepsInRange;
}

std::size_t chosenCandidate(const std::vector<UnmixCandidate> &candidates)
{
    // A fit the solver left unfinished is no minimum, and its BIC says nothing; nor does a fit
    // whose components mostly cancel one another (two of one range pointing apart, grown far
    // beyond the moment measured), or one with a component that too few steps carry: noise in
    // the steps decides their directions. BIC chooses among the sound fits, and among all only
    // when none is sound.
    const bool anySound = std::any_of(candidates.begin(), candidates.end(), soundCandidate);
    std::optional<std::size_t> bestFound;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const UnmixCandidate &c = candidates[i];
        if ((soundCandidate(c) || !anySound) && (!bestFound || c.bic < candidates[*bestFound].bic))
            bestFound = i;
    }
    return bestFound.value_or(0);
}

FitData unmixFitData(const std::vector<UnmixStep> &steps)
{
    FitData data;
    for (const UnmixStep &s : steps)
        data.scale = std::max(data.scale, lengthOf(s));
    data.withErrors = std::all_of(steps.begin(), steps.end(), [](const UnmixStep &s) {
        return s.errorDegrees && *s.errorDegrees > 0 && lengthOf(s) > 0;
    });
    const double scale = data.scale;
    for (const UnmixStep &s : steps) {
        data.temperatures.push_back(s.temperature);
        data.moments.push_back({ s.moment.x / scale, s.moment.y / scale, s.moment.z / scale });
        double sigma = 1;
        if (data.withErrors)
            sigma = lengthOf(s) / scale * std::tan(*s.errorDegrees * std::acos(-1.0) / 180)
                / ErrorRadiusSigmas;
        data.weights.push_back(1 / sigma);
    }
    const double first = steps.front().temperature;
    const double last = steps.back().temperature;
    // A range may begin before the first step and end after the last one (a component that
    // the heating has not yet removed), by a tenth of the heating range.
    const double margin = std::max(0.1 * (last - first), 10.0);
    data.lowBound = first - margin;
    data.highBound = last + margin;
    return data;
}

UnmixResult unmixSpecimen(
    const std::string &specimen, const std::vector<UnmixStep> &steps, const UnmixOptions &options)
{
    if (options.components < 0 || options.components > MaxUnmixComponents)
        throw UnmixingError(specimen + ": the number of components must be 1 to "
            + std::to_string(MaxUnmixComponents));
    check(specimen, steps, options.components);

    const FitData data = unmixFitData(steps);
    const double scale = data.scale;
    const bool withErrors = data.withErrors;

    // Asked between the counts, between the starts and inside every refit, so that a stop
    // ends the first fit within one iteration of the solver.
    const std::function<bool()> &stop = options.stopRequested;
    const auto stopIfAsked = [&] {
        if (stop && stop())
            throw UnmixingError(specimen + ": the unmixing was stopped");
    };
    stopIfAsked();
    const StartSearch search(data, options.shapes);
    const double n = 3.0 * double(steps.size());
    UnmixResult result;
    std::vector<FitOutcome> outcomes;
    // A fixed number of components gives way, one at a time, to fewer until a fit is sound.
    std::vector<int> counts
        = componentCounts(options.components, options.maxComponents, steps.size());
    for (std::size_t at = 0; at < counts.size(); ++at) {
        const int k = counts[at];
        stopIfAsked();
        // The best refit of each choice of shapes for this count.
        std::map<int, FitOutcome> byShapes;
        for (const auto &start : search.starts(k, RefinedStarts)) {
            stopIfAsked();
            FitOutcome outcome = refineComponents(data, start, stop);
            stopIfAsked();
            const int key = gaussCount(outcome.components);
            const auto found = byShapes.find(key);
            if (found == byShapes.end() || outcome.cost < found->second.cost)
                byShapes[key] = std::move(outcome);
        }
        bool anySound = false;
        for (auto &[key, outcome] : byShapes) {
            UnmixCandidate candidate;
            for (const ComponentParameters &p : outcome.components)
                candidate.components.push_back(unmixComponent(p, scale));
            candidate.rms = std::sqrt(plainCost(data, outcome.components) / n) * scale;
            candidate.converged = outcome.converged;
            candidate.cancellation = unmixCancellation(candidate.components, data.temperatures);
            candidate.fewestSteps = fewestSteps(data, outcome.components);
            anySound = anySound || soundCandidate(candidate);
            result.candidates.push_back(std::move(candidate));
            outcomes.push_back(std::move(outcome));
        }
        if (options.components > 0 && !anySound && k > 1)
            counts.push_back(k - 1);
    }
    if (outcomes.empty())
        throw UnmixingError(specimen + ": no blocking range fits the steps");

    // With error angles, BIC is chi-square plus the penalty while the closest fit lies within
    // the errors. Where even that fit leaves chi-square per degree of freedom above its 95 %
    // range, the errors understate the misfit (a model that is not quite the rock's): their
    // size is then unknown, and BIC takes it as a free scale of the stated errors, as it takes
    // the noise without them.
    bool errorsHold = false;
    if (withErrors) {
        std::optional<std::size_t> closest;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            const double m = misfitOf(outcomes[i].cost, n, int(outcomes[i].components.size()));
            if (outcomes[i].converged
                && (!closest
                    || m < misfitOf(
                           outcomes[*closest].cost, n, int(outcomes[*closest].components.size()))))
                closest = i;
        }
        const std::size_t c = closest.value_or(0);
        const int k = int(outcomes[c].components.size());
        errorsHold = misfitOf(outcomes[c].cost, n, k)
            <= chiSquarePerDegreeRange(std::max(n - 5.0 * k, 1.0)).high;
    }
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const double parameters = 5.0 * double(outcomes[i].components.size());
        const double sum = withErrors ? outcomes[i].cost : plainCost(data, outcomes[i].components);
        if (errorsHold)
            result.candidates[i].bic = sum + parameters * std::log(n);
        else
            result.candidates[i].bic = n * std::log(std::max(sum / n, ExactFitRms * ExactFitRms))
                + parameters * std::log(n);
    }

    const std::size_t best = chosenCandidate(result.candidates);
    result.best = result.candidates[best];
    result.chosen = best;
    const FitOutcome &chosen = outcomes[best];
    const std::vector<ComponentParameters> twin = onSliceGrid(data, chosen.components);
    for (const ComponentParameters &p : twin)
        result.twin.push_back(unmixComponent(p, scale));
    result.twinRms = std::sqrt(plainCost(data, twin) / n) * scale;
    result.aloneShare = aloneShare(result.best.components, data.temperatures);
    result.turning = turningPath(result.best.components.size(), result.aloneShare);

    // The noise the bootstrap draws, per step and axis, in scaled units.
    std::vector<double> noise(steps.size());
    const int k = int(chosen.components.size());
    const double freedom = std::max(n - 5.0 * k, 1.0);
    if (withErrors) {
        const double misfit = chosen.cost / freedom;
        const ChiSquareRange range = chiSquarePerDegreeRange(freedom);
        result.misfit = misfit;
        result.misfitLow = range.low;
        result.misfitHigh = range.high;
        // Errors too small for the fit's own residuals are scaled up to them; errors too large
        // are kept, so that no interval is narrowed below what the file states.
        result.noiseScale = misfit > range.high ? std::sqrt(misfit) : 1.0;
        double sum = 0;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            noise[i] = result.noiseScale / data.weights[i];
            sum += noise[i] * noise[i];
        }
        result.noise = std::sqrt(sum / double(steps.size())) * scale;
    } else {
        const double sigma = std::sqrt(plainCost(data, chosen.components) / freedom);
        std::fill(noise.begin(), noise.end(), sigma);
        result.noise = sigma * scale;
    }
    result.noiseFromErrors = withErrors;
    if (options.bootstrap > 0) {
        BootstrapSummary summary
            = bootstrapComponents(data, chosen.components, noise, scale, options);
        result.intervals = std::move(summary.intervals);
        result.bootstrapRefits = summary.refits;
        result.bootstrapNotConverged = summary.notConverged;
        result.jackknifeRefits = summary.jackknifeRefits;
    }
    return result;
}

} // namespace Demagora
