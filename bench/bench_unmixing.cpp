// The component fit: one specimen without bootstrap, the bootstrap on two threads, and the
// accuracy over simulated specimens with nested Gauss spectra beside a line fit, and how often
// a path is judged to turn along its whole length.
#include "analysis/fits.h"
#include "model/vector3.h"
#include "measurements/measuredseries.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "unmixing/unmixing.h"

#include "simulatedsteps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace Demagora;
using Bench::gauss;
using Bench::schedule;
using Bench::simulate;

// 30 steps every 20 degrees, two overlapping components.
std::vector<UnmixStep> thirtySteps()
{
    return simulate({ gauss(10, 50, 10, 100, 450), gauss(200, -30, 8, 350, 580) },
        schedule(0, 580, 20), 0.02, 5);
}

void BM_UnmixOneSpecimen(benchmark::State &state)
{
    const auto steps = thirtySteps();
    UnmixOptions options;
    options.maxComponents = 3;
    options.shapes = UnmixShapes::Any;
    options.bootstrap = 0;
    options.threads = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(unmixSpecimen("S1", steps, options));
}
BENCHMARK(BM_UnmixOneSpecimen)->Unit(benchmark::kMillisecond);

void BM_UnmixWithBootstrap(benchmark::State &state)
{
    const auto steps = thirtySteps();
    UnmixOptions options;
    options.maxComponents = 3;
    options.bootstrap = 200;
    options.threads = 2;
    int notConverged = 0;
    for (auto _ : state) {
        const UnmixResult result = unmixSpecimen("S1", steps, options);
        notConverged = result.bootstrapNotConverged;
    }
    state.counters["not_converged"] = notConverged;
}
// The refits run on every core: the processor time is the whole process's.
BENCHMARK(BM_UnmixWithBootstrap)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->MeasureProcessCPUTime();

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2] / 2 + v[(v.size() - 1) / 2] / 2;
}

// A direction drawn uniformly over the sphere.
Vector3 randomDirection(RandomSource &random)
{
    const double z = 2 * random.uniform() - 1;
    const double phi = 2 * std::acos(-1.0) * random.uniform();
    const double r = std::sqrt(1 - z * z);
    return { r * std::cos(phi), r * std::sin(phi), z };
}

// The line fit over the inner range of a specimen, against the inner component's direction.
double innerLineError(const std::vector<UnmixStep> &steps, const TVector &inner)
{
    std::vector<FitStep> fitted;
    for (const UnmixStep &step : steps)
        if (step.temperature >= inner.BlockLow && step.temperature <= inner.BlockHigh)
            fitted.push_back({ step.temperature, step.moment });
    return angleBetween(fitSteps(fitted, FitType::Free).direction,
        unitVector(inner.Declination, inner.Inclination));
}

// The inner direction as a fit that knew both true ranges and shapes would give it: the two
// moment vectors are then a linear least-squares fit. No estimator that fits the ranges too can
// be expected to do better on the same noise, so this is the floor the unmixing is judged by.
double knownRangesInnerError(const std::vector<UnmixStep> &steps, const std::vector<TVector> &truth)
{
    std::vector<double> temperatures;
    for (const UnmixStep &s : steps)
        temperatures.push_back(s.temperature);
    // Unit spectra pointing down: their z is what each component keeps per unit of moment.
    std::vector<std::vector<Vector3>> keeps;
    for (const TVector &t : truth)
        keeps.push_back(
            predictedMoments({ { t.Shape, 0, 90, 1, t.BlockLow, t.BlockHigh } }, temperatures));
    double a11 = 0, a12 = 0, a22 = 0;
    Vector3 b1 {}, b2 {};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const double g1 = keeps[0][i].z, g2 = keeps[1][i].z;
        a11 += g1 * g1;
        a12 += g1 * g2;
        a22 += g2 * g2;
        const Vector3 &m = steps[i].moment;
        b1 = b1 + g1 * m;
        b2 = b2 + g2 * m;
    }
    const Vector3 inner = a11 * b2 - a12 * b1; // over the determinant, which the angle ignores
    return angleBetween(inner, unitVector(truth[1].Declination, truth[1].Inclination));
}

// Whether the best two-Gauss fit leaves larger residuals than the true components do: a
// least-squares fit that found its minimum never does, so this counts the starts that missed.
bool fitsWorseThanTruth(const UnmixResult &result, const std::vector<TVector> &truth,
    const std::vector<UnmixStep> &steps)
{
    std::vector<UnmixComponent> entered;
    for (const TVector &t : truth)
        entered.push_back(
            { t.Shape, t.Declination, t.Inclination, t.Height * 1e-3, t.BlockLow, t.BlockHigh });
    std::vector<double> temperatures;
    for (const UnmixStep &s : steps)
        temperatures.push_back(s.temperature);
    const auto predicted = predictedMoments(entered, temperatures);
    double sum = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const double dx = predicted[i].x - steps[i].moment.x,
                     dy = predicted[i].y - steps[i].moment.y,
                     dz = predicted[i].z - steps[i].moment.z;
        sum += dx * dx + dy * dy + dz * dz;
    }
    const double truthRms = std::sqrt(sum / (3.0 * double(steps.size())));
    for (const UnmixCandidate &c : result.candidates)
        if (c.components.size() == 2
            && std::all_of(c.components.begin(), c.components.end(),
                [](const UnmixComponent &u) { return u.shape == SpectrumShape::Gauss; }))
            return c.rms > truthRms * (1 + 1e-9);
    return true;
}

// The next specimen of the nested sets: an outer Gauss spectrum over 100-600 and an inner one
// over 300-450 of the heights given, directions drawn at least 90 degrees apart, steps every 25
// degrees, noise 2 % of the NRM per axis; drawn (and counted in drawn) until a line fit over the
// inner range misses the inner direction by more than 40 degrees.
struct NestedSpecimen
{
    std::vector<TVector> truth;
    std::vector<UnmixStep> steps;
    double lineError = 0;
};

NestedSpecimen nextNestedSpecimen(
    MersenneTwisterSource &directions, double outerHeight, double innerHeight, int &drawn)
{
    for (;;) {
        ++drawn;
        Vector3 a = randomDirection(directions);
        Vector3 b = randomDirection(directions);
        while (angleBetween(a, b) < 90)
            b = randomDirection(directions);
        const AngularDirection da = directionOf(a);
        const AngularDirection db = directionOf(b);
        NestedSpecimen specimen;
        specimen.truth = { gauss(da.declination, da.inclination, outerHeight, 100, 600),
            gauss(db.declination, db.inclination, innerHeight, 300, 450) };
        specimen.steps = simulate(specimen.truth, schedule(0, 650, 25), 0.02, 1000 + drawn);
        specimen.lineError = innerLineError(specimen.steps, specimen.truth[1]);
        if (specimen.lineError > 40)
            return specimen;
    }
}

// Forty specimens where a line fit over the inner range misses the inner direction by more
// than 40 degrees: an outer Gauss spectrum over 100-600 and an inner one over 300-450 wholly
// inside it, of the heights given as the arguments (outer, inner), directions drawn at random at
// least 90 degrees apart, steps every 25 degrees, noise 2 % of the NRM per axis. Specimens whose
// inner line fit comes within 40 degrees are drawn and counted but not unmixed: the set is chosen
// by the line fit alone, never by how the unmixing does on it.
void BM_NestedGaussAccuracy(benchmark::State &state)
{
    const int specimens = 40;
    const double outerHeight = double(state.range(0));
    const double innerHeight = double(state.range(1));
    for (auto _ : state) {
        std::vector<double> outerErrors, innerErrors, lineErrors, knownRangeErrors;
        int covered = 0, cones = 0, choseTwo = 0, notConverged = 0, refits = 0, drawn = 0;
        int worseThanTruth = 0;
        MersenneTwisterSource directions(2024);
        for (int s = 0; s < specimens;) {
            const NestedSpecimen specimen
                = nextNestedSpecimen(directions, outerHeight, innerHeight, drawn);
            const std::vector<TVector> &truth = specimen.truth;
            const std::vector<UnmixStep> &steps = specimen.steps;
            lineErrors.push_back(specimen.lineError);
            knownRangeErrors.push_back(knownRangesInnerError(steps, truth));
            UnmixOptions options;
            options.bootstrap = 200;
            options.threads = 2;
            options.seed = 77 + s;
            const UnmixResult result = unmixSpecimen("S", steps, options);
            ++s;
            choseTwo += result.best.components.size() == 2 ? 1 : 0;
            worseThanTruth += fitsWorseThanTruth(result, truth, steps) ? 1 : 0;
            notConverged += result.bootstrapNotConverged;
            refits += result.bootstrapRefits;
            for (std::size_t i = 0; i < truth.size(); ++i) {
                const Vector3 truthDirection
                    = unitVector(truth[i].Declination, truth[i].Inclination);
                double best = 180;
                std::size_t at = 0;
                for (std::size_t j = 0; j < result.best.components.size(); ++j) {
                    const auto &c = result.best.components[j];
                    const double angle
                        = angleBetween(unitVector(c.declination, c.inclination), truthDirection);
                    if (angle < best) {
                        best = angle;
                        at = j;
                    }
                }
                (i == 0 ? outerErrors : innerErrors).push_back(best);
                ++cones;
                if (at < result.intervals.size() && best <= result.intervals[at].alpha95)
                    ++covered;
            }
        }
        std::vector<double> both = outerErrors;
        both.insert(both.end(), innerErrors.begin(), innerErrors.end());
        state.counters["median_error_deg"] = median(both);
        state.counters["outer_median_error_deg"] = median(outerErrors);
        state.counters["inner_median_error_deg"] = median(innerErrors);
        state.counters["inner_known_ranges_median_error_deg"] = median(knownRangeErrors);
        state.counters["line_fit_median_error_deg"] = median(lineErrors);
        state.counters["specimens_drawn"] = drawn;
        state.counters["alpha95_coverage_pct"] = 100.0 * covered / cones;
        state.counters["bic_two_pct"] = 100.0 * choseTwo / specimens;
        state.counters["two_gauss_fit_worse_than_truth"] = worseThanTruth;
        state.counters["bootstrap_not_converged_pct"] = 100.0 * notConverged / std::max(refits, 1);
    }
}
BENCHMARK(BM_NestedGaussAccuracy)
    ->Args({ 4, 2 })
    ->Args({ 2, 3 })
    ->Args({ 2, 4 })
    ->Args({ 2, 5 })
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// A direction at right angles to a unit vector, drawn at random.
Vector3 perpendicular(const Vector3 &a, RandomSource &random)
{
    Vector3 r = randomDirection(random);
    while (angleBetween(r, a) < 10 || angleBetween(r, a) > 170)
        r = randomDirection(random);
    const Vector3 p = r - dot(r, a) * a;
    return (1 / norm(p)) * p;
}

// Ten components of one height whose ranges of 150 degrees start every 40 degrees from 100, their
// directions stepping evenly along a great circle through turnDegrees: a path that turns all
// along, measured every 25 degrees with noise 2 % of the NRM per axis.
std::vector<TVector> turningComponents(double turnDegrees, RandomSource &random)
{
    const Vector3 a = randomDirection(random);
    const Vector3 b = perpendicular(a, random);
    const int count = 10;
    std::vector<TVector> components;
    for (int i = 0; i < count; ++i) {
        const double angle = turnDegrees * i / (count - 1) * std::acos(-1.0) / 180;
        const AngularDirection d = directionOf(std::cos(angle) * a + std::sin(angle) * b);
        components.push_back(gauss(d.declination, d.inclination, 3, 100 + 40 * i, 250 + 40 * i));
    }
    return components;
}

bool judgedTurning(const std::vector<UnmixStep> &steps)
{
    UnmixOptions options;
    options.bootstrap = 0;
    options.threads = 1;
    return unmixSpecimen("S", steps, options).turning;
}

// How often the unmixing judges a path turning: on the forty nested two-component specimens of
// each pair of heights of BM_NestedGaussAccuracy (drawn as there), where it should never fire,
// and on twenty paths turning through 90, 135 and 180 degrees, where it should.
void BM_TurningJudgement(benchmark::State &state)
{
    for (auto _ : state) {
        int nested = 0, nestedTurning = 0;
        for (const auto &[outerHeight, innerHeight] :
            std::vector<std::pair<double, double>> { { 4, 2 }, { 2, 3 }, { 2, 4 }, { 2, 5 } }) {
            MersenneTwisterSource directions(2024);
            for (int s = 0, drawn = 0; s < 40; ++s) {
                ++nested;
                nestedTurning
                    += judgedTurning(
                           nextNestedSpecimen(directions, outerHeight, innerHeight, drawn).steps)
                    ? 1
                    : 0;
            }
        }
        state.counters["nested_two_judged_turning"] = nestedTurning;
        state.counters["nested_two_specimens"] = nested;
        for (const int turn : { 90, 135, 180 }) {
            MersenneTwisterSource random(7);
            int turning = 0;
            for (int s = 0; s < 20; ++s)
                turning += judgedTurning(simulate(turningComponents(turn, random),
                               schedule(0, 650, 25), 0.02, 500 + s))
                    ? 1
                    : 0;
            state.counters["turn" + std::to_string(turn) + "_judged_turning_of_20"] = turning;
        }
    }
}
BENCHMARK(BM_TurningJudgement)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
