#include "diagrams/panelcanvas.h"

#include "diagrams/rasterstamps.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <memory>

namespace Demagora {

PanelCanvas::PanelCanvas(QPainter &painter, QPointF origin, int boxSize, QColor faceColour)
    : m_painter(painter)
    , m_origin(origin)
    , m_boxSize(boxSize)
    , m_faceColour(faceColour)
{ }

void PanelCanvas::setPen(QColor colour, int width, Qt::PenStyle style)
{
    QPen pen(colour, width, style);
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
}

void PanelCanvas::line(double x1, double y1, double x2, double y2)
{
    if (const std::optional<QLineF> inside = clipped(QLineF(x1, y1, x2, y2), m_boxSize))
        m_painter.drawLine(inside->translated(m_origin));
}

void PanelCanvas::lines(const std::vector<QLineF> &panelLines)
{
    // Many short segments are set as stamps where the painter allows it.
    const std::unique_ptr<RasterStamps> stamps
        = panelLines.size() >= StampsFrom ? this->stamps() : nullptr;
    std::vector<QLineF> inside;
    inside.reserve(panelLines.size());
    for (const QLineF &l : panelLines) {
        const std::optional<QLineF> part = clipped(l, m_boxSize);
        if (!part)
            continue;
        if (stamps && stampable(l, *part) && stampLine(*stamps, l, m_painter.pen()))
            continue;
        inside.push_back(part->translated(m_origin));
    }
    if (!inside.empty())
        m_painter.drawLines(inside.data(), static_cast<int>(inside.size()));
}

std::unique_ptr<RasterStamps> PanelCanvas::stamps()
{
    const bool wholeOrigin
        = m_origin.x() == std::floor(m_origin.x()) && m_origin.y() == std::floor(m_origin.y());
    return wholeOrigin ? RasterStamps::forPainter(m_painter) : nullptr;
}

bool PanelCanvas::stampLine(RasterStamps &stamps, const QLineF &line, const QPen &pen)
{
    const std::optional<QLineF> part = clipped(line, m_boxSize);
    if (!part || !stampable(line, *part))
        return false;
    return stamps.line(static_cast<int>(line.x1() + m_origin.x()),
        static_cast<int>(line.y1() + m_origin.y()), static_cast<int>(line.dx()),
        static_cast<int>(line.dy()), pen);
}

bool PanelCanvas::stampable(const QLineF &line, const QLineF &inside)
{
    const auto whole = [](double v) { return v == std::floor(v); };
    return line.x1() == inside.x1() && line.y1() == inside.y1() && line.x2() == inside.x2()
        && line.y2() == inside.y2() && whole(line.x1()) && whole(line.y1()) && whole(line.x2())
        && whole(line.y2()) && std::fabs(line.dx()) <= 1 && std::fabs(line.dy()) <= 1;
}

void PanelCanvas::text(int x, int y, const QString &text, QColor colour, bool opaque)
{
    const Clip clip(*this);
    const QFontMetrics metrics(m_painter.font());
    const QRectF box(
        m_origin + QPointF(x, y), QSizeF(metrics.horizontalAdvance(text), metrics.height()));
    if (opaque)
        m_painter.fillRect(box, m_faceColour);
    m_painter.setPen(colour);
    m_painter.drawText(box.topLeft() + QPointF(0, metrics.ascent()), text);
}

void PanelCanvas::haloText(int x, int y, const QString &text, QColor colour)
{
    const Clip clip(*this);
    const QFontMetrics metrics(m_painter.font());
    const QPointF baseline = m_origin + QPointF(x, y + metrics.ascent());
    // The rim is the text itself drawn one pixel aside in every direction: texts stay texts
    // in vector output.
    m_painter.setPen(m_faceColour);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0)
                m_painter.drawText(baseline + QPointF(dx, dy), text);
        }
    }
    m_painter.setPen(colour);
    m_painter.drawText(baseline, text);
}

PanelCanvas::Clip::Clip(PanelCanvas &canvas)
    : m_painter(canvas.m_painter)
{
    m_painter.save();
    m_painter.setClipRect(
        QRectF(canvas.m_origin, QSizeF(canvas.m_boxSize, canvas.m_boxSize)), Qt::IntersectClip);
}

PanelCanvas::Clip::~Clip()
{
    m_painter.restore();
}

std::optional<QLineF> PanelCanvas::clipped(const QLineF &line, double size)
{
    // Liang-Barsky against the square [0, size] x [0, size].
    const double dx = line.dx();
    const double dy = line.dy();
    double t0 = 0;
    double t1 = 1;
    const double p[4] = { -dx, dx, -dy, dy };
    const double q[4] = { line.x1(), size - line.x1(), line.y1(), size - line.y1() };
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            if (r > t1)
                return std::nullopt;
            if (r > t0)
                t0 = r;
        } else {
            if (r < t0)
                return std::nullopt;
            if (r < t1)
                t1 = r;
        }
    }
    return QLineF(
        line.x1() + t0 * dx, line.y1() + t0 * dy, line.x1() + t1 * dx, line.y1() + t1 * dy);
}

} // namespace Demagora
