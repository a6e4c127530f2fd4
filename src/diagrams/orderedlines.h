#pragma once

#include "diagrams/lastoccurrence.h"

#include <QColor>
#include <QLineF>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Demagora {

class PanelCanvas;

// A segment between two pixels in one of the colours an OrderedLines has seen.
struct SegmentKey
{
    std::int32_t x1, y1, x2, y2;
    std::uint32_t colour;
    bool operator==(const SegmentKey &) const = default;
};

struct SegmentHash
{
    std::uint64_t operator()(const SegmentKey &k) const
    {
        return mixHash((std::uint64_t(std::uint32_t(k.x1)) << 32) | std::uint32_t(k.y1),
            (std::uint64_t(std::uint32_t(k.x2)) << 32 | std::uint32_t(k.y2)) + k.colour);
    }
};

// Most segments of a long path join neighbouring pixels of the panel: each of those has a
// place of its own, by its start, its step (-1, 0 or 1 either way) and its colour (0 to 2).
struct SegmentPlaces
{
    static constexpr std::size_t None = SIZE_MAX;
    // Starts at 0 to side - 1 either way have places; 0 for none.
    int side = 0;

    // Panels too large for places of at most 32 MB go without.
    static SegmentPlaces forPanel(int boxSize)
    {
        const std::size_t side = static_cast<std::size_t>(std::max(boxSize, 0)) + 1;
        return { side * side * 27 * 4 <= (std::size_t { 32 } << 20) ? static_cast<int>(side) : 0 };
    }

    std::size_t size() const { return std::size_t(side) * std::size_t(side) * 27; }

    std::size_t index(const SegmentKey &k) const
    {
        const std::int64_t dx = std::int64_t { k.x2 } - k.x1;
        const std::int64_t dy = std::int64_t { k.y2 } - k.y1;
        if (std::uint32_t(k.x1) >= std::uint32_t(side) || std::uint32_t(k.y1) >= std::uint32_t(side)
            || dx < -1 || dx > 1 || dy < -1 || dy > 1 || k.colour > 2)
            return None;
        const std::size_t start = std::size_t(k.y1) * std::size_t(side) + std::size_t(k.x1);
        return (start * 9 + std::size_t((dy + 1) * 3 + (dx + 1))) * 3 + k.colour;
    }

    SegmentKey key(std::size_t place) const
    {
        const auto colour = static_cast<std::uint32_t>(place % 3);
        place /= 3;
        const int step = static_cast<int>(place % 9);
        place /= 9;
        const int x1 = static_cast<int>(place % std::size_t(side));
        const int y1 = static_cast<int>(place / std::size_t(side));
        return { x1, y1, x1 + step % 3 - 1, y1 + step / 3 - 1, colour };
    }
};

using SegmentRecord = LastOccurrence<SegmentKey, SegmentHash, SegmentPlaces>;

// A pixel as one word; NoEnd is none, as no pixel has the coordinates INT32_MIN.
inline std::uint64_t packedPixel(int x, int y)
{
    return (std::uint64_t(std::uint32_t(x)) << 32) | std::uint32_t(y);
}
constexpr std::uint64_t NoEnd = ~std::uint64_t { 0 };

// Whether a segment adds to its path: most steps of a long run move a point by less than a
// pixel, and a segment that stays on the pixel where the path's last segment of its colour
// ended (end) adds nothing. Moves end to the segment's end. Computed without a branch: whether
// a path moved is a guess the processor would keep getting wrong.
inline bool extendsPath(std::uint64_t &end, int x1, int y1, int x2, int y2)
{
    const std::uint64_t to = packedPixel(x2, y2);
    const bool stays = (packedPixel(x1, y1) == to) & (end == to);
    end = to;
    return !stays;
}

// The segments of one path of the vector diagram, recorded away from the painter: colours 0
// to 2 as OrderedLines numbers them.
struct PathRecorder
{
    SegmentRecord &segments;
    std::array<std::uint64_t, 3> ends { NoEnd, NoEnd, NoEnd };

    [[gnu::always_inline]] void add(std::uint32_t colour, int x1, int y1, int x2, int y2)
    {
        const bool extends = extendsPath(ends[colour], x1, y1, x2, y2);
        segments.add({ x1, y1, x2, y2, colour }, extends);
    }
};

// Draws the lines of a diagram as if each were drawn in the order given, over the ones before
// it, so that a later segment covers an earlier one where they cross. Of equal segments only
// the last is drawn (see LastOccurrence); lines of one colour that follow each other go to
// the painter together. Most steps of a long run move a point by less than a pixel: a segment
// that stays on the pixel where the path's last line of its colour ended adds nothing and is
// left out. Every end lies on a whole pixel.
class OrderedLines
{
public:
    // With places, the segments to neighbouring pixels of the panel each have one (see
    // SegmentPlaces): worth their memory on a long run.
    OrderedLines(PanelCanvas &canvas, int penWidth, SegmentPlaces places = {});
    ~OrderedLines();

    // The index under which segments of the given colour are added.
    std::uint32_t colour(const QColor &colour)
    {
        for (std::size_t i = 0; i < m_colours.size(); ++i) {
            if (m_colours[i] == colour)
                return static_cast<std::uint32_t>(i);
        }
        m_colours.push_back(colour);
        m_ends.push_back(NoEnd);
        return static_cast<std::uint32_t>(m_colours.size() - 1);
    }

    void add(std::uint32_t colour, int x1, int y1, int x2, int y2)
    {
        if (extendsPath(m_ends[colour], x1, y1, x2, y2))
            m_segments.add({ x1, y1, x2, y2, colour });
    }

    // The next segments belong to a new path.
    void startPath() { std::fill(m_ends.begin(), m_ends.end(), NoEnd); }

    // Where segments recorded elsewhere are added, as if added here.
    SegmentRecord &record() { return m_segments; }

    void add(const QColor &colour, const QLineF &segment)
    {
        add(this->colour(colour), static_cast<int>(segment.x1()), static_cast<int>(segment.y1()),
            static_cast<int>(segment.x2()), static_cast<int>(segment.y2()));
    }

    // Forgets what was added, for a picture that is given up.
    void abandon() { m_segments.clear(); }

    // Draws what was added; call before anything else is drawn over the lines.
    void flush();

    // Draws segments in the order given, after what was added before.
    void draw(const std::vector<SegmentKey> &segments);

private:
    // Segments of one colour that follow each other go to the painter together.
    class Batches;

    PanelCanvas &m_canvas;
    int m_penWidth;
    std::vector<QColor> m_colours;
    // Per colour, where the path's last segment of that colour ended.
    std::vector<std::uint64_t> m_ends;
    SegmentRecord m_segments;
};

} // namespace Demagora
