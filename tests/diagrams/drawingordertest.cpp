#include "diagrams/lastoccurrence.h"
#include "diagrams/stereogram.h"
#include "model/randomsource.h"
#include "model/scatter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace Demagora {
namespace {

// An opaque drawing operation of the kinds the diagrams repeat: a thick line or a filled
// symbol, in one of two colours.
struct Operation
{
    int x1, y1, x2, y2;
    bool symbol;
    bool red;
    bool operator==(const Operation &) const = default;
};

struct OperationHash
{
    std::uint64_t operator()(const Operation &o) const
    {
        return mixHash((std::uint64_t(o.x1) << 32) | std::uint32_t(o.y1),
            (std::uint64_t(o.x2) << 32 | std::uint32_t(o.y2)) * 4 + o.symbol * 2 + o.red);
    }
};

void draw(QPainter &painter, const Operation &o)
{
    const QColor colour = o.red ? QColor(255, 0, 0) : QColor(0, 0, 255);
    painter.setPen(QPen(colour, o.symbol ? 1 : 2));
    painter.setBrush(o.symbol ? QBrush(colour) : QBrush());
    if (o.symbol)
        painter.drawEllipse(QRectF(o.x1 - 2, o.y1 - 2, 4, 4));
    else
        painter.drawLine(o.x1, o.y1, o.x2, o.y2);
}

QImage blank()
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Thousands of operations crowded on a few pixels, so that most of them repeat an earlier one
// with other operations drawn in between: drawing only the last of each, in the order of
// their last request, leaves the same pixels as drawing every one in turn.
TEST(LastOccurrenceTest, DrawingTheLastOfEqualOperationsGivesTheSamePixels)
{
    for (const unsigned seed : { 1u, 2u, 3u }) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> coordinate(0, 23);
        std::uniform_int_distribution<int> step(-1, 1);
        std::vector<Operation> operations;
        for (int i = 0; i < 5000; ++i) {
            const int x = 3 + 3 * (coordinate(random) / 4);
            const int y = 3 + 3 * (coordinate(random) / 4);
            const bool symbol = random() % 3 == 0;
            const int dx = symbol ? 0 : 3 * step(random);
            const int dy = symbol ? 0 : 3 * step(random);
            operations.push_back({ x, y, x + dx, y + dy, symbol, random() % 2 == 0 });
        }
        QImage everything = blank();
        QImage lastOnly = blank();
        LastOccurrence<Operation, OperationHash> kept;
        {
            QPainter painter(&everything);
            for (const Operation &o : operations)
                draw(painter, o);
        }
        std::size_t drawn = 0;
        {
            QPainter painter(&lastOnly);
            // Drained in the middle too, as a label in between makes the diagrams do.
            for (std::size_t i = 0; i < operations.size(); ++i) {
                kept.add(operations[i]);
                if (i == operations.size() / 2)
                    kept.drain([&](const Operation &o) { draw(painter, o), ++drawn; });
            }
            kept.drain([&](const Operation &o) { draw(painter, o), ++drawn; });
        }
        EXPECT_LT(drawn, operations.size() / 2);
        EXPECT_EQ(everything, lastOnly);
    }
}

// The start directions of every member are the members' own GetX, GetY and Remaining at the
// start of the run, bit for bit, whichever way they are summed: Gauss and rectangular
// spectra, different lengths, more members than one worker takes at a time.
TEST(InitialDirectionsTest, EqualTheMembersOwnValues)
{
    MersenneTwisterSource random(20261208);
    ComponentPopulations populations;
    for (const SpectrumShape shape : { SpectrumShape::Gauss, SpectrumShape::Rectangular }) {
        TVector v;
        v.SigmaCount = 3;
        v.Declination = 40;
        v.Inclination = -20;
        v.Height = 7;
        v.BlockLow = shape == SpectrumShape::Gauss ? 120 : 80.5;
        v.BlockHigh = shape == SpectrumShape::Gauss ? 480 : 300.25;
        v.Shape = shape;
        Population population;
        ScatterComponent(v, 5000, population, shape, true, 20, 1.5, random);
        populations.push_back(std::move(population));
    }
    for (const std::int32_t start : { 100, 150, 500 }) {
        SCOPED_TRACE(start);
        const InitialDirections directions = initialDirections(populations, start);
        ASSERT_EQ(directions.size(), populations.size());
        int differences = 0;
        for (std::size_t i = 0; i < populations.size(); ++i) {
            ASSERT_EQ(directions[i].size(), populations[i].size());
            for (std::size_t m = 0; m < populations[i].size(); m += 7) {
                TVector member = populations[i][m];
                member.SetTemperature(start);
                const MemberDirection &d = directions[i][m];
                if (d.north != member.GetX() || d.east != member.GetY()
                    || d.inclination != member.Inclination
                    || d.remaining != member.Remaining(start))
                    ++differences;
            }
        }
        EXPECT_EQ(differences, 0);
    }
}

} // namespace
} // namespace Demagora
