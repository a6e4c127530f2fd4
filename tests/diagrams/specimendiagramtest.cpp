#include "diagrams/specimendiagram.h"

#include "diagramfixtures.h"
#include "diagrams/labelplacement.h"
#include "diagrams/picturefile.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

using Testing::Black;

// A specimen of three steps whose last two are `ratio` times as long as the first.
SpecimenDiagramData decayingFrom(double first, double ratio)
{
    SpecimenDiagramData data;
    data.steps = { { 0, { first, 0, 0 } }, { 100, { first * ratio, 0, 0 } },
        { 200, { first * ratio / 2, 0, 0 } } };
    return data;
}

QImage paint(const SpecimenDiagram &diagram, int width)
{
    QImage image(width, width, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    diagram.paint(painter, QRectF(0, 0, width, width));
    return image;
}

bool darkerThan(const QImage &image, int x, int y, int gray)
{
    return image.valid(x, y) && qGray(image.pixel(x, y)) < gray;
}

// The ticks left of the J/J0 axis: the axis is the panel's longest dark column; a tick, drawn
// smoothed, leaves a half-dark run of pixels four columns left of it (the step symbols on the
// axis and the level numbers under it stay lighter there).
int ratioTicks(const QImage &image, const QRectF &panel)
{
    const QRect area = panel.toAlignedRect();
    int axis = -1;
    int longest = 0;
    for (int x = area.left(); x < area.left() + area.width() / 2; ++x) {
        int run = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            run = darkerThan(image, x, y, 128) ? run + 1 : 0;
            if (run > longest) {
                longest = run;
                axis = x;
            }
        }
    }
    int ticks = 0;
    bool inTick = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const bool on = darkerThan(image, axis - 4, y, 160);
        ticks += on && !inTick ? 1 : 0;
        inTick = on;
    }
    return ticks;
}

// However large the last steps are beside the first, the decay panel numbers at most seven
// ratios (a first step of 1e-150 once asked for a label every 0.5 up to 1e150).
TEST(SpecimenDiagramTest, DecayAxisHasAFewTicksWhateverTheRatio)
{
    struct Case
    {
        double first;
        double ratio;
        int ticks;
    };
    const Case cases[] = {
        { 1, 0.5, 3 }, // 0, 0.5, 1
        { 1, 2.9, 7 }, // 0 to 3 by 0.5
        { 1, 40, 6 }, // 0 to 40 by 8
        { 1e-6, 1e5, 5 }, // 0 to 131072 by 32768
        { 1e-150, 1e150, 3 }, // past a million the axis stays at 1 and the curve is cut
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ratio);
        const SpecimenDiagram diagram(decayingFrom(c.first, c.ratio));
        const int width = 700;
        const QImage image = paint(diagram, width);
        EXPECT_EQ(
            ratioTicks(image, SpecimenDiagram::layout(QRectF(0, 0, width, width)).decay), c.ticks);
    }
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// In specimen coordinates the axes are the specimen's own, x, y and z; in geographic or
// tilt-corrected ones north, east and down.
TEST(SpecimenDiagramTest, AxesAreNamedForTheFrameOfTheSteps)
{
    for (const bool specimenAxes : { false, true }) {
        SCOPED_TRACE(specimenAxes);
        SpecimenDiagramData data = decayingFrom(1, 0.5);
        data.specimenAxes = specimenAxes;
        const SpecimenDiagram diagram(std::move(data));
        std::ostringstream svg;
        writePicture(svg, PictureFormat::Svg, QSize(600, 624),
            [&](QPainter &painter, const QRectF &target) { diagram.paint(painter, target); });
        const std::string text = svg.str();
        for (const char *word : { ">N<", ">E, Down<", ">W, Up<" })
            EXPECT_EQ(text.find(word) != std::string::npos, !specimenAxes) << word;
        for (const char *word : { ">x<", ">y, z<", ">-y, -z<" })
            EXPECT_EQ(text.find(word) != std::string::npos, specimenAxes) << word;
    }
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

std::string svgOf(const SpecimenDiagram &diagram)
{
    std::ostringstream svg;
    writePicture(svg, PictureFormat::Svg, QSize(600, 624),
        [&](QPainter &painter, const QRectF &target) { diagram.paint(painter, target); });
    return svg.str();
}

TEST(SpecimenDiagramTest, ScaleIsTheLargestRoundValueNotAbove)
{
    const struct
    {
        double atMost;
        std::optional<double> value;
    } cases[] = {
        { 1, 1 },
        { 0.999, 0.5 },
        { 3e-9, 2e-9 },
        { 1e-9, 1e-9 }, // a power of ten whose logarithm may come out a little low
        { 1000, 1000 },
        { std::nextafter(1000.0, 0.0), 500 }, // whose logarithm rounds up to 3
        { 4.9999, 2 },
        { 7.3e5, 5e5 },
        { 19.99, 10 },
        { 0, std::nullopt },
        { -2, std::nullopt },
        { std::numeric_limits<double>::infinity(), std::nullopt },
        { std::numeric_limits<double>::quiet_NaN(), std::nullopt },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.atMost);
        EXPECT_EQ(roundScaleValue(c.atMost), c.value);
    }
}

// The words the picture writes: the scales' values in the moment's unit, the axis of each
// vertical plane shown, and the legend of the site means named.
TEST(SpecimenDiagramTest, WordsOfTheScalesTheProjectionsAndTheLegend)
{
    // Steps along north from 1e-8 to 0: the vector diagram spans 1e-8 (a quarter of its panel
    // holds 3.1e-9), the largest loss is 5e-11 per degree.
    SpecimenDiagramData base = decayingFrom(1e-8, 0.5);
    base.momentUnit = QStringLiteral("A m2");
    const auto with = [&](auto change) {
        SpecimenDiagramData data = base;
        change(data);
        return data;
    };
    const auto projection = [&](VerticalProjection p) {
        return with([p](SpecimenDiagramData &d) { d.options.projection = p; });
    };
    const struct
    {
        const char *name;
        SpecimenDiagramData data;
        std::vector<const char *> present;
        std::vector<const char *> absent;
    } cases[] = {
        { "scales", base, { ">2e-09 A m2<", ">5e-11<", "(A m2/\u00B0C)<" }, { ">Site means<" } },
        { "no unit", with([](SpecimenDiagramData &d) { d.momentUnit.clear(); }), { ">2e-09<" },
            { "A m2" } },
        { "north-down", projection(VerticalProjection::North), { ">N<" }, { ">E<" } },
        { "east-down", projection(VerticalProjection::East), { ">N<", ">E<" }, {} },
        { "both", projection(VerticalProjection::Both), { ">N<", ">E<" }, {} },
        { "site means", with([](SpecimenDiagramData &d) {
             d.cones = { { { 1, 0, 1 }, 5, Qt::red, QStringLiteral("HT") },
                 { { 0, 1, 1 }, 5, Qt::blue, QString() },
                 { { 1, 1, 0 }, 5, Qt::green, QStringLiteral("LT") } };
         }),
            { ">Site means<", ">HT<", ">LT<" }, {} },
        { "site components", with([](SpecimenDiagramData &d) {
             d.cones = { { { 1, 0, 1 }, 5, Qt::red, QStringLiteral("Site 1") } };
             d.conesHeading = QStringLiteral("Site components");
         }),
            { ">Site components<", ">Site 1<" }, { ">Site means<" } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string svg = svgOf(SpecimenDiagram(c.data));
        for (const char *word : c.present)
            EXPECT_NE(svg.find(word), std::string::npos) << word;
        for (const char *word : c.absent)
            EXPECT_EQ(svg.find(word), std::string::npos) << word;
    }
}

// The projection chosen decides the planes drawn and chosen from: a step east and down of the
// origin stands right of the vertical axis only on the east-down plane, drawn in its own
// colour beside the north-down one.
TEST(SpecimenDiagramTest, ProjectionDecidesThePlanesDrawnAndChosenFrom)
{
    const QColor Orange(230, 140, 0);
    const struct
    {
        VerticalProjection projection;
        std::vector<int> rightOfAxis;
        bool orange;
    } cases[] = {
        { VerticalProjection::North, {}, false },
        { VerticalProjection::East, { 1 }, false },
        { VerticalProjection::Both, { 1 }, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.projection));
        SpecimenDiagramData data;
        data.steps = { { 0, { 0, 0, 0 } }, { 100, { 0, 1, 1 } } };
        data.options.projection = c.projection;
        const SpecimenDiagram diagram(std::move(data));
        const int width = 600;
        const QRectF panel = SpecimenDiagram::layout(QRectF(0, 0, width, width)).vectors;
        const QRectF right(panel.center() + QPointF(20, -panel.height() / 2),
            QSizeF(panel.width() / 2 - 20, panel.height()));
        EXPECT_EQ(diagram.stepsIn(QRectF(0, 0, width, width), right), c.rightOfAxis);
        EXPECT_EQ(
            Testing::countColour(paint(diagram, width), right.toRect(), Orange, 30) > 0, c.orange);
    }
}

TEST(LabelPlacementTest, CrowdedLabelsTakeTheirFirstFreePlaceOrNone)
{
    const LabelBox right { 10, 0, 10, 10 };
    const LabelBox left { -10, 0, 10, 10 };
    const LabelBox below { 0, 10, 10, 10 };
    const std::vector<std::vector<LabelBox>> places {
        { right, left }, // right
        { right, left }, // right is taken: left
        { right, left }, // both taken: left out
        { below, right }, // below is free of labels but covers the obstacle: none left
    };
    EXPECT_EQ(labelPlaces(places, { { 2, 12, 2, 2 } }), (std::vector<int> { 0, 1, -1, -1 }));
}

} // namespace
} // namespace Demagora
