#include "unmixing/continuousspectrum.h"

#include "model/tvector.h"
#include "unmixingfixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Demagora {
namespace {

using Fixtures::component;

// The simulator sums slices of 0.1 degree sampled at their upper ends; the continuous area
// differs from that sum by less than one slice (0.1 * height) at every temperature, and by
// far less inside a Gauss range where the slices' errors cancel.
TEST(ContinuousSpectrumTest, MatchesTheSimulatorsSumsWithinOneSlice)
{
    const struct
    {
        SpectrumShape shape;
        double low, high, height;
    } cases[] = {
        { SpectrumShape::Gauss, 100, 200, 10 },
        { SpectrumShape::Gauss, 250, 580, 0.3 },
        { SpectrumShape::Gauss, 20.5, 63.7, 2 },
        { SpectrumShape::Rectangular, 100, 200, 10 },
        { SpectrumShape::Rectangular, 330, 412.25, 1.5 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(
            testing::Message() << "shape " << int(c.shape) << " range " << c.low << "-" << c.high);
        const TVector v = component(c.shape, 0, 0, c.height, c.low, c.high);
        for (int t = 0; t <= 700; ++t) {
            const double simulated = v.Remaining(t);
            const double continuous
                = continuousRemaining(c.shape, c.height, c.low, c.high, double(t));
            ASSERT_NEAR(continuous, simulated, 0.1 * c.height * 1.000001) << "at " << t;
        }
        // In the middle of a Gauss range the slices cost a trapezoid's error and the
        // sample at t itself: well below a slice of the peak.
        if (c.shape == SpectrumShape::Gauss) {
            const double mid = std::floor((c.low + c.high) / 2);
            EXPECT_NEAR(continuousRemaining(c.shape, c.height, c.low, c.high, mid),
                v.Remaining(mid), 0.051 * c.height);
        }
    }
}

TEST(ContinuousSpectrumTest, WorkedExampleAreas)
{
    // The area of the Gauss curve of peak 10 over 100..200 cut at +-3 sigma is
    // 10 * sigma * sqrt(2 pi) * (Phi(3) - Phi(-3)) = 416.643...; half of it remains at the
    // middle; the rectangle keeps height times what is left of its range.
    EXPECT_NEAR(continuousRemaining(SpectrumShape::Gauss, 10.0, 100.0, 200.0, 50), 416.64348, 1e-4);
    EXPECT_NEAR(
        continuousRemaining(SpectrumShape::Gauss, 10.0, 100.0, 200.0, 150), 416.64348 / 2, 1e-4);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Gauss, 10.0, 100.0, 200.0, 200), 0);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Rectangular, 10.0, 100.0, 200.0, 20), 1000);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Rectangular, 10.0, 100.0, 200.0, 175), 250);
    EXPECT_EQ(continuousRemaining(SpectrumShape::Rectangular, 10.0, 100.0, 200.0, 250), 0);
}

} // namespace
} // namespace Demagora
