#include "diagrams/diagramscales.h"

#include "diagrams/diagramviewstate.h"
#include "diagrams/panelcanvas.h"
#include "diagramfixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace Demagora {
namespace {

using Testing::component;
using Testing::WorkedExample;

TEST(DiagramLayoutTest, PanelsFollowTheWindowWidth)
{
    struct Case
    {
        int width;
        int box;
        int height;
        int lowerTop;
    };
    for (const Case &c : { Case { 700, 320, 724, 354 }, Case { 370, 155, 394, 189 },
             Case { 371, 155, 395, 189 }, Case { 1001, 470, 1025, 504 } }) {
        SCOPED_TRACE(c.width);
        const DiagramLayout layout = layoutForWidth(c.width);
        EXPECT_EQ(layout.boxSize, c.box);
        EXPECT_EQ(windowHeightForWidth(c.width), c.height);
        EXPECT_EQ(layout.upperTop, 24);
        EXPECT_EQ(layout.lowerTop, c.lowerTop);
    }
}

TEST(DiagramScalesTest, WorkedExampleScales)
{
    const WorkedExample example;
    const double maxLength = maxResultLength(example.series);
    EXPECT_NEAR(maxLength, 651.2305813, 1e-7);
    const DiagramScales scales = scalesFor(700, maxLength, example.populations);
    EXPECT_EQ(scales.boxSize, 320);
    EXPECT_NEAR(scales.vectorScale, 0.2456887078, 1e-10);
    EXPECT_DOUBLE_EQ(scales.vectorScale, 160 / maxLength);
    EXPECT_DOUBLE_EQ(scales.heightScale, 32);
    EXPECT_DOUBLE_EQ(scales.tempScale, 1.28);
}

TEST(DiagramScalesTest, LargestEnteredValueSetsTheScaleAndScatteredMembersDoNot)
{
    ComponentPopulations populations {
        { component(0, 0, 2, 100, 500, SpectrumShape::Gauss),
            component(0, 0, 50, 100, 5000, SpectrumShape::Gauss) },
        { component(0, 0, 4, 100, 600, SpectrumShape::Gauss) },
    };
    EXPECT_DOUBLE_EQ(heightScale(320, populations), 80);
    EXPECT_DOUBLE_EQ(tempScale(320, populations), 320.0 / 600);
}

TEST(DiagramScalesTest, ValuesWithoutAScaleAreLeftOutWhereverTheyStand)
{
    // The valid components: heights 2 and 4, upper temperatures 500 and 400, so the scales
    // are 320 / 4 and 320 / 500. A 0, a negative or a NaN value may stand first, between or
    // last, in the height or in the upper temperature.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double bad : { 0.0, -2.0, nan, inf, -inf }) {
        for (int place = 0; place < 3; ++place) {
            SCOPED_TRACE(testing::Message() << "value " << bad << " at " << place);
            ComponentPopulations populations {
                { component(0, 0, 2, 100, 500, SpectrumShape::Gauss) },
                { component(0, 0, 4, 100, 400, SpectrumShape::Gauss) },
            };
            populations.insert(populations.begin() + place,
                Population { component(0, 0, bad, 100, bad, SpectrumShape::Gauss) });
            EXPECT_DOUBLE_EQ(heightScale(320, populations), 80);
            EXPECT_DOUBLE_EQ(tempScale(320, populations), 0.64);
        }
    }
    ComponentPopulations nothingUsable {
        { component(0, 0, 0, 100, -1, SpectrumShape::Gauss) },
        { component(0, 0, nan, 100, 0, SpectrumShape::Gauss) },
    };
    EXPECT_EQ(heightScale(320, nothingUsable), 0);
    EXPECT_EQ(tempScale(320, nothingUsable), 0);

    EXPECT_EQ(vectorScale(320, 0), 0);
    EXPECT_EQ(maxResultLength({}), 0);
}

// The longest vector of a large run, searched in chunks on every core, is the one a plain
// walk over every step finds: the first length stands until a longer one comes, so a NaN
// first stands for good and a NaN later is passed over, also where a chunk begins with one,
// and empty vectors are skipped.
TEST(DiagramScalesTest, LongestVectorOfALargeRunEqualsThePlainWalk)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto plainWalk = [](const ResultSeries &series) {
        double longest = 0;
        bool first = true;
        for (const ResultSeriesEntry &entry : series) {
            for (const TResultVectors &step : entry) {
                if (first || step.Length() > longest)
                    longest = step.Length();
                first = false;
            }
        }
        return longest;
    };
    struct Case
    {
        const char *what;
        std::size_t nanMember; // its first step becomes NaN; beyond the run for none
        std::size_t emptyMembers; // the first ones are empty
    };
    for (const Case &c : { Case { "no NaN", 99, 0 }, Case { "NaN first in a later member", 20, 0 },
             Case { "NaN first of all", 0, 0 }, Case { "NaN after empty members", 4, 4 } }) {
        SCOPED_TRACE(c.what);
        ResultSeries series(32);
        for (std::size_t m = c.emptyMembers; m < series.size(); ++m) {
            for (int i = 0; i < 40000; ++i) {
                const double x = std::sin(0.001 * i + static_cast<double>(m)) * (1 + m % 7);
                series[m].push_back({ double(i), x, 0.5 * x, 2.0 - 0.25 * x });
            }
        }
        if (c.nanMember < series.size())
            series[c.nanMember][0].X = nan;
        // A longer vector just after the NaN.
        if (c.nanMember < series.size())
            series[c.nanMember][1].X = 50;
        const double expected = plainWalk(series);
        const double found = maxResultLength(series);
        if (std::isnan(expected))
            EXPECT_TRUE(std::isnan(found));
        else
            EXPECT_EQ(found, expected);
    }
}

// A step's pixels on the vector diagram: values beyond what a pixel can hold have none, and a
// zero vector (negative zero included) ends the path.
TEST(DiagramScalesTest, StepPixelsOfValuesBeyondAPixelAndOfZeroVectors)
{
    const StepPixels alone = stepPixels({ 0, 2.5, -2.5, 3e8 }, 2, 320);
    EXPECT_EQ(alone.x, 165);
    EXPECT_EQ(alone.y, 155);
    EXPECT_FALSE(alone.z);
    EXPECT_TRUE(stepPixels({ 0, 0, -0.0, 0 }, 2, 320).zero);
}

TEST(DiagramScalesTest, FloorPixelRejectsWhatNoPixelCanHold)
{
    EXPECT_EQ(floorPixel(-0.5), -1);
    EXPECT_EQ(floorPixel(2.999), 2);
    EXPECT_EQ(floorPixel(-3.0), -3);
    EXPECT_FALSE(floorPixel(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(floorPixel(-std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(floorPixel(std::nan("")));
    EXPECT_FALSE(floorPixel(1e300));
    // The bounds: floors from -2^28 to 2^28 are pixels.
    constexpr double Limit = 1 << 28;
    EXPECT_EQ(floorPixel(-Limit), -(1 << 28));
    EXPECT_FALSE(floorPixel(-Limit - 0.5));
    EXPECT_EQ(floorPixel(Limit + 0.75), 1 << 28);
    EXPECT_FALSE(floorPixel(Limit + 1));
    EXPECT_EQ(floorPixel(-1e-300), -1);
}

TEST(VectorDiagramTest, WorkedExamplePoints)
{
    const WorkedExample example;
    const double scale = vectorScale(320, maxResultLength(example.series));
    struct Case
    {
        std::size_t step;
        PixelPoint horizontal;
        PixelPoint vertical;
    };
    for (const Case &c :
        { Case { 0, { 262, 282 }, { 262, 160 } }, Case { 50, { 211, 282 }, { 211, 160 } },
            Case { 100, { 160, 221 }, { 160, 160 } }, Case { 150, { 160, 160 }, { 160, 160 } } }) {
        SCOPED_TRACE(c.step);
        const TResultVectors &step = example.series[0][c.step];
        EXPECT_EQ(vectorDiagramPixel(step.X, scale, 320), c.horizontal.x);
        EXPECT_EQ(vectorDiagramPixel(step.Y, scale, 320), c.horizontal.y);
        EXPECT_EQ(vectorDiagramPixel(step.Z, scale, 320), c.vertical.y);
    }
    // Floor, not truncation: a small negative value lands one pixel left of the centre.
    EXPECT_EQ(vectorDiagramPixel(-0.001, 1, 320), 159);
    EXPECT_EQ(vectorDiagramPixel(-0.001, 1, 155), 76);
    EXPECT_FALSE(vectorDiagramPixel(1e308, 1e10, 320));
}

TEST(SpectrumCurveTest, WorkedExampleRows)
{
    const WorkedExample example;
    const TVector &a = example.populations[0][0];
    const TVector &b = example.populations[1][0];
    struct Case
    {
        std::int64_t t;
        int row;
    };
    for (const Case &c : { Case { 100, 316 }, Case { 120, 256 }, Case { 140, 52 },
             Case { 180, 256 }, Case { 200, 316 } }) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(spectrumY(a, c.t, 320, 32), c.row);
    }
    const std::optional<int> peak = spectrumY(a, 150, 320, 32);
    ASSERT_TRUE(peak);
    EXPECT_TRUE(*peak == 0 || *peak == -1) << *peak;
    EXPECT_EQ(spectrumY(b, 150, 320, 32), 160);
    EXPECT_EQ(spectrumY(b, 249, 320, 32), 160);
}

TEST(SpectrumCurveTest, TicksStandInTenthsOrUnderTheLabels)
{
    const std::vector<int> tenths { 0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320 };
    struct Case
    {
        const char *what;
        double tempScale;
        std::optional<std::int64_t> interval;
        std::vector<int> ticks;
    };
    const Case cases[] = {
        { "no labels", 1.28, std::nullopt, tenths },
        { "labels every 50 degrees", 1.28, 50, { 0, 64, 128, 192, 256, 320 } },
        { "a negative interval", 1.28, -50, { 0, 64, 128, 192, 256, 320 } },
        { "every 30 degrees at 700 degrees", 320.0 / 700, 30,
            { 0, 13, 27, 41, 54, 68, 82, 96, 109, 123, 137, 150, 164, 178, 192, 205, 219, 233, 246,
                260, 274, 288, 301, 315 } },
        { "labels too close for ticks", 1.28, 2, tenths },
        { "no scale", 0, 50, tenths },
        { "a scale beyond any pixel", 1e300, 50, { 0 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(spectrumTicks(320, c.tempScale, c.interval), c.ticks);
    }
}

TEST(SpectrumCurveTest, ZeroWidthGaussHasNoCurve)
{
    const TVector flat = component(0, 0, 10, 100, 100, SpectrumShape::Gauss);
    EXPECT_FALSE(spectrumY(flat, 100, 320, 32));
    EXPECT_FALSE(spectrumY(flat, 101, 320, 32));
    EXPECT_FALSE(spectrumY(component(0, 0, 10, 100, 200, SpectrumShape::Gauss), 150, 320,
        std::numeric_limits<double>::infinity()));
}

TEST(StereoProjectionTest, DirectionsLandAtTheirDeclinationAndInclination)
{
    const double c45 = std::cos(45 * M_PI / 180);
    struct Case
    {
        const char *what;
        double north;
        double east;
        double inclination;
        double norm;
        PixelPoint at;
    };
    for (const Case &c : {
             Case { "north horizontal", 5, 0, 0, 5, { 160, 0 } },
             Case { "east horizontal", 0, 5, 0, 5, { 320, 160 } },
             Case { "vertical", 0, 0, 90, 7, { 160, 160 } },
             Case { "up vertical", 0, 0, -90, 7, { 160, 160 } },
             Case { "north 45 down", 3 * c45, 0, 45, 3, { 160, 80 } },
             Case { "north 45 up", 3 * c45, 0, -45, 3, { 160, 80 } },
             Case { "worked example step 0", 416.6545573, 500.5, 0, 651.2305813, { 282, 58 } },
             Case { "worked example step 50", 208.8272786, 500.5, 0, 542.3182482, { 307, 99 } },
             Case { "small panel south-west", -1, -1, 0, std::sqrt(2.0), { 22, 132 } },
         }) {
        SCOPED_TRACE(c.what);
        const int box = std::string(c.what).starts_with("small") ? 155 : 320;
        const std::optional<PixelPoint> at
            = stereoPosition(c.north, c.east, c.inclination, c.norm, box);
        ASSERT_TRUE(at);
        EXPECT_EQ(*at, c.at);
    }
    EXPECT_FALSE(stereoPosition(0, 0, 0, 0, 320));
    EXPECT_FALSE(stereoPosition(0, 0, 30, 0, 320));
}

TEST(StereoProjectionTest, NetCirclesAndSampling)
{
    EXPECT_EQ(netCircleInset(0, 320), 0);
    EXPECT_EQ(netCircleInset(1, 320), 17);
    EXPECT_EQ(netCircleInset(8, 320), 142);
    EXPECT_EQ(netCircleInset(8, 155), 68);

    struct Case
    {
        std::int64_t steps;
        std::int32_t points;
        std::int64_t q;
    };
    for (const Case &c : { Case { 101, 100, 1 }, Case { 101, 10, 10 }, Case { 101, 30, 3 },
             Case { 2, 1, 2 }, Case { 101, 0, 1 }, Case { 101, -5, 1 }, Case { 101, 500, 1 } }) {
        SCOPED_TRACE(testing::Message() << c.steps << " steps, " << c.points << " points");
        EXPECT_EQ(stereoSamplingStep(c.steps, c.points), c.q);
    }
}

TEST(LabelIntervalTest, WholeNumbersOtherThanZero)
{
    struct Case
    {
        const char *text;
        std::optional<std::int64_t> interval;
    };
    for (const Case &c : { Case { "50", 50 }, Case { " 25 ", 25 }, Case { "-50", 50 },
             Case { "1", 1 }, Case { "0", std::nullopt }, Case { "", std::nullopt },
             Case { "12.5", std::nullopt }, Case { "abc", std::nullopt },
             Case { "2147483647", 2147483647 }, Case { "-2147483648", std::nullopt },
             Case { "99999999999", std::nullopt }, Case { "5 0", std::nullopt } }) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(labelIntervalFromText(QString::fromLatin1(c.text)), c.interval);
    }
}

TEST(PanelCanvasTest, LinesAreCutAtThePanelEdges)
{
    EXPECT_EQ(PanelCanvas::clipped(QLineF(10, 10, 20, 30), 320), QLineF(10, 10, 20, 30));
    EXPECT_EQ(PanelCanvas::clipped(QLineF(-10, 50, 10, 50), 320), QLineF(0, 50, 10, 50));
    EXPECT_EQ(PanelCanvas::clipped(QLineF(160, 160, 160, 1e6), 320), QLineF(160, 160, 160, 320));
    EXPECT_EQ(PanelCanvas::clipped(QLineF(300, 10, 340, 50), 320), QLineF(300, 10, 320, 30));
    EXPECT_FALSE(PanelCanvas::clipped(QLineF(-5, -5, -1, -20), 320));
    EXPECT_FALSE(PanelCanvas::clipped(QLineF(400, 0, 400, 320), 320));
}

} // namespace
} // namespace Demagora
