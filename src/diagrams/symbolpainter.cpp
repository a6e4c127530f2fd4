#include "diagrams/symbolpainter.h"

#include "diagrams/panelcanvas.h"
#include "diagrams/rasterstamps.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

} // namespace

// Symbols going to the painter, within the panel, set as stamps where the painter allows.
class SymbolPainter::Drawing
{
public:
    explicit Drawing(SymbolPainter &symbols)
        : m_symbols(symbols)
        , m_clip(symbols.m_canvas)
        , m_stamps(
              wholeOrigin(symbols.m_origin) ? RasterStamps::forPainter(symbols.m_painter) : nullptr)
        // Open and filled symbols are a little larger, so that an open one reads as a
        // ring.
        , m_radius(symbols.m_byFill ? 3 : 2)
    { }

    void draw(const SymbolKey &symbol)
    {
        QPainter &painter = m_symbols.m_painter;
        if (m_down != symbol.down) {
            if (m_symbols.m_byFill) {
                painter.setPen(Black);
                painter.setBrush(symbol.down ? Black : m_symbols.m_canvas.faceColour());
            } else {
                const QColor colour = symbol.down ? Red : Green;
                painter.setPen(colour);
                painter.setBrush(colour);
            }
            m_down = symbol.down;
        }
        const int r = m_radius;
        const QRectF box(m_symbols.m_origin.x() + symbol.x - r,
            m_symbols.m_origin.y() + symbol.y - r, 2 * r, 2 * r);
        if (!m_stamps
            || !m_stamps->ellipse(static_cast<int>(box.x()), static_cast<int>(box.y()), 2 * r))
            painter.drawEllipse(box);
    }

private:
    static bool wholeOrigin(QPointF origin)
    {
        return origin.x() == std::floor(origin.x()) && origin.y() == std::floor(origin.y());
    }

    SymbolPainter &m_symbols;
    const PanelCanvas::Clip m_clip;
    const std::unique_ptr<RasterStamps> m_stamps;
    const int m_radius;
    std::optional<bool> m_down;
};

SymbolPainter::SymbolPainter(PanelCanvas &canvas, bool byFill, bool places)
    : m_canvas(canvas)
    , m_painter(canvas.painter())
    , m_origin(canvas.origin())
    , m_byFill(byFill)
    , m_symbols(SymbolPlaces { places ? std::min(canvas.size(), 2000) + 1 : 0 })
{ }

SymbolPainter::~SymbolPainter()
{
    flush();
}

void SymbolPainter::flush()
{
    if (m_symbols.empty())
        return;
    Drawing drawing(*this);
    m_symbols.drain([&](const SymbolKey &symbol) { drawing.draw(symbol); });
}

void SymbolPainter::draw(const std::vector<SymbolKey> &symbols)
{
    flush();
    if (symbols.empty())
        return;
    Drawing drawing(*this);
    for (const SymbolKey &symbol : symbols)
        drawing.draw(symbol);
}

} // namespace Demagora
