#include "diagrams/lastoccurrence.h"
#include "diagrams/rasterstamps.h"
#include "diagrams/stereogram.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <map>
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

// Items recorded in chunks on every core keep the same requests in the same order as when
// recorded one after the other: many items repeating each other's keys across the chunks.
TEST(LastOccurrenceTest, RecordingInChunksKeepsTheOrder)
{
    struct IntHash
    {
        std::uint64_t operator()(int k) const { return mixHash(std::uint64_t(k), 0); }
    };
    const auto keysOf = [](std::size_t item) {
        std::vector<int> keys;
        for (std::size_t j = 0; j < 1 + item % 7; ++j)
            keys.push_back(static_cast<int>((item * 31 + j * 17) % 97));
        return keys;
    };
    const auto drained = [](LastOccurrence<int, IntHash> &record) {
        std::vector<int> keys;
        record.drain([&](int k) { keys.push_back(k); });
        return keys;
    };
    for (const std::size_t count : { std::size_t { 1 }, std::size_t { 5 }, std::size_t { 1000 } }) {
        SCOPED_TRACE(count);
        LastOccurrence<int, IntHash> oneByOne;
        LastOccurrence<int, IntHash> inChunks;
        oneByOne.add(-1);
        inChunks.add(-1);
        for (std::size_t item = 0; item < count; ++item) {
            for (const int k : keysOf(item))
                oneByOne.add(k);
        }
        ASSERT_TRUE(recordInOrder(
            inChunks, count,
            [&](std::size_t item, LastOccurrence<int, IntHash> &record) {
                for (const int k : keysOf(item))
                    record.add(k);
            },
            nullptr));
        EXPECT_EQ(drained(inChunks), drained(oneByOne));
    }
    const std::atomic<bool> cancelled { true };
    LastOccurrence<int, IntHash> record;
    EXPECT_FALSE(recordInOrder(
        record, 1000, [](std::size_t, LastOccurrence<int, IntHash> &r) { r.add(1); }, &cancelled));
}

// Keys with places of their own and keys in the hash table keep one order between them, the
// order of their last requests, also over more requests than are gathered between two walks
// back over them.
TEST(LastOccurrenceTest, KeysWithPlacesKeepTheOrderOfTheOthers)
{
    struct IntHash
    {
        std::uint64_t operator()(int k) const { return mixHash(std::uint64_t(k), 0); }
    };
    struct EvenPlaces
    {
        enum : std::size_t { None = SIZE_MAX };
        std::size_t size() const { return 50; }
        std::size_t index(int k) const { return k % 2 == 0 && k < 100 ? std::size_t(k / 2) : None; }
        int key(std::size_t place) const { return static_cast<int>(2 * place); }
    };
    for (const int requests : { 3000, 1'500'000 }) {
        SCOPED_TRACE(requests);
        LastOccurrence<int, IntHash> hashed;
        LastOccurrence<int, IntHash, EvenPlaces> placed;
        std::map<int, int> lastRequest;
        std::mt19937 random(7);
        for (int i = 0; i < requests; ++i) {
            // Fewer keys late on, so that some keys are last asked for early.
            const int k = static_cast<int>(random() % (i < requests / 2 ? 130 : 60));
            hashed.add(k);
            placed.add(k);
            lastRequest[k] = i;
        }
        std::vector<std::pair<int, int>> byLast;
        for (const auto &[key, last] : lastRequest)
            byLast.push_back({ last, key });
        std::sort(byLast.begin(), byLast.end());
        std::vector<int> expected, fromHashed, fromPlaced;
        for (const auto &entry : byLast)
            expected.push_back(entry.second);
        hashed.drain([&](int k) { fromHashed.push_back(k); });
        placed.drain([&](int k) { fromPlaced.push_back(k); });
        EXPECT_EQ(fromHashed, expected);
        EXPECT_EQ(fromPlaced, expected);
        EXPECT_TRUE(placed.empty());
    }
}

// Stamps give the painter's own pixels: every step of a 2-pixel segment and both symbol
// sizes, at places inside the image, across its edge and across a clip rectangle, where a stamp
// that does not fit is refused and left to the painter.
TEST(RasterStampsTest, StampsEqualThePaintersPixels)
{
    const auto fresh = [] {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(QColor(240, 240, 240));
        return image;
    };
    const QPen linePen = [] {
        QPen pen(QColor(0, 0, 255), 2);
        pen.setCapStyle(Qt::SquareCap);
        return pen;
    }();
    for (const QRect &clip : { QRect(), QRect(5, 5, 20, 20) }) {
        SCOPED_TRACE(clip.isNull() ? "no clip" : "clipped");
        QImage painted = fresh();
        QImage stamped = fresh();
        int refused = 0;
        {
            QPainter byPainter(&painted);
            QPainter byStamps(&stamped);
            for (QPainter *p : { &byPainter, &byStamps }) {
                if (!clip.isNull())
                    p->setClipRect(clip);
            }
            const std::unique_ptr<RasterStamps> stamps = RasterStamps::forPainter(byStamps);
            ASSERT_NE(stamps, nullptr);
            for (const QPoint at :
                { QPoint(10, 10), QPoint(0, 0), QPoint(39, 20), QPoint(5, 24) }) {
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        byPainter.setPen(linePen);
                        byStamps.setPen(linePen);
                        byPainter.drawLine(at, at + QPoint(dx, dy));
                        if (!stamps->line(at.x(), at.y(), dx, dy)) {
                            ++refused;
                            byStamps.drawLine(at, at + QPoint(dx, dy));
                        }
                    }
                }
                for (const int d : { 4, 6 }) {
                    for (QPainter *p : { &byPainter, &byStamps }) {
                        p->setPen(QColor(0, 0, 0));
                        p->setBrush(QColor(240, 240, 240));
                    }
                    const QPoint corner = at + QPoint(d, -d);
                    byPainter.drawEllipse(QRectF(corner, QSizeF(d, d)));
                    if (!stamps->ellipse(corner.x(), corner.y(), d)) {
                        ++refused;
                        byStamps.drawEllipse(QRectF(corner, QSizeF(d, d)));
                    }
                }
            }
        }
        EXPECT_GT(refused, 0);
        EXPECT_EQ(painted, stamped);
    }
    QImage image = fresh();
    QPainter antialiased(&image);
    antialiased.setRenderHint(QPainter::Antialiasing);
    EXPECT_EQ(RasterStamps::forPainter(antialiased), nullptr);
}

} // namespace
} // namespace Demagora
