#include "diagrams/orderedlines.h"

#include "diagrams/panelcanvas.h"
#include "diagrams/rasterstamps.h"

#include <QPen>

#include <memory>
#include <optional>
#include <utility>

namespace Demagora {

// Segments of one colour that follow each other go to the painter together; where the
// painter allows, the short ones are set as stamps right away (the order among segments
// of one colour does not matter).
class OrderedLines::Batches
{
public:
    explicit Batches(OrderedLines &lines)
        : m_lines(lines)
        , m_stamps(lines.m_canvas.stamps())
    { }
    ~Batches() { draw(); }

    void add(const SegmentKey &k)
    {
        if (k.colour != m_colour) {
            draw();
            m_colour = k.colour;
        }
        const QLineF segment(k.x1, k.y1, k.x2, k.y2);
        if (m_stamps && m_lines.m_canvas.stampLine(*m_stamps, segment, pen()))
            return;
        m_batch.push_back(segment);
    }

private:
    const QPen &pen()
    {
        if (!m_pen || m_pen->first != m_colour) {
            QPen pen(m_lines.m_colours[m_colour], m_lines.m_penWidth);
            pen.setCapStyle(Qt::SquareCap);
            m_pen.emplace(m_colour, pen);
        }
        return m_pen->second;
    }

    void draw()
    {
        if (m_batch.empty())
            return;
        m_lines.m_canvas.setPen(m_lines.m_colours[m_colour], m_lines.m_penWidth);
        m_lines.m_canvas.lines(m_batch);
        m_batch.clear();
    }

    OrderedLines &m_lines;
    const std::unique_ptr<RasterStamps> m_stamps;
    std::uint32_t m_colour = 0;
    std::optional<std::pair<std::uint32_t, QPen>> m_pen;
    std::vector<QLineF> m_batch;
};

OrderedLines::OrderedLines(PanelCanvas &canvas, int penWidth, SegmentPlaces places)
    : m_canvas(canvas)
    , m_penWidth(penWidth)
    , m_segments(places)
{ }

OrderedLines::~OrderedLines()
{
    flush();
}

void OrderedLines::flush()
{
    Batches batches(*this);
    m_segments.drain([&](const SegmentKey &k) { batches.add(k); });
}

void OrderedLines::draw(const std::vector<SegmentKey> &segments)
{
    flush();
    Batches batches(*this);
    for (const SegmentKey &k : segments)
        batches.add(k);
}

} // namespace Demagora
