#include "diagrams/specimendiagram.h"

#include "diagramfixtures.h"
#include "diagrams/picturefile.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <sstream>

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
