#pragma once

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace Demagora {

// Sets the pixels of the small shapes a long run repeats (a 2-pixel segment to a neighbouring
// pixel, a symbol of a few pixels) straight into the image a painter draws on. The pixels a
// shape covers are found once by letting a painter draw it; shapes with whole-pixel ends are
// the same at every whole-pixel place, so setting those pixels elsewhere gives exactly what the
// painter would have drawn there, at a small part of its cost. Only for a painter whose
// drawing that reproduces: onto an image of 32-bit pixels, without transformation,
// antialiasing or transparency, and clipped, if at all, to one rectangle that stays while the
// stamps are used.
class RasterStamps
{
public:
    // Null when the painter draws in a way the stamps would not reproduce.
    static std::unique_ptr<RasterStamps> forPainter(QPainter &painter);

    // The segment from (x, y) to (x + dx, y + dy) in device pixels, with dx and dy from -1 to
    // 1, drawn with the painter's solid pen. False, drawing nothing, when a pixel would fall
    // outside the image: the painter draws that one.
    bool line(int x, int y, int dx, int dy);
    // The same with the given solid pen instead of the painter's, which stays as it is.
    bool line(int x, int y, int dx, int dy, const QPen &pen);

    // The ellipse in the square of side d at (x, y) in device pixels, drawn with the
    // painter's pen and solid brush. False, drawing nothing, when a pixel would fall outside
    // the image or the painter's clip.
    bool ellipse(int x, int y, int d);

private:
    RasterStamps(QPainter &painter, QImage &image, QRect clip);

    // Pixels a shape covers, relative to its place: those of the pen and those of the brush
    // alone.
    struct Stamp
    {
        std::vector<QPoint> pen;
        std::vector<QPoint> brush;
        QRect bounds;
    };
    const Stamp &lineStamp(int dx, int dy);
    const Stamp &ellipseStamp(int d);
    bool fits(const Stamp &stamp, QPoint at) const;
    void set(const Stamp &stamp, QPoint at, QRgb pen, QRgb brush);

    // A stamp as found for one shape and pen (its colour aside).
    struct Found
    {
        QPen pen;
        int shape;
        Stamp stamp;
    };
    const Stamp &found(int shape, QPen pen, const std::function<void(QPainter &)> &draw);

    QPainter &m_painter;
    QImage &m_image;
    // The pixels the painter may draw on: the image, within the clip rectangle if any, as it
    // was when the stamps were made for the painter.
    QRect m_clip;
    uchar *m_bits;
    qsizetype m_bytesPerLine;
};

} // namespace Demagora
