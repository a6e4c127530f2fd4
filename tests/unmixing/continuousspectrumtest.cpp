#include "unmixing/continuousspectrum.h"

#include "model/tvector.h"
#include "unmixingfixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Demagora {
namespace {

using Fixtures::component;

// The simulator sums slices of 0.1 degree sampled at their upper ends, each sample standing for
// the slice centred on it. The continuous area matches those sums to a thousandth of a slice
// (0.1 * height) at every temperature, except where the samples' rounding puts one just above
// the temperature (as over 100-200): then the model takes that one slice more.
TEST(ContinuousSpectrumTest, MatchesTheSimulatorsSums)
{
    const struct
    {
        SpectrumShape shape;
        double low, high, height;
        double slices; // the largest difference allowed, in slices
    } cases[] = {
        { SpectrumShape::Gauss, 100, 200, 10, 1.0001 },
        { SpectrumShape::Gauss, 250, 580, 0.3, 0.001 },
        { SpectrumShape::Gauss, 20.5, 63.7, 2, 0.001 },
        { SpectrumShape::Gauss, 300, 450, 3, 0.001 },
        { SpectrumShape::Gauss, 100, 600, 2, 0.001 },
        { SpectrumShape::Rectangular, 100, 200, 10, 1.0001 },
        { SpectrumShape::Rectangular, 330, 412.25, 1.5, 1.0001 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(
            testing::Message() << "shape " << int(c.shape) << " range " << c.low << "-" << c.high);
        const TVector v = component(c.shape, 0, 0, c.height, c.low, c.high);
        for (int t = 0; t <= 700; ++t) {
            const double simulated = v.Remaining(t);
            const double continuous
                = continuousRemaining(c.shape, c.height, c.low, c.high, double(t));
            ASSERT_NEAR(continuous, simulated, c.slices * 0.1 * c.height) << "at " << t;
        }
    }
}

TEST(ContinuousSpectrumTest, WorkedExampleAreas)
{
    // The area of the Gauss curve of peak 10 over 100.05..200.05 (sigma 100 / 6, centred on
    // 150) is 10 * sigma * sqrt(2 pi) * (Phi(3.003) - Phi(-2.997)) = 416.64343; from 150.05 on
    // it is 207.82727; the rectangle keeps height times what is left of its range.
    EXPECT_NEAR(continuousRemaining(SpectrumShape::Gauss, 10.0, 100.0, 200.0, 50), 416.64343, 1e-4);
    EXPECT_NEAR(
        continuousRemaining(SpectrumShape::Gauss, 10.0, 100.0, 200.0, 150), 207.82727, 1e-4);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Gauss, 10.0, 100.0, 200.0, 200), 0);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Rectangular, 10.0, 100.0, 200.0, 20), 1000);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Rectangular, 10.0, 100.0, 200.0, 175), 250);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Rectangular, 10.0, 100.0, 200.0, 250), 0);
}

} // namespace
} // namespace Demagora
