#pragma once

#include <QColor>
#include <QLineF>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QPen;

namespace Demagora {

class RasterStamps;

// One square panel of the diagram picture: its own pixel coordinates over a shared painter.
// Lines are clipped to the panel geometrically, never by the painter's clip region, so that
// vector output keeps them; texts stay texts.
class PanelCanvas
{
public:
    PanelCanvas(QPainter &painter, QPointF origin, int boxSize, QColor faceColour);

    int size() const { return m_boxSize; }
    // Where the panel's pixel (0, 0) lies on the painter.
    QPointF origin() const { return m_origin; }
    QColor faceColour() const { return m_faceColour; }
    QPainter &painter() { return m_painter; }

    void setPen(QColor colour, int width, Qt::PenStyle style = Qt::SolidLine);
    // Both ends in panel pixels; a part outside the panel is cut off.
    void line(double x1, double y1, double x2, double y2);
    void lines(const std::vector<QLineF> &panelLines);
    // Text with its top-left corner at (x, y) in the given colour, on an opaque face-colour
    // background when opaque is set.
    void text(int x, int y, const QString &text, QColor colour, bool opaque = true);
    // Text without a background box but with a thin face-coloured rim, so that it stays
    // readable over lines and symbols while hiding almost nothing of them.
    void haloText(int x, int y, const QString &text, QColor colour);

    // The part of a line inside the panel [0, size] x [0, size], or empty when none.
    static std::optional<QLineF> clipped(const QLineF &line, double size);

    // From this many lines on, lines() sets the short ones as stamps (RasterStamps).
    static constexpr std::size_t StampsFrom = 64;

    // Stamps for this panel's painter; null where they would not give its pixels.
    std::unique_ptr<RasterStamps> stamps();
    // Sets a segment (in panel pixels) with the given pen as a stamp: one between whole
    // pixels, at most one pixel apart either way, that the panel's edge leaves whole. False,
    // drawing nothing, for any other.
    bool stampLine(RasterStamps &stamps, const QLineF &line, const QPen &pen);

    // While it lives, the painter draws only on the panel's pixels: texts and symbols near an
    // edge would otherwise reach into the next panel. A device that cannot clip (SVG output)
    // draws them whole.
    class Clip
    {
    public:
        explicit Clip(PanelCanvas &canvas);
        ~Clip();
        Clip(const Clip &) = delete;
        Clip &operator=(const Clip &) = delete;

    private:
        QPainter &m_painter;
    };

private:
    // A segment between whole pixels, at most one pixel apart either way, that the panel's
    // edge leaves whole (inside is its clipped part).
    static bool stampable(const QLineF &line, const QLineF &inside);

    QPainter &m_painter;
    QPointF m_origin;
    int m_boxSize;
    QColor m_faceColour;
};

} // namespace Demagora
