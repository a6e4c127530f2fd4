// Refitting every interpretation of a study: 1,000 specimens of 40 thermal steps, each with a
// free line over its low steps, an anchored line over its high ones and a great circle over
// all of them, then the site mean of the high-temperature lines.

#include "analysis/interpretation.h"
#include "analysis/sitemean.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace Demagora;

namespace {

constexpr int SpecimenCount = 1000;
constexpr int StepCount = 40;

struct Study
{
    std::vector<std::vector<FitStep>> steps;
    std::vector<SpecimenInterpretation> interpretations;
};

// Two components with overlapping spectra and a little measurement noise.
Study makeStudy()
{
    std::mt19937_64 random(20261208);
    std::normal_distribution<double> noise(0, 0.01);
    Study study;
    for (int s = 0; s < SpecimenCount; ++s) {
        const Vector3 low = unitVector(10 + s % 30, 50);
        const Vector3 high = unitVector(180 + s % 20, -40);
        std::vector<FitStep> steps;
        for (int i = 0; i < StepCount; ++i) {
            const double t = static_cast<double>(i) / (StepCount - 1);
            const double lowLeft = std::max(0.0, 1 - 3 * t);
            const double highLeft = 1 - t;
            const Vector3 moment = lowLeft * low + (2 * highLeft) * high;
            steps.push_back(
                { 20 + 660 * t, moment + Vector3 { noise(random), noise(random), noise(random) } });
        }
        std::vector<int> lowSteps, highSteps, all;
        for (int i = 0; i < StepCount; ++i) {
            (i < 12 ? lowSteps : highSteps).push_back(i);
            all.push_back(i);
        }
        study.steps.push_back(std::move(steps));
        study.interpretations.push_back({ "s" + std::to_string(s), "site",
            { { "LT", FitType::Free, lowSteps, CoordinateSystem::Specimen, {} },
                { "HT", FitType::Anchored, highSteps, CoordinateSystem::Specimen, {} },
                { "GC", FitType::Plane, all, CoordinateSystem::Specimen, {} } },
            {}, {} });
    }
    return study;
}

void BM_RefitStudy(benchmark::State &state)
{
    const Study study = makeStudy();
    for (auto _ : state) {
        std::vector<Vector3> highLines;
        highLines.reserve(SpecimenCount);
        for (int s = 0; s < SpecimenCount; ++s) {
            const std::vector<ComponentFit> fits = refit(study.steps[s], study.interpretations[s]);
            if (fits[1].fit)
                highLines.push_back(fits[1].fit->direction);
        }
        benchmark::DoNotOptimize(siteMean(highLines, {}));
    }
    state.SetItemsProcessed(state.iterations() * SpecimenCount * 3);
}
BENCHMARK(BM_RefitStudy)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
