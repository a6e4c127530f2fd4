#include "diagrams/rasterstamps.h"

#include <QPaintDevice>
#include <QPainter>
#include <QRegion>

#include <cmath>
#include <cstddef>
#include <deque>

namespace Demagora {

namespace {

// The stamps are found on a small image around this place.
constexpr int Centre = 16;
constexpr QRgb Background = 0xff000000;
constexpr QRgb PenMark = 0xffffffff;
constexpr QRgb BrushMark = 0xff808080;

} // namespace

std::unique_ptr<RasterStamps> RasterStamps::forPainter(QPainter &painter)
{
    QPaintDevice *device = painter.device();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto &image = *static_cast<QImage *>(device);
    const QImage::Format format = image.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
        && format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    if (painter.deviceTransform().type() != QTransform::TxNone
        || painter.testRenderHint(QPainter::Antialiasing)
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || painter.opacity() != 1.0)
        return nullptr;
    QRect clip = image.rect();
    if (painter.hasClipping()) {
        const QRegion region = painter.clipRegion();
        if (region.rectCount() != 1)
            return nullptr;
        clip &= *region.begin();
    }
    return std::unique_ptr<RasterStamps>(new RasterStamps(painter, image, clip));
}

RasterStamps::RasterStamps(QPainter &painter, QImage &image, QRect clip)
    : m_painter(painter)
    , m_image(image)
    , m_clip(clip)
    // The painter has the image to itself while it draws: this never copies it.
    , m_bits(image.bits())
    , m_bytesPerLine(image.bytesPerLine())
{ }

const RasterStamps::Stamp &RasterStamps::found(
    int shape, QPen pen, const std::function<void(QPainter &)> &draw)
{
    pen.setColor(QColor::fromRgb(PenMark));
    // Stamps depend on the pen's shape only, and painting threads keep theirs for every
    // picture they paint: a few pens and shapes in all. The list never shrinks, so the
    // references handed out stay valid (a deque never moves its elements).
    thread_local std::deque<Found> known;
    for (const Found &f : known) {
        if (f.shape == shape && f.pen == pen)
            return f.stamp;
    }
    QImage probe(2 * Centre, 2 * Centre, QImage::Format_RGB32);
    probe.fill(Background);
    {
        QPainter painter(&probe);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(pen);
        painter.setBrush(QColor::fromRgb(BrushMark));
        draw(painter);
    }
    Stamp stamp;
    for (int y = 0; y < probe.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(probe.constScanLine(y));
        for (int x = 0; x < probe.width(); ++x) {
            const QRgb pixel = line[x];
            const QPoint offset(x - Centre, y - Centre);
            if (pixel == PenMark)
                stamp.pen.push_back(offset);
            else if (pixel == BrushMark)
                stamp.brush.push_back(offset);
            else
                continue;
            stamp.bounds |= QRect(offset, QSize(1, 1));
        }
    }
    known.push_back({ pen, shape, std::move(stamp) });
    return known.back().stamp;
}

bool RasterStamps::fits(const Stamp &stamp, QPoint at) const
{
    return m_clip.contains(stamp.bounds.translated(at));
}

void RasterStamps::set(const Stamp &stamp, QPoint at, QRgb pen, QRgb brush)
{
    const auto pixel = [&](QPoint p) {
        return reinterpret_cast<QRgb *>(m_bits + std::ptrdiff_t(at.y() + p.y()) * m_bytesPerLine)
            + (at.x() + p.x());
    };
    for (const QPoint &p : stamp.brush)
        *pixel(p) = brush;
    for (const QPoint &p : stamp.pen)
        *pixel(p) = pen;
}

bool RasterStamps::line(int x, int y, int dx, int dy)
{
    return line(x, y, dx, dy, m_painter.pen());
}

bool RasterStamps::line(int x, int y, int dx, int dy, const QPen &pen)
{
    if (pen.style() != Qt::SolidLine || pen.color().alpha() != 255)
        return false;
    const Stamp &stamp = found((dy + 1) * 3 + (dx + 1), pen,
        [&](QPainter &p) { p.drawLine(Centre, Centre, Centre + dx, Centre + dy); });
    const QPoint at(x, y);
    if (!fits(stamp, at))
        return false;
    const QRgb colour = pen.color().rgba();
    set(stamp, at, colour, colour);
    return true;
}

bool RasterStamps::ellipse(int x, int y, int d)
{
    const QPen &pen = m_painter.pen();
    const QBrush &brush = m_painter.brush();
    if (pen.style() != Qt::SolidLine || pen.color().alpha() != 255
        || brush.style() != Qt::SolidPattern || brush.color().alpha() != 255)
        return false;
    const Stamp &stamp
        = found(16 + d, pen, [&](QPainter &p) { p.drawEllipse(QRectF(Centre, Centre, d, d)); });
    const QPoint at(x, y);
    if (!fits(stamp, at))
        return false;
    set(stamp, at, pen.color().rgba(), brush.color().rgba());
    return true;
}

} // namespace Demagora
