#include "unmixing/refinefixed.h"

#include "measurements/measurementnoise.h"
#include "model/randomsource.h"
#include "unmixing/unmixing.h"
#include "unmixingfixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Demagora {
namespace {

double variance(const std::vector<double> &values)
{
    double mean = 0;
    for (double v : values)
        mean += v;
    mean /= double(values.size());
    double sum = 0;
    for (double v : values)
        sum += (v - mean) * (v - mean);
    return sum / double(values.size() - 1);
}

// The variances of the range ends that the derivatives at the fit give are those of the ends
// refitted to the steps with noise drawn afresh, 400 times, within the sampling error of 400
// draws; for one Gauss component, and for the inner one of two nested Gauss components.
TEST(RefineFixedTest, RangeEndVariancesAreThoseOfRefitsToFreshNoise)
{
    const std::vector<UnmixComponent> outer = { { SpectrumShape::Gauss, 10, 20, 0.02, 100, 600 } };
    const std::vector<UnmixComponent> nested
        = { outer[0], { SpectrumShape::Gauss, 200, -30, 0.04, 300, 450 } };
    for (const auto &truth : { outer, nested }) {
        SCOPED_TRACE(truth.size());
        const auto steps = Fixtures::exactSteps(truth, Fixtures::everyDegrees(0, 650, 25));
        FitData data = unmixFitData(steps);
        const double sigma = 0.01; // about 1 % of the NRM per axis, in the scaled unit
        std::fill(data.weights.begin(), data.weights.end(), 1 / sigma);
        std::vector<ComponentParameters> fitted;
        for (const UnmixComponent &c : truth)
            fitted.push_back(componentParameters(c, data.scale));
        const auto predicted = truth.size() == 1 ? rangeEndVariances<1>(data, fitted)
                                                 : rangeEndVariances<2>(data, fitted);
        ASSERT_EQ(predicted.size(), truth.size());

        MersenneTwisterSource random(3);
        GaussianNoise gaussian(random);
        std::vector<double> lows, highs;
        for (int draw = 0; draw < 400; ++draw) {
            FitData noisy = data;
            for (auto &moment : noisy.moments)
                for (double &axis : moment)
                    axis += gaussian.next(sigma);
            const FitOutcome refit = truth.size() == 1 ? refineFixed<1>(noisy, fitted, {})
                                                       : refineFixed<2>(noisy, fitted, {});
            const ComponentParameters &last = refit.components.back();
            lows.push_back(last.values[3]);
            highs.push_back(last.values[3] + last.values[4]);
        }
        // 400 draws estimate a variance within about 15 % (two standard errors).
        EXPECT_NEAR(variance(lows) / predicted.back().low, 1, 0.3);
        EXPECT_NEAR(variance(highs) / predicted.back().high, 1, 0.3);
    }
}

} // namespace
} // namespace Demagora
