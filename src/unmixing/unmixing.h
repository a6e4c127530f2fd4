#pragma once

#include "measurements/specimen.h"
#include "model/tvector.h"
#include "model/vector3.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Demagora {

// One thermal step of the specimen to unmix: the temperature it was heated to (degrees, the NRM
// at its own temperature) and the moment left, x north, y east, z down, in any unit.
struct UnmixStep
{
    double temperature = 0;
    Vector3 moment;
    // The measurement's error angle, degrees, where the file gives one.
    std::optional<double> errorDegrees;
};

// The steps of a specimen as a measurement file gives them: the NRM and the thermal steps.
// Throws UnmixingError, naming the specimen and the step, for any other treatment.
std::vector<UnmixStep> unmixSteps(const Specimen &specimen);

// One fitted component: a direction, a blocking spectrum of the specimen's moment unit per
// degree (the peak for a Gauss spectrum) over [low, high] degrees.
struct UnmixComponent
{
    SpectrumShape shape = SpectrumShape::Gauss;
    double declination = 0; // degrees, [0, 360)
    double inclination = 0; // degrees
    double height = 0;
    double low = 0;
    double high = 0;
};

// Which spectrum shapes the fit may give its components.
enum class UnmixShapes { Gauss, Rectangular, Any };

struct UnmixOptions
{
    // 1 to MaxUnmixComponents; 0: chosen by BIC. A fixed number whose fit is not sound gives
    // way to the most components below it that are.
    int components = 0;
    int maxComponents = 4; // the most that BIC chooses from
    UnmixShapes shapes = UnmixShapes::Any;
    // Refits of the fitted model with resampled noise, then one refit for each step left out;
    // 0: neither.
    int bootstrap = 200;
    std::uint64_t seed = 1; // of the bootstrap's noise
    unsigned threads = 0; // 0: every core
    std::function<void(int done, int total)> progress; // called from the calling thread
    std::function<bool()> stopRequested; // asked often, from any thread; a stop throws
};

inline constexpr int MaxUnmixComponents = 4;

// The best fit found for one number of components and one choice of shapes.
struct UnmixCandidate
{
    std::vector<UnmixComponent> components;
    double rms = 0; // root mean square of the vector residuals per axis, moment unit
    double bic = 0;
    bool converged = false;
    // The sum over the steps of each component's loss to the next step (what it keeps, at the
    // last), over that of their total: 1 when the components never point apart.
    double cancellation = 1;
    // The fewest steps whose temperature lies inside one component's range, its ends included.
    int fewestSteps = 0;
};

// Beyond this cancellation a fit's components are not told apart by the steps: their
// directions follow the noise. True models of nested spectra pointing opposite (an inner range
// of a third of the outer one, its peak up to 4 times the outer's) reach 2.1; two of nearly
// one range pointing apart go far beyond.
inline constexpr double MaxUnmixCancellation = 3;

// A component with fewer steps inside its range is carried by one or two differences of the
// steps: its direction is theirs, noise and all, and a dropped step turns it anywhere.
inline constexpr int MinUnmixStepsInRange = 3;

// How much the components cancel one another in what the steps at the temperatures remove:
// over every step, the sum of the lengths of each component's loss to the next step (at the
// last step, of what it keeps), over the sum of the lengths of their total. Components that
// cancel in what remains but not in what each step removes (a strong inner range pointing
// against a wide outer one) are told apart by the steps; two of nearly one range pointing
// apart are not. Infinite when the total is nothing at every step.
double unmixCancellation(
    const std::vector<UnmixComponent> &components, const std::vector<double> &temperatures);

// A fit BIC may choose: converged, its cancellation at most MaxUnmixCancellation, at least
// MinUnmixStepsInRange steps inside every range.
bool soundCandidate(const UnmixCandidate &candidate);

// The index of the candidate BIC chooses: the least BIC among the sound candidates, among all
// when none is sound; the first of equal BICs. 0 for no candidates.
std::size_t chosenCandidate(const std::vector<UnmixCandidate> &candidates);

// The uncertainty of one component from the bootstrap and the jackknife. bootstrapAlpha95 is
// the angle around the fitted direction holding 95 % of the refitted directions; jackknife
// the most the direction turns when one step is left out and the rest refitted. A component
// that turns more than bootstrapAlpha95 is not stable, and alpha95, the cone reported, is
// widened to its jackknife angle. The rest are 95 % percentile intervals of the bootstrap.
struct ComponentInterval
{
    double alpha95 = 0;
    double bootstrapAlpha95 = 0;
    double jackknife = 0;
    bool stable = true;
    double heightLow = 0, heightHigh = 0;
    double lowLow = 0, lowHigh = 0;
    double highLow = 0, highHigh = 0;
};

struct UnmixResult
{
    UnmixCandidate best;
    std::vector<UnmixCandidate> candidates; // every number of components and shapes tried
    std::size_t chosen = 0; // the index of best among the candidates
    // The noise per axis (moment unit, the root mean square over the steps) the bootstrap
    // draws: from the steps' error angles where every step has one, scaled by the square root
    // of the misfit where that lies beyond its 95 % range; else from the residuals of the
    // best fit.
    double noise = 0;
    bool noiseFromErrors = false;
    // With error angles: the best fit's chi-square per degree of freedom against them, and the
    // range holding 95 % of it were they the whole noise.
    std::optional<double> misfit;
    double misfitLow = 0, misfitHigh = 0;
    // The factor the stated errors were scaled by: 1 unless the misfit lies above its range.
    double noiseScale = 1;
    // The best components as a twin scenario is written from: their ranges on the simulator's
    // tenths of a degree and their moments refitted to the steps, so that the simulator run
    // gives back these components' own prediction; twinRms is their residual, as rms is.
    std::vector<UnmixComponent> twin;
    double twinRms = 0;
    std::vector<ComponentInterval> intervals; // one per component; empty without bootstrap
    int bootstrapRefits = 0;
    int jackknifeRefits = 0; // one per step, run with the bootstrap
    int bootstrapNotConverged = 0; // counted in the intervals all the same, and reported
    // The largest part of what the steps remove that one of the best components carries alone
    // over a stretch of steps (aloneShare), and whether the direction is judged to turn along
    // the whole path (turningPath): the components then describe the path, not magnetizations.
    double aloneShare = 1;
    bool turning = false;
};

// What the window and the batch say of a path judged turning.
inline constexpr const char *TurningPathMessage
    = "the direction turns along the whole path; the components describe the path";

// The fewest steps the fit takes for k components.
int minimumUnmixSteps(int components);
// The most steps the fit takes: a real specimen has tens; time and memory grow with each.
inline constexpr int MaxUnmixSteps = 1000;

// Fits the component model to the steps (in increasing temperature). Throws UnmixingError
// naming the specimen for too few steps, steps without moment, values that are not finite,
// temperatures that go down, and a stop.
UnmixResult unmixSpecimen(
    const std::string &specimen, const std::vector<UnmixStep> &steps, const UnmixOptions &options);

// The moment the components keep at each of the temperatures, from the continuous spectra.
std::vector<Vector3> predictedMoments(
    const std::vector<UnmixComponent> &components, const std::vector<double> &temperatures);

} // namespace Demagora
