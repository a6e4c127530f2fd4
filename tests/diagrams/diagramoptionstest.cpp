#include "diagrams/decaycurve.h"
#include "diagrams/diagramrenderer.h"
#include "diagrams/labelplacement.h"
#include "diagrams/netprojection.h"
#include "model/run.h"

#include "diagramfixtures.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>

namespace Demagora {
namespace {

using Testing::Black;
using Testing::Blue;
using Testing::colourNear;
using Testing::component;
using Testing::countColour;
using Testing::countText;
using Testing::Face;
using Testing::Red;
using Testing::render;
using Testing::Spectrum;
using Testing::Start;
using Testing::Stereo;
using Testing::Vectors;
using Testing::WorkedExample;

const QColor Orange(230, 140, 0);

DiagramViewState withOptions(const DiagramOptions &options)
{
    DiagramViewState state;
    state.options = options;
    return state;
}

TEST(EqualAreaNetTest, CheckValuesOnANetOfRadiusOne)
{
    constexpr double Radians = std::numbers::pi / 180;
    struct Case
    {
        double declination, inclination, east, north;
    };
    for (const Case &c : { Case { 35, 70, 0.14086, 0.20116 }, Case { 60, 80, 0.10674, 0.06163 },
             Case { 20, -10, 0.31091, 0.85422 }, Case { 90, 0, 1, 0 }, Case { 0, 90, 0, 0 },
             Case { 180, -90, 0, 0 } }) {
        SCOPED_TRACE(testing::Message() << c.declination << "/" << c.inclination);
        const double i = c.inclination * Radians;
        const double d = c.declination * Radians;
        // Any magnitude: the parts of a vector of length 7.
        const NetPoint p = equalAreaPoint(
            7 * std::cos(i) * std::cos(d), 7 * std::cos(i) * std::sin(d), c.inclination);
        EXPECT_NEAR(p.east, c.east, 5e-6);
        EXPECT_NEAR(p.north, c.north, 5e-6);
    }
}

TEST(EqualAreaNetTest, PixelsOfTheNetsWithAndWithoutEdgeRoom)
{
    constexpr double Radians = std::numbers::pi / 180;
    const auto at = [&](NetKind kind, bool edgeRoom, double declination, double inclination) {
        DiagramOptions options;
        options.net = kind;
        options.edgeRoom = edgeRoom;
        const double i = inclination * Radians;
        const double d = declination * Radians;
        return netPosition(netGeometry(320, options), 3 * std::cos(i) * std::cos(d),
            3 * std::cos(i) * std::sin(d), inclination, 3);
    };
    // Radius 160 about (160, 160); with edge room the margin of 10 leaves 150.
    EXPECT_EQ(at(NetKind::EqualArea, false, 35, 70), (PixelPoint { 182, 128 }));
    EXPECT_EQ(at(NetKind::EqualArea, false, 60, 80), (PixelPoint { 177, 151 }));
    EXPECT_EQ(at(NetKind::EqualArea, false, 20, -10), (PixelPoint { 209, 24 }));
    EXPECT_EQ(at(NetKind::EqualArea, true, 90, 0), (PixelPoint { 310, 160 }));
    EXPECT_EQ(at(NetKind::InclinationLinear, false, 35, 70), (PixelPoint { 180, 131 }));
    EXPECT_EQ(at(NetKind::InclinationLinear, true, 0, 0), (PixelPoint { 160, 10 }));
    EXPECT_EQ(at(NetKind::InclinationLinear, true, 180, 0), (PixelPoint { 160, 310 }));
    DiagramOptions equalArea;
    equalArea.net = NetKind::EqualArea;
    EXPECT_FALSE(netPosition(netGeometry(320, equalArea), 1, 1, 0, 0)) << "no magnitude";
    EXPECT_EQ(edgeMargin(155), 6);
    EXPECT_EQ(edgeMargin(470), 14);
}

// The quick placement of the large stereograms answers for nearly every vector, and always
// with the pixel of the exact one: random directions of every size, nearly vertical and
// horizontal ones, and whole-numbered parts that put points on pixel edges, on several nets.
TEST(QuickNetPositionTest, EqualsTheExactPlacementWhereItAnswers)
{
    std::mt19937_64 random(20261208);
    std::normal_distribution<double> normal;
    std::uniform_int_distribution<int> whole(-40, 40);
    for (const auto &[boxSize, edgeRoom] :
        { std::pair { 320, false }, { 371, false }, { 155, true }, { 8000, false } }) {
        DiagramOptions options;
        options.edgeRoom = edgeRoom;
        const NetGeometry net = netGeometry(boxSize, options);
        int answered = 0;
        int differing = 0;
        constexpr int Count = 200000;
        for (int n = 0; n < Count; ++n) {
            TResultVectors v;
            const double scale = std::pow(10.0, normal(random) * 3);
            if (n % 4 == 0) {
                v = { 0, double(whole(random)), double(whole(random)), double(whole(random)) };
            } else {
                v = { 0, normal(random) * scale, normal(random) * scale, normal(random) * scale };
                if (n % 4 == 1)
                    v.Z *= 1e3 * (1 + normal(random));
            }
            const double length = v.Length();
            const std::optional<PixelPoint> quick = quickNetPosition(net, v.X, v.Y, v.Z, length);
            if (!quick)
                continue;
            ++answered;
            if (quick != netPosition(net, v.X, v.Y, v.Inclination(), length))
                ++differing;
        }
        EXPECT_EQ(differing, 0) << boxSize;
        EXPECT_GT(answered, Count * 7 / 10) << boxSize;
    }
    DiagramOptions equalArea;
    equalArea.net = NetKind::EqualArea;
    EXPECT_FALSE(quickNetPosition(netGeometry(320, equalArea), 1, 2, 3, std::sqrt(14.0)));
}

class WorkedExampleOptionsTest : public testing::Test
{
protected:
    WorkedExample example;
    DiagramRenderer renderer { example.series, example.populations, example.runLowTemp,
        example.stereoPointCount };
};

TEST_F(WorkedExampleOptionsTest, EdgeRoomMovesTheOuterPointsInside)
{
    DiagramOptions options;
    options.edgeRoom = true;
    const QImage image = render(renderer, withOptions(options));
    // Vector scale 150 / 651.2305813: step 0 at (255, 275), where it was (262, 282).
    EXPECT_TRUE(colourNear(image, Vectors + QPoint(255, 275), Blue));
    EXPECT_FALSE(colourNear(image, Vectors + QPoint(262, 282), Blue, 2));
    // The stereograms: step 0 at (275, 65), A on top and B on the right, 10 pixels inside.
    EXPECT_TRUE(colourNear(image, Stereo + QPoint(275, 65), Red));
    EXPECT_TRUE(colourNear(image, Start + QPoint(160, 10), Red));
    EXPECT_TRUE(colourNear(image, Start + QPoint(310, 160), Red));
    EXPECT_EQ(countColour(image, QRect(Start + QPoint(314, 150), QSize(6, 20)), Red), 0)
        << "the symbol is whole, away from the edge";
}

TEST_F(WorkedExampleOptionsTest, VerticalProjections)
{
    // East-down: Y 500.5 at step 0 gives x 282 on the horizontal axis (every Z is 0), in red
    // alone or in orange beside the north-down one; the north-down projection ends at 262.
    struct Case
    {
        VerticalProjection projection;
        bool red, orange;
    };
    for (const Case &c : { Case { VerticalProjection::North, false, false },
             Case { VerticalProjection::East, true, false },
             Case { VerticalProjection::Both, false, true } }) {
        SCOPED_TRACE(static_cast<int>(c.projection));
        DiagramOptions options;
        options.projection = c.projection;
        const QImage image = render(renderer, withOptions(options));
        EXPECT_EQ(colourNear(image, Vectors + QPoint(280, 160), Red), c.red);
        EXPECT_EQ(colourNear(image, Vectors + QPoint(280, 160), Orange), c.orange);
        EXPECT_TRUE(colourNear(image, Vectors + QPoint(262, 282), Blue)) << "horizontal";
    }
}

TEST_F(WorkedExampleOptionsTest, EqualAreaNetWithHemispheresByFill)
{
    // One component 45 degrees up, due north: on the equal-area net at radius
    // 160 * sqrt(1 - sin 45) = 86.6 above the centre, an open black ring.
    ComponentPopulations populations { { component(0, -45, 10, 100, 200, SpectrumShape::Gauss) } };
    ResultSeries series;
    RunDemagnetization(100, 100, 200, series, populations);
    const DiagramRenderer up(series, populations, 100, 100);
    DiagramOptions options;
    options.net = NetKind::EqualArea;
    options.hemisphereByFill = true;
    const QImage image = render(up, withOptions(options));
    EXPECT_EQ(image.pixelColor(Start + QPoint(160, 74)), Face) << "open";
    EXPECT_TRUE(colourNear(image, Start + QPoint(160, 71), Black)) << "its ring";
    EXPECT_EQ(countColour(image, QRect(Start, QSize(320, 320)), QColor(0, 128, 0)), 0);
    // Declination ticks inside the outer circle, at 0 and at 10 degrees east of north.
    EXPECT_TRUE(colourNear(image, Start + QPoint(160, 4), Black));
    EXPECT_TRUE(colourNear(image, Start + QPoint(187, 6), Black));

    // Down directions are filled.
    const QImage down = render(renderer, withOptions(options));
    EXPECT_EQ(down.pixelColor(Start + QPoint(160, 1)), Black);
}

TEST_F(WorkedExampleOptionsTest, LabelsInDegreesAndWithoutBoxes)
{
    DiagramViewState state;
    state.showTemperatures = true;
    state.labelInterval = 50;
    // Step 0 is labelled at (262, 282): "0", or "100" for its 100 degrees, which reaches
    // further right.
    const QRect beyondOneDigit(Vectors + QPoint(272, 283), QSize(10, 10));
    EXPECT_EQ(countText(render(renderer, state), beyondOneDigit, Blue), 0);
    state.options.labelsIn = LabelUnit::Degrees;
    EXPECT_GT(countText(render(renderer, state), beyondOneDigit, Blue), 0);

    // The red label of step 0 stands on the horizontal axis right of the path's end: its box
    // wipes the axis out, a label without a box leaves it.
    const QRect axis(Vectors + QPoint(266, 160), QSize(5, 1));
    EXPECT_EQ(countColour(render(renderer, state), axis, Black), 0);
    state.options.clearLabels = true;
    EXPECT_EQ(countColour(render(renderer, state), axis, Black), 5);
}

TEST_F(WorkedExampleOptionsTest, AnalysisMeanFollowsTheNet)
{
    // A mean at 45 / 60: 160 * 30 / 90 = 53.3 pixels from the centre on the classical net,
    // 160 * sqrt(1 - sin 60) = 58.6 on the equal-area net, to the north-east.
    const QColor Magenta(190, 0, 190);
    DiagramOverlay overlay;
    overlay.mean = DiagramOverlay::Mean { 45, 60, std::nullopt };
    DiagramRenderer withOverlay(
        example.series, example.populations, example.runLowTemp, example.stereoPointCount);
    withOverlay.setOverlay(overlay);
    const QImage classical = render(withOverlay, {});
    EXPECT_TRUE(colourNear(classical, Stereo + QPoint(197, 123), Magenta, 0));
    DiagramOptions options;
    options.net = NetKind::EqualArea;
    const QImage equalArea = render(withOverlay, withOptions(options));
    EXPECT_TRUE(colourNear(equalArea, Stereo + QPoint(201, 119), Magenta, 0));
    EXPECT_FALSE(colourNear(equalArea, Stereo + QPoint(197, 123), Magenta, 0));
}

TEST(LabelPlacementTest, LabelsOverlappingOnesAlreadyDrawnAreLeftOut)
{
    const std::vector<LabelBox> boxes {
        { 0, 0, 10, 10 }, // drawn
        { 5, 5, 10, 10 }, // overlaps the first
        { 10, 0, 10, 10 }, // touches the first only
        { 12, 8, 4, 4 }, // overlaps the third
        { 0, 10, 10, 10 }, // below the first
    };
    EXPECT_EQ(labelsToDraw(boxes), (std::vector<bool> { true, false, true, false, true }));
}

TEST(DecayCurveTest, RoundTemperatureTicks)
{
    struct Case
    {
        double low, high;
        int maxCount;
        double axisLow, axisHigh, step;
    };
    for (const Case &c : { Case { 100, 250, 7, 100, 250, 50 }, Case { 100, 250, 9, 100, 260, 20 },
             Case { 150, 580, 4, 0, 600, 200 }, Case { 20, 23, 10, 20, 23, 1 },
             Case { 300, 300, 5, 300, 301, 1 }, Case { -35, 40, 2, -50, 50, 50 } }) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high << " in " << c.maxCount);
        const TemperatureAxis axis = temperatureAxis(c.low, c.high, c.maxCount);
        EXPECT_EQ(axis.low, c.axisLow);
        EXPECT_EQ(axis.high, c.axisHigh);
        EXPECT_EQ(axis.step, c.step);
        EXPECT_LE(static_cast<int>(axis.ticks().size()) - 1, std::max(2, c.maxCount));
    }
}

TEST_F(WorkedExampleOptionsTest, SpectrumTicksStandUnderTheTemperatureLabels)
{
    DiagramViewState state;
    const QImage plain = render(renderer, state);
    state.showTemperatures = true;
    const QImage labelled = render(renderer, state);
    // 1.28 pixels per degree: tenths at 32, 64, ...; labels every 50 degrees at 64, 128, ...
    EXPECT_TRUE(colourNear(plain, Spectrum + QPoint(32, 317), Black, 0));
    EXPECT_FALSE(colourNear(labelled, Spectrum + QPoint(32, 317), Black, 0));
    for (const int x : { 64, 128, 192, 256 }) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(colourNear(labelled, Spectrum + QPoint(x, 317), Black, 0));
    }
}

TEST(DecayCurveTest, RatioAxisReachesTheHighestCurve)
{
    struct Case
    {
        double largest, top, step;
    };
    for (const Case &c : { Case { 0.4, 1, 0.5 }, Case { 1, 1, 0.5 }, Case { 1.2, 1.5, 0.5 },
             Case { 2.9, 3, 0.5 }, Case { 3.2, 4, 1 }, Case { 11, 12, 2 },
             Case { std::nan(""), 1, 0.5 }, Case { 1e300, 1, 0.5 } }) {
        SCOPED_TRACE(c.largest);
        const RatioAxis axis = ratioAxis(c.largest);
        EXPECT_EQ(axis.top, c.top);
        EXPECT_EQ(axis.step, c.step);
        EXPECT_EQ(axis.ticks().back(), c.top);
    }
    EXPECT_EQ(decayRatio(3, 2), 1.5);
    EXPECT_FALSE(decayRatio(3, 0));
}

// The frame of the decay panel as the renderer lays it out at width 700, no edge room.
DecayFrame decayFrameAt700(double low, double high, double ratioTop)
{
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font());
    const int leftRoom = metrics.horizontalAdvance(QStringLiteral("0.5")) + 6;
    const int numberRoom = metrics.horizontalAdvance(QStringLiteral("0000")) + 8;
    const TemperatureAxis axis = temperatureAxis(low, high, (320 - leftRoom) / numberRoom);
    DecayFrame frame = decayFrame(320, 0, leftRoom, metrics.height() + 5,
        metrics.horizontalAdvance(QString::number(axis.high)) / 2 + 1, axis);
    frame.ratioTop = ratioTop;
    return frame;
}

TEST(DecayPanelTest, CurvesAreRelativeToTheFirstStepAndMayRiseAboveIt)
{
    // A soft component against a harder, stronger one: removing the soft one first raises the
    // remaining magnetization above the NRM.
    ComponentPopulations populations { { component(180, 0, 6, 100, 200, SpectrumShape::Gauss) },
        { component(0, 0, 2, 100, 300, SpectrumShape::Rectangular) } };
    ResultSeries series;
    RunDemagnetization(200, 100, 300, series, populations);
    const ResultSeriesEntry &steps = series.front();
    const auto highest = std::max_element(steps.begin(), steps.end(),
        [](const TResultVectors &a, const TResultVectors &b) { return a.Length() < b.Length(); });
    const double j0 = steps.front().Length();
    ASSERT_GT(highest->Length(), 1.2 * j0);

    DiagramRenderer renderer(series, populations, 100, 200);
    DiagramViewState state;
    state.options.panel = IntensityPanel::Decay;
    const QImage image = render(renderer, state);
    const double top = ratioAxis(highest->Length() / j0).top;
    const DecayFrame frame = decayFrameAt700(100, 300, top);
    const auto point
        = [&](double t, double ratio) { return QPoint(*decayX(frame, t), *decayY(frame, ratio)); };
    EXPECT_TRUE(colourNear(image, Spectrum + point(100, 1), Black)) << "starts at 1";
    EXPECT_TRUE(
        colourNear(image, Spectrum + point(highest->Temperature, highest->Length() / j0), Black));
    EXPECT_GE(*decayY(frame, highest->Length() / j0), frame.top) << "inside the frame";
    EXPECT_TRUE(colourNear(image, Spectrum + point(300, 0), Black));
}

TEST_F(WorkedExampleOptionsTest, DecayPanelShowsJOverJ0)
{
    DiagramOptions options;
    options.panel = IntensityPanel::Decay;
    const QImage image = render(renderer, withOptions(options));
    // The frame as the renderer lays it out for the picture's font; the curve's values are
    // the worked example's: J/J0 = 1 at 100 degrees, 250.5 / 651.2305813 at 200, 0 at 250.
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font());
    const int leftRoom = metrics.horizontalAdvance(QStringLiteral("0.5")) + 6;
    const int numberRoom = metrics.horizontalAdvance(QStringLiteral("0000")) + 8;
    const TemperatureAxis axis = temperatureAxis(100, 250, (320 - leftRoom) / numberRoom);
    const DecayFrame frame = decayFrame(320, 0, leftRoom, metrics.height() + 5,
        metrics.horizontalAdvance(QString::number(axis.high)) / 2 + 1, axis);
    painter.end();
    const auto point
        = [&](double t, double ratio) { return QPoint(*decayX(frame, t), *decayY(frame, ratio)); };
    EXPECT_TRUE(colourNear(image, Spectrum + point(100, 1), Black));
    EXPECT_TRUE(colourNear(image, Spectrum + point(200, 250.5 / 651.2305813), Black));
    EXPECT_FALSE(colourNear(image, Spectrum + point(200, 0.6), Black, 3));
    EXPECT_TRUE(colourNear(image, Spectrum + point(250, 0), Black));
    EXPECT_EQ(frame.top, 6);
    EXPECT_EQ(*decayY(frame, 1), 6) << "J/J0 = 1 at the top of the frame";
    // The blocking spectra are gone: no top of B's box along row 160.
    EXPECT_FALSE(colourNear(image, Spectrum + QPoint(250, 160), Black, 2));
}

} // namespace
} // namespace Demagora
