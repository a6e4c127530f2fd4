#include "diagrams/diagramrenderer.h"

#include "diagramfixtures.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "model/scatter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace Demagora {
namespace {

using Testing::Black;
using Testing::Blue;
using Testing::colourNear;
using Testing::component;
using Testing::countColour;
using Testing::countText;
using Testing::Face;
using Testing::path;
using Testing::Red;
using Testing::render;
using Testing::Spectrum;
using Testing::Start;
using Testing::Stereo;
using Testing::Vectors;
using Testing::WorkedExample;

const QColor Green(0, 128, 0);

DiagramViewState withLabels(std::int64_t interval = 50)
{
    DiagramViewState state;
    state.showTemperatures = true;
    state.labelInterval = interval;
    return state;
}

class WorkedExampleRenderTest : public testing::Test
{
protected:
    WorkedExample example;
    DiagramRenderer renderer { example.series, example.populations, example.runLowTemp,
        example.stereoPointCount };
};

TEST_F(WorkedExampleRenderTest, VectorDiagramPaths)
{
    const QImage image = render(renderer, {});
    EXPECT_EQ(image.pixelColor(5, 5), Face) << "the picture starts from the face colour";
    // Horizontal projection: (262, 282) -> (211, 282) -> (160, 221) -> origin.
    for (const QPoint p :
        { QPoint(262, 282), QPoint(236, 282), QPoint(211, 282), QPoint(160, 221) }) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        EXPECT_TRUE(colourNear(image, Vectors + p, Blue));
    }
    EXPECT_FALSE(colourNear(image, Vectors + QPoint(236, 240), Blue, 5));
    // Vertical projection along the horizontal axis, over the black axis.
    EXPECT_TRUE(colourNear(image, Vectors + QPoint(200, 160), Red));
    EXPECT_TRUE(colourNear(image, Vectors + QPoint(261, 160), Red));
    EXPECT_FALSE(colourNear(image, Vectors + QPoint(280, 160), Red));
    EXPECT_EQ(image.pixelColor(Vectors + QPoint(60, 160)), Black) << "axis";
    EXPECT_EQ(image.pixelColor(Vectors + QPoint(160, 40)), Black) << "axis";
}

TEST_F(WorkedExampleRenderTest, SpectrumCurvesAndTicks)
{
    const QImage image = render(renderer, {});
    for (const QPoint p : { QPoint(127, 316), QPoint(153, 256), QPoint(179, 52), QPoint(192, 1),
             QPoint(230, 256), QPoint(256, 316) }) {
        SCOPED_TRACE(testing::Message() << "A at " << p.x() << "," << p.y());
        EXPECT_TRUE(colourNear(image, Spectrum + p, Black));
    }
    EXPECT_FALSE(colourNear(image, Spectrum + QPoint(153, 200), Black, 5));
    // B: a box whose top lies at row 160 from x 190 to 318, sides down to the bottom.
    for (const QPoint p : { QPoint(250, 160), QPoint(200, 160), QPoint(190, 240), QPoint(319, 240),
             QPoint(318, 161) }) {
        SCOPED_TRACE(testing::Message() << "B at " << p.x() << "," << p.y());
        EXPECT_TRUE(colourNear(image, Spectrum + p, Black));
    }
    EXPECT_FALSE(colourNear(image, Spectrum + QPoint(250, 150), Black, 3));
    // Ticks every 32 pixels, 10 pixels high, and nothing between them near the bottom.
    for (int x = 32; x < 320; x += 32) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(colourNear(image, Spectrum + QPoint(x, 312), Black, 0));
    }
    EXPECT_FALSE(colourNear(image, Spectrum + QPoint(16, 312), Black, 0));
    EXPECT_TRUE(colourNear(image, Spectrum + QPoint(0, 100), Black, 0)) << "left edge";
    EXPECT_TRUE(colourNear(image, Spectrum + QPoint(60, 319), Black, 0)) << "bottom line";
}

TEST_F(WorkedExampleRenderTest, StereogramsOfResultsAndInitialDirections)
{
    const QImage image = render(renderer, {});
    EXPECT_EQ(image.pixelColor(Stereo + QPoint(282, 58)), Red);
    EXPECT_EQ(image.pixelColor(Stereo + QPoint(307, 99)), Red);
    EXPECT_EQ(countColour(image, QRect(Stereo, QSize(320, 320)), Green), 0);
    // A at the top of the outer circle, B at its right end.
    EXPECT_TRUE(colourNear(image, Start + QPoint(160, 0), Red));
    EXPECT_TRUE(colourNear(image, Start + QPoint(319, 160), Red));
    EXPECT_EQ(countColour(image, QRect(Start + QPoint(2, 4), QSize(310, 150)), Red), 0)
        << "one symbol per component, nothing between";
}

TEST_F(WorkedExampleRenderTest, NetCirclesAndCentreMark)
{
    const QImage image = render(renderer, {});
    for (const QPoint origin : { Stereo, Start }) {
        EXPECT_EQ(image.pixelColor(origin + QPoint(160, 160)), Black) << "centre mark";
        for (int i = 0; i <= 8; ++i) {
            SCOPED_TRACE(i);
            const int r = static_cast<int>(i * (320 / 18.0));
            // Dotted: some pixel of the circle's top near the north crossing is black.
            EXPECT_GT(
                countColour(image, QRect(origin + QPoint(150, r - 1), QSize(20, 3)), Black), 0);
            // Between two circles the disc is face coloured.
            EXPECT_EQ(image.pixelColor(origin + QPoint(160, r + 8)), Face);
        }
    }
}

TEST_F(WorkedExampleRenderTest, TemperatureLabelsOnlyWhenSwitchedOnWithAValidInterval)
{
    // Label texts stand right of and below their points, where the curves do not go.
    const QRect vectorLabel(Vectors + QPoint(264, 283), QSize(14, 10));
    const QRect spectrumLabel150(Spectrum + QPoint(182, 301), QSize(7, 9));
    const QRect spectrumLabel250(Spectrum + QPoint(300, 301), QSize(18, 8));
    const QRect stereoLabel(Stereo + QPoint(284, 60), QSize(8, 8));

    const QImage plain = render(renderer, {});
    EXPECT_EQ(countText(plain, vectorLabel, Blue), 0);
    EXPECT_EQ(countText(plain, spectrumLabel150, Black), 0);
    EXPECT_EQ(countText(plain, spectrumLabel250, Black), 0);

    const QImage labelled = render(renderer, withLabels(50));
    EXPECT_GT(countText(labelled, vectorLabel, Blue), 0);
    EXPECT_GT(countText(labelled, spectrumLabel150, Black), 0);
    EXPECT_GT(countText(labelled, spectrumLabel250, Black), 0);
    EXPECT_GT(countText(labelled, stereoLabel, Black), 0);

    DiagramViewState invalid = withLabels();
    invalid.labelInterval.reset();
    const QImage unlabelled = render(renderer, invalid);
    EXPECT_EQ(countText(unlabelled, vectorLabel, Blue), 0);
    EXPECT_EQ(countText(unlabelled, spectrumLabel150, Black), 0);
    EXPECT_EQ(plain, unlabelled);
}

TEST_F(WorkedExampleRenderTest, LegendWords)
{
    DiagramViewState legend;
    legend.showLegend = true;
    const QImage image = render(renderer, legend);
    const QImage plain = render(renderer, {});
    // "dJ/dT" at (5, 0) of the spectrum, "West" at the left of both nets.
    const QRect dJdT(Spectrum + QPoint(5, 0), QSize(25, 10));
    EXPECT_GT(countText(image, dJdT, Black), 0);
    EXPECT_EQ(countText(plain, dJdT, Black), 0);
    const QRect west(Stereo + QPoint(2, 162), QSize(20, 8));
    EXPECT_GT(countText(image, west, Blue), 0);
    EXPECT_EQ(countText(plain, west, Blue), 0);
}

TEST_F(WorkedExampleRenderTest, AxisTitlesStandWithoutTheLegend)
{
    DiagramViewState titled;
    titled.options.axisTitles = true;
    const QImage image = render(renderer, titled);
    const QImage plain = render(renderer, {});
    // "dJ/dT" at (5, 0) and the unit at the top right of the spectrum; no legend word.
    const QRect dJdT(Spectrum + QPoint(5, 0), QSize(25, 10));
    const QRect unit(Spectrum + QPoint(260, 0), QSize(56, 10));
    const QRect west(Stereo + QPoint(2, 162), QSize(20, 8));
    EXPECT_GT(countText(image, dJdT, Black), 0);
    EXPECT_GT(countText(image, unit, Black), 0);
    EXPECT_EQ(countText(plain, unit, Black), 0);
    EXPECT_EQ(countText(image, west, Blue), 0);
    titled.options.panel = IntensityPanel::Decay;
    EXPECT_GT(countText(render(renderer, titled), unit, Black), 0);
}

TEST(DiagramRendererTest, LabelsFollowOnlyTheLastResultingVector)
{
    // Two paths far apart; each runs left from its start, so right of the start only a label
    // can stand.
    const ResultSeries series { path({ { 10, -10, 0 }, { 5, -10, 0 }, { 1, -10, 0 } }),
        path({ { 10, 10, 0 }, { 5, 10, 0 }, { 1, 10, 0 } }) };
    const ComponentPopulations populations { { component(0, 0, 1, 10, 20, SpectrumShape::Gauss),
        component(0, 0, 1, 10, 20, SpectrumShape::Gauss) } };
    const DiagramRenderer renderer(series, populations, 10, 2);
    // Maximum length 10 * sqrt 2: the starts stand at (273, 46) and (273, 273).
    const QRect first(Vectors + QPoint(275, 48), QSize(8, 10));
    const QRect last(Vectors + QPoint(275, 275), QSize(8, 10));

    const QImage multiple = render(renderer, withLabels(1));
    EXPECT_TRUE(colourNear(multiple, Vectors + QPoint(273, 46), Blue));
    EXPECT_EQ(countText(multiple, first, Blue), 0);
    EXPECT_GT(countText(multiple, last, Blue), 0);

    DiagramViewState single = withLabels(1);
    single.mode = DisplayMode::Single;
    single.currentVector = 0;
    const QImage firstAlone = render(renderer, single);
    EXPECT_TRUE(colourNear(firstAlone, Vectors + QPoint(273, 46), Blue));
    EXPECT_FALSE(colourNear(firstAlone, Vectors + QPoint(250, 273), Blue));
    EXPECT_EQ(countText(firstAlone, first, Blue), 0);

    single.currentVector = 1;
    const QImage lastAlone = render(renderer, single);
    EXPECT_FALSE(colourNear(lastAlone, Vectors + QPoint(250, 46), Blue));
    EXPECT_GT(countText(lastAlone, last, Blue), 0);
}

TEST(DiagramRendererTest, VectorDiagramIsDrawnStepByStep)
{
    const ComponentPopulations populations { { component(0, 0, 1, 10, 20, SpectrumShape::Gauss) } };
    {
        SCOPED_TRACE("a later blue segment crosses an earlier red one");
        // The last step has length 160, so one unit is one pixel. The red path runs along
        // row 200 from x 100 to 200 at step 0; the blue one crosses it at step 2, along x 160.
        const ResultSeries series { path(
            { { -60, 0, 40 }, { 40, 0, 40 }, { 0, -10, -128 }, { 0, 96, -128 } }) };
        const DiagramRenderer renderer(series, populations, 10, 4);
        const QImage image = render(renderer, {});
        EXPECT_EQ(image.pixelColor(Vectors + QPoint(160, 200)), Blue);
        EXPECT_EQ(image.pixelColor(Vectors + QPoint(120, 200)), Red);
    }
    {
        SCOPED_TRACE("a later segment runs through an earlier label");
        // Step 0 is labelled in red at (100, 100); the blue segment of step 1 runs up along
        // x 103 through that label. The first vector only sets the scale.
        const ResultSeries series { path({ { 0, 96, -128 } }),
            path({ { -60, 0, -60 }, { -57, 0, -60 }, { -57, -100, -60 } }) };
        const DiagramRenderer renderer(series, populations, 10, 1);
        const QImage image = render(renderer, withLabels(2));
        EXPECT_GT(countText(image, QRect(Vectors + QPoint(100, 100), QSize(7, 8)), Red), 0)
            << "the label";
        EXPECT_GE(countColour(image, QRect(Vectors + QPoint(101, 101), QSize(4, 10)), Blue), 10)
            << "the blue segment over it";
    }
}

TEST(DiagramRendererTest, SpectrumCurveIsDrawnOverTheLabelsBeforeIt)
{
    // One pixel per unit of height and 1.6 per degree: the top of the low rectangular box
    // runs along row 311, through the lowest rows of the label "150" at (230, 300), where
    // the digits leave the face colour. The degrees after 150 are drawn after that label.
    ComponentPopulations populations {
        { component(0, 0, 320, 100, 200, SpectrumShape::Gauss) },
        { component(90, 0, 9, 100, 200, SpectrumShape::Rectangular) },
    };
    ResultSeries series;
    RunDemagnetization(100, 100, 200, series, populations);
    const DiagramRenderer renderer(series, populations, 100, 100);
    const QImage image = render(renderer, withLabels(50));
    EXPECT_GT(countText(image, QRect(Spectrum + QPoint(230, 301), QSize(20, 8)), Black), 0)
        << "the label";
    EXPECT_GT(countColour(image, QRect(Spectrum + QPoint(242, 310), QSize(7, 3)), Black), 6)
        << "the box's top over it";
}

TEST(DiagramRendererTest, TextsAndSymbolsStayInsideTheirPanels)
{
    {
        SCOPED_TRACE("symbols on the outer circle of the worked example");
        WorkedExample example;
        const DiagramRenderer renderer(
            example.series, example.populations, example.runLowTemp, example.stereoPointCount);
        const QImage image = render(renderer, {});
        // A stands at the top of the outer circle, B at its right end, the steps of the
        // resulting vector on the upper right of the circle.
        EXPECT_TRUE(colourNear(image, Start + QPoint(160, 0), Red));
        EXPECT_EQ(countColour(image, QRect(0, 345, 700, 9), Red), 0) << "between the rows";
        EXPECT_EQ(countColour(image, QRect(640, 354, 60, 320), Red), 0) << "right of the panels";
    }
    {
        SCOPED_TRACE("the label of a step at the right edge of the vector diagram");
        // Due north and horizontal: step 0 stands at the right edge, row 160, and its labels
        // would reach into the spectrum panel over its left edge.
        ComponentPopulations populations {
            { component(0, 0, 10, 100, 200, SpectrumShape::Rectangular) },
        };
        ResultSeries series;
        RunDemagnetization(100, 100, 200, series, populations);
        const DiagramRenderer renderer(series, populations, 100, 100);
        const QImage image = render(renderer, withLabels(50));
        EXPECT_EQ(countColour(image, QRect(Spectrum + QPoint(0, 161), QSize(1, 11)), Black), 11)
            << "the spectrum's left edge";
        EXPECT_EQ(countText(image, QRect(Spectrum + QPoint(1, 158), QSize(10, 16)), Blue), 0);
        EXPECT_EQ(countText(image, QRect(Spectrum + QPoint(1, 158), QSize(10, 16)), Red), 0);
    }
}

TEST(DiagramRendererTest, ZeroLengthStepsEndTheirVector)
{
    const ComponentPopulations populations { { component(0, 0, 1, 10, 20, SpectrumShape::Gauss),
        component(0, 0, 1, 10, 20, SpectrumShape::Gauss) } };
    const ResultSeries series { path({ { 0, 0, 0 }, { 5, 5, 5 }, { 4, 4, 4 } }),
        path({ { 5, 0, 0 } }) };
    const DiagramRenderer renderer(series, populations, 10, 2);
    const QImage image = render(renderer, withLabels(1));
    EXPECT_EQ(countText(image, QRect(Vectors, QSize(320, 320)), Blue), 0);
    EXPECT_EQ(countText(image, QRect(Vectors, QSize(320, 320)), Red), 0);
    // The stereogram needs one step only: the second vector's first step, due north.
    EXPECT_TRUE(colourNear(image, Stereo + QPoint(160, 0), Red));
    EXPECT_EQ(countColour(image, QRect(Stereo + QPoint(1, 4), QSize(318, 314)), Red), 0);
}

TEST(DiagramRendererTest, UpwardDirectionsAreGreen)
{
    ComponentPopulations populations { { component(0, -45, 10, 100, 200, SpectrumShape::Gauss) } };
    ResultSeries series;
    RunDemagnetization(100, 100, 200, series, populations);
    const DiagramRenderer renderer(series, populations, 100, 100);
    const QImage image = render(renderer, {});
    EXPECT_TRUE(colourNear(image, Stereo + QPoint(160, 80), Green));
    EXPECT_TRUE(colourNear(image, Start + QPoint(160, 80), Green));
    EXPECT_EQ(countColour(image, QRect(Stereo, QSize(640, 320)), Red), 0);
}

TEST(DiagramRendererTest, DegenerateModelsPaintWithoutBlowingUp)
{
    // A zero-width Gauss spectrum, a component of height 0 whose members have nothing to
    // show, a sampling count beyond the steps, and lengths that overflow the scale.
    ComponentPopulations populations {
        { component(0, 10, 10, 100, 200, SpectrumShape::Gauss),
            component(20, 10, 10, 100, 200, SpectrumShape::Gauss) },
        { component(90, 10, 0, 100, 200, SpectrumShape::Gauss),
            component(90, 10, 0, 100, 200, SpectrumShape::Gauss) },
        { component(180, 10, 4, 150, 150, SpectrumShape::Gauss),
            component(180, 10, 4, 150, 150, SpectrumShape::Gauss) },
    };
    ResultSeries series { path({ { 1e308, 1e308, 0 }, { 1, 1, 1 } }),
        path({ { 3, 4, 0 }, { 1, 1, 1 }, { 0, 0, 1 } }) };
    const DiagramRenderer renderer(series, populations, 100, 5000);
    DiagramViewState single = withLabels(1);
    for (DisplayMode mode : { DisplayMode::Multiple, DisplayMode::Single }) {
        single.mode = mode;
        const QImage image = render(renderer, single);
        EXPECT_EQ(image.pixelColor(5, 5), Face);
        EXPECT_TRUE(colourNear(image, Start + QPoint(160, 18), Red)) << "component A still drawn";
    }
    const QImage narrow = render(renderer, {}, 20);
    EXPECT_EQ(narrow.pixelColor(1, 1), Face) << "too narrow for panels: only the face colour";
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

TEST_F(WorkedExampleRenderTest, AnalysisOverlayDrawsTheFittedLineAndTheMeanCircle)
{
    const QColor Magenta(190, 0, 190);
    const QColor Band(230, 160, 230);
    const QRect vectorPanel(Vectors, QSize(320, 320));
    const QRect stereoPanel(Stereo, QSize(320, 320));
    const QImage plain = render(renderer, {});
    EXPECT_EQ(countColour(plain, QRect(0, 0, 700, 724), Magenta), 0);
    EXPECT_EQ(countColour(plain, QRect(0, 0, 700, 724), Band), 0);

    // The line along the first steps, the mean due north-east on the horizon.
    DiagramOverlay overlay;
    overlay.memberLines = { DiagramOverlay::Line { 416.6545573, 500.5, 0, 0, 250.5, 0 } };
    overlay.mean = DiagramOverlay::Mean { 45, 0, 10 };
    DiagramRenderer withOverlay(
        example.series, example.populations, example.runLowTemp, example.stereoPointCount);
    withOverlay.setOverlay(overlay);
    const QImage image = render(withOverlay, {});
    EXPECT_GT(countColour(image, vectorPanel, Band), 500);
    // The cross of the mean and the circle 10 degrees further down.
    EXPECT_TRUE(colourNear(image, Stereo + QPoint(273, 47), Magenta));
    EXPECT_TRUE(colourNear(image, Stereo + QPoint(260, 60), Magenta));
    EXPECT_EQ(countColour(image, QRect(Stereo, QSize(200, 320)), Magenta), 0)
        << "the circle stays round its mean";
    EXPECT_EQ(countColour(image, QRect(Spectrum, QSize(320, 320)), Magenta), 0);

    // A member without a fit draws no line.
    overlay.memberLines = { std::nullopt };
    withOverlay.setOverlay(overlay);
    EXPECT_EQ(countColour(render(withOverlay, {}), vectorPanel, Band), 0);
}

TEST_F(WorkedExampleRenderTest, PlaneFitsDrawTheirGreatCircles)
{
    const QColor Magenta(190, 0, 190);
    // A horizontal pole due north: the vertical east-west plane, a line through the centre.
    DiagramOverlay overlay;
    overlay.memberPoles = { DiagramOverlay::Pole { 1, 0, 0 }, std::nullopt };
    DiagramRenderer withOverlay(
        example.series, example.populations, example.runLowTemp, example.stereoPointCount);
    withOverlay.setOverlay(overlay);
    const QImage image = render(withOverlay, {});
    for (int x : { 20, 80, 240, 300 }) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(colourNear(image, Stereo + QPoint(x, 160), Magenta));
    }
    EXPECT_EQ(countColour(image, QRect(Stereo, QSize(320, 150)), Magenta, 60), 0)
        << "only the lower hemisphere's half, no other arc";
    EXPECT_EQ(countColour(image, QRect(Start, QSize(320, 320)), Magenta), 0);

    // A pole down to the east: the plane dips to the west, its arc west of the centre.
    overlay.memberPoles = { DiagramOverlay::Pole { 0, std::sqrt(0.5), std::sqrt(0.5) } };
    withOverlay.setOverlay(overlay);
    const QImage dipping = render(withOverlay, {});
    EXPECT_GT(countColour(dipping, QRect(Stereo + QPoint(40, 150), QSize(60, 20)), Magenta, 60), 0);
    EXPECT_EQ(
        countColour(dipping, QRect(Stereo + QPoint(170, 0), QSize(150, 320)), Magenta, 60), 0);
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// A renderer keeps what it traced for the next paint of the same panels. Every paint in a
// sequence of changes (labels, width, one vector, back) equals the paint of a fresh renderer.
TEST(DiagramRendererTest, RepaintsEqualFreshPaints)
{
    MersenneTwisterSource random(20261208);
    ComponentPopulations populations;
    for (const SpectrumShape shape : { SpectrumShape::Gauss, SpectrumShape::Rectangular }) {
        Population population;
        ScatterComponent(
            component(30, 40, 5, 100, 300, shape), 40, population, shape, true, 10, 1, random);
        populations.push_back(std::move(population));
    }
    ResultSeries series;
    RunDemagnetization(200, 100, 300, series, populations);
    const DiagramRenderer kept(series, populations, 100, 200);
    DiagramViewState single;
    single.mode = DisplayMode::Single;
    single.currentVector = 7;
    const std::pair<DiagramViewState, int> sequence[]
        = { { DiagramViewState {}, 700 }, { withLabels(20), 700 }, { DiagramViewState {}, 500 },
              { single, 700 }, { withLabels(20), 700 }, { DiagramViewState {}, 700 } };
    for (const auto &[state, width] : sequence) {
        SCOPED_TRACE(width);
        const DiagramRenderer fresh(series, populations, 100, 200);
        EXPECT_EQ(render(kept, state, width), render(fresh, state, width));
    }
}

} // namespace
} // namespace Demagora
