#pragma once

#include "diagrams/diagramscales.h"
#include "diagrams/lastoccurrence.h"

#include <QPointF>

#include <cstddef>
#include <cstdint>
#include <vector>

class QPainter;

namespace Demagora {

class PanelCanvas;

struct SymbolKey
{
    std::int32_t x, y;
    bool down;
    bool operator==(const SymbolKey &) const = default;
};

struct SymbolHash
{
    std::uint64_t operator()(const SymbolKey &k) const
    {
        return mixHash((std::uint64_t(std::uint32_t(k.x)) << 32) | std::uint32_t(k.y), k.down);
    }
};

// Every pixel of the panel has a place of its own for a symbol of either colour.
struct SymbolPlaces
{
    static constexpr std::size_t None = SIZE_MAX;
    // Centres at 0 to side - 1 either way have places.
    int side = 0;

    std::size_t size() const { return std::size_t(side) * std::size_t(side) * 2; }

    std::size_t index(const SymbolKey &k) const
    {
        if (std::uint32_t(k.x) >= std::uint32_t(side) || std::uint32_t(k.y) >= std::uint32_t(side))
            return None;
        return (std::size_t(k.y) * std::size_t(side) + std::size_t(k.x)) * 2 + (k.down ? 1 : 0);
    }

    SymbolKey key(std::size_t place) const
    {
        const std::size_t pixel = place / 2;
        return { static_cast<std::int32_t>(pixel % std::size_t(side)),
            static_cast<std::int32_t>(pixel / std::size_t(side)), place % 2 == 1 };
    }
};

using SymbolRecord = LastOccurrence<SymbolKey, SymbolHash, SymbolPlaces>;

// The symbols of one vector, recorded away from the painter.
struct SymbolRecorder
{
    SymbolRecord &symbols;

    void add(PixelPoint centre, bool down) { symbols.add({ centre.x, centre.y, down }); }
};

// Draws the symbols of one stereogram. A run of hundreds of steps puts many symbols on the
// same pixel. Between two labels only symbols of one size are drawn, so each pixel shows the
// last symbol that covers it; drawing only the last of every equal symbol (same place, same
// colour), in order, therefore gives the same picture at a fraction of the cost.
class SymbolPainter
{
public:
    // With places, every pixel of the panel has one (see SymbolPlaces): worth their memory
    // for many symbols.
    SymbolPainter(PanelCanvas &canvas, bool byFill, bool places = false);
    ~SymbolPainter();

    void add(PixelPoint centre, bool down) { m_symbols.add({ centre.x, centre.y, down }); }

    // Where symbols recorded elsewhere are added, as if added here.
    SymbolRecord &record() { return m_symbols; }

    // Forgets what was added, for a picture that is given up.
    void abandon() { m_symbols.clear(); }

    // Draws what was added; call before anything else is drawn over the symbols.
    void flush();

    // Draws symbols in the order given, after what was added before.
    void draw(const std::vector<SymbolKey> &symbols);

private:
    // Symbols going to the painter, within the panel.
    class Drawing;

    PanelCanvas &m_canvas;
    QPainter &m_painter;
    QPointF m_origin;
    bool m_byFill;
    SymbolRecord m_symbols;
};

} // namespace Demagora
