// The fit of a whole site: its time on ten specimens without bootstrap and with 200 refits,
// and its accuracy over simulated sites of eight specimens with nested Gauss spectra beside
// the Fisher means of the specimens' own unmixings and of fits told the true spectra.
#include "analysis/fisher.h"
#include "measurements/measuredseries.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "model/vector3.h"
#include "unmixing/siteunmixing.h"

#include "simulatedsteps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace Demagora;
using Bench::schedule;
using Bench::simulate;

const double Pi = std::acos(-1.0);

TVector gauss(const Vector3 &direction, double height, double low, double high)
{
    const AngularDirection d = directionOf(direction);
    return Bench::gauss(d.declination, d.inclination, height, low, high);
}

Vector3 randomDirection(RandomSource &random)
{
    const double z = 2 * random.uniform() - 1;
    const double phi = 2 * Pi * random.uniform();
    const double r = std::sqrt(1 - z * z);
    return { r * std::cos(phi), r * std::sin(phi), z };
}

// A direction drawn from Fisher's distribution of precision k about mean.
Vector3 fisherDirection(const Vector3 &mean, double k, RandomSource &random)
{
    const double u = random.uniform();
    const double cosTheta = 1 + std::log(1 - u * (1 - std::exp(-2 * k))) / k;
    const double sinTheta = std::sqrt(std::max(0.0, 1 - cosTheta * cosTheta));
    const double phi = 2 * Pi * random.uniform();
    const Vector3 m = (1 / norm(mean)) * mean;
    const Vector3 helper = std::abs(m.z) < 0.9 ? Vector3 { 0, 0, 1 } : Vector3 { 1, 0, 0 };
    Vector3 e1 = helper - dot(helper, m) * m;
    e1 = (1 / norm(e1)) * e1;
    const Vector3 e2 { m.y * e1.z - m.z * e1.y, m.z * e1.x - m.x * e1.z, m.x * e1.y - m.y * e1.x };
    return cosTheta * m + (sinTheta * std::cos(phi)) * e1 + (sinTheta * std::sin(phi)) * e2;
}

Vector3 fisherMean(const std::vector<Vector3> &directions)
{
    const FisherStatistics s = fisherStatistics(directions);
    return unitVector(s.mean->declination, s.mean->inclination);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2] / 2 + v[(v.size() - 1) / 2] / 2;
}

// The directions a fit told the true ranges and shapes gives: the moment vectors are then a
// linear least-squares fit, here for two components.
std::vector<Vector3> knownSpectraDirections(
    const std::vector<UnmixStep> &steps, const std::vector<TVector> &truth)
{
    std::vector<double> temperatures;
    for (const UnmixStep &s : steps)
        temperatures.push_back(s.temperature);
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
        b1 = b1 + g1 * steps[i].moment;
        b2 = b2 + g2 * steps[i].moment;
    }
    // Cramer's rule, both over the same positive determinant.
    return { a22 * b1 - a12 * b2, a11 * b2 - a12 * b1 };
}

struct SimulatedSite
{
    std::vector<SiteUnmixSpecimen> specimens;
    std::vector<std::vector<TVector>> truths; // per specimen
    std::vector<Vector3> siteDirections; // the population's
    std::vector<Vector3> carried; // the mean of the directions the specimens carry
};

// Eight (or count) specimens of an outer Gauss spectrum over about 100-600 and an inner one
// over about 300-450, the site's two directions drawn at random at least 90 degrees apart,
// each specimen's drawn about them with k = 200; heights varied by up to 30 % and each end of
// each range moved by up to 10 % of its width, from specimen to specimen; noise 2 % of the NRM.
SimulatedSite simulatedSite(
    RandomSource &random, int count, double outerHeight, double innerHeight, std::uint64_t seed)
{
    SimulatedSite site;
    const Vector3 a = randomDirection(random);
    Vector3 b = randomDirection(random);
    while (angleBetween(a, b) < 90)
        b = randomDirection(random);
    site.siteDirections = { a, b };
    std::vector<std::vector<Vector3>> carried(2);
    const auto vary = [&](double value, double spread) {
        return value * (1 + spread * (2 * random.uniform() - 1));
    };
    for (int s = 0; s < count; ++s) {
        const Vector3 da = fisherDirection(a, 200, random);
        const Vector3 db = fisherDirection(b, 200, random);
        carried[0].push_back(da);
        carried[1].push_back(db);
        const double outerLow = 100 + 50 * (2 * random.uniform() - 1);
        const double outerHigh = 600 + 50 * (2 * random.uniform() - 1);
        const double innerLow = 300 + 15 * (2 * random.uniform() - 1);
        const double innerHigh = 450 + 15 * (2 * random.uniform() - 1);
        const std::vector<TVector> truth
            = { gauss(da, vary(outerHeight, 0.3), std::round(outerLow), std::round(outerHigh)),
                  gauss(db, vary(innerHeight, 0.3), std::round(innerLow), std::round(innerHigh)) };
        site.truths.push_back(truth);
        site.specimens.push_back({ "S" + std::to_string(s + 1),
            simulate(truth, schedule(0, 650, 25), 0.02, seed * 100 + std::uint64_t(s)) });
    }
    site.carried = { fisherMean(carried[0]), fisherMean(carried[1]) };
    return site;
}

// The index of the direction among candidates nearest to target.
std::size_t nearest(const std::vector<Vector3> &candidates, const Vector3 &target)
{
    std::size_t best = 0;
    for (std::size_t j = 1; j < candidates.size(); ++j)
        if (angleBetween(candidates[j], target) < angleBetween(candidates[best], target))
            best = j;
    return best;
}

void BM_SiteOfTenSpecimens(benchmark::State &state)
{
    MersenneTwisterSource random(7);
    const SimulatedSite site = simulatedSite(random, 10, 2, 4, 9);
    // 30 steps each.
    std::vector<SiteUnmixSpecimen> specimens;
    for (std::size_t s = 0; s < site.specimens.size(); ++s)
        specimens.push_back({ site.specimens[s].name,
            simulate(site.truths[s], schedule(0, 580, 20), 0.02, 40 + s) });
    SiteUnmixOptions options;
    options.maxComponents = 3;
    options.bootstrap = int(state.range(0));
    options.threads = 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(unmixSite("S", specimens, options));
}
BENCHMARK(BM_SiteOfTenSpecimens)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);

// Forty sites of eight specimens (simulatedSite), outer and inner heights the arguments. Truth
// is the mean of the directions the site's specimens carry. The site directions are compared
// with the Fisher mean of the directions of the specimens' own unmixings (each fitted
// component taken for the true one it lies nearest) and with that of fits told the true
// spectra; alpha95 of a bootstrap of noise alone (the site's specimens are the truth's) is
// counted against the carried mean, that of specimens and noise against the site's own
// direction, from which the specimens were drawn.
void BM_SiteAccuracy(benchmark::State &state)
{
    const int sites = 40;
    const int refits = int(state.range(2));
    for (auto _ : state) {
        std::vector<double> siteErrors, singleErrors, knownErrors;
        int rightK = 0, coveredNoise = 0, coveredBoth = 0, cones = 0, closerThanSingles = 0;
        MersenneTwisterSource random(2025);
        for (int n = 0; n < sites; ++n) {
            const SimulatedSite site
                = simulatedSite(random, 8, double(state.range(0)), double(state.range(1)), n + 1);
            SiteUnmixOptions options;
            options.maxComponents = 3;
            options.bootstrap = refits;
            options.resampleSpecimens = false;
            options.threads = 2;
            options.seed = 500 + std::uint64_t(n);
            const SiteUnmixResult result = unmixSite("S", site.specimens, options);
            rightK += result.components.size() == 2 ? 1 : 0;
            std::vector<Vector3> fitted;
            for (const SiteComponent &c : result.components)
                fitted.push_back(unitVector(c.declination, c.inclination));
            std::optional<SiteUnmixResult> both;
            if (refits > 0) {
                options.resampleSpecimens = true;
                options.components = int(result.components.size());
                both = unmixSite("S", site.specimens, options);
            }
            for (std::size_t i = 0; i < 2; ++i) {
                const Vector3 &truth = site.carried[i];
                const std::size_t at = nearest(fitted, truth);
                const double siteError = angleBetween(fitted[at], truth);
                siteErrors.push_back(siteError);
                std::vector<Vector3> singles, known;
                for (std::size_t s = 0; s < site.specimens.size(); ++s) {
                    std::vector<Vector3> own;
                    for (const UnmixComponent &c : result.specimens[s].single.best.components)
                        own.push_back(unitVector(c.declination, c.inclination));
                    singles.push_back(own[nearest(own, truth)]);
                    known.push_back(
                        knownSpectraDirections(site.specimens[s].steps, site.truths[s])[i]);
                }
                const double singleError = angleBetween(fisherMean(singles), truth);
                singleErrors.push_back(singleError);
                closerThanSingles += siteError < singleError ? 1 : 0;
                knownErrors.push_back(angleBetween(fisherMean(known), truth));
                if (refits > 0) {
                    ++cones;
                    coveredNoise += siteError <= result.components[at].alpha95.value_or(0) ? 1 : 0;
                    const SiteComponent &c = both->components[at];
                    coveredBoth += angleBetween(unitVector(c.declination, c.inclination),
                                       site.siteDirections[i])
                            <= c.alpha95.value_or(0)
                        ? 1
                        : 0;
                }
            }
        }
        state.counters["site_median_error_deg"] = median(siteErrors);
        state.counters["singles_fisher_median_error_deg"] = median(singleErrors);
        state.counters["known_spectra_fisher_median_error_deg"] = median(knownErrors);
        state.counters["site_over_known_ratio"] = median(siteErrors) / median(knownErrors);
        state.counters["site_closer_than_singles_pct"]
            = 100.0 * closerThanSingles / double(siteErrors.size());
        state.counters["k_right_of_40"] = rightK;
        if (cones > 0) {
            state.counters["alpha95_noise_coverage_pct"] = 100.0 * coveredNoise / cones;
            state.counters["alpha95_specimens_noise_coverage_pct"] = 100.0 * coveredBoth / cones;
        }
    }
}
BENCHMARK(BM_SiteAccuracy)
    ->Args({ 2, 4, 0 })
    ->Args({ 2, 4, 100 })
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
