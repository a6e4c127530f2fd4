#pragma once

#include "diagrams/diagramrenderer.h"
#include "model/populations.h"
#include "model/run.h"
#include "support/componentfixtures.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <array>
#include <cstdlib>
#include <initializer_list>

namespace Demagora::Testing {

// The two components of the worked example: A Gauss, north, height 10, 100 to 200 degrees;
// B rectangular, east, height 5, 150 to 250 degrees. One resulting vector of 151 steps.
struct WorkedExample
{
    ComponentPopulations populations {
        { component(0, 0, 10, 100, 200, SpectrumShape::Gauss) },
        { component(90, 0, 5, 150, 250, SpectrumShape::Rectangular) },
    };
    ResultSeries series;
    std::int32_t runLowTemp = 100;
    std::int32_t stereoPointCount = 150;

    WorkedExample() { RunDemagnetization(150, 100, 250, series, populations); }
};

// A resulting vector built by hand: one step per (X, Y, Z).
inline ResultSeriesEntry path(std::initializer_list<std::array<double, 3>> steps)
{
    ResultSeriesEntry entry;
    double t = 0;
    for (const auto &xyz : steps) {
        TResultVectors r;
        r.Temperature = t++;
        r.X = xyz[0];
        r.Y = xyz[1];
        r.Z = xyz[2];
        entry.push_back(r);
    }
    return entry;
}

// How many pixels of the colour lie in the rectangle (inclusive), each of red, green and
// blue within `tolerance`: texts are smoothed, so only their cores have the exact colour.
inline int countColour(const QImage &image, const QRect &area, QColor colour, int tolerance = 0)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!image.valid(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance
                && std::abs(c.green() - colour.green()) <= tolerance
                && std::abs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

// Pixels of a text in the colour: clearly that colour, not the face colour around it.
inline int countText(const QImage &image, const QRect &area, QColor colour)
{
    return countColour(image, area, colour, 90);
}

// Whether the colour lies within `radius` pixels of the point: lines of width 2 and the
// toolkit's choice of end pixels may move a drawn point by one.
inline bool colourNear(const QImage &image, QPoint at, QColor colour, int radius = 1)
{
    return countColour(
               image, QRect(at - QPoint(radius, radius), at + QPoint(radius, radius)), colour)
        > 0;
}

// The window's face colour and the colours of the picture.
inline const QColor Face(240, 240, 240);
inline const QColor Black(0, 0, 0);
inline const QColor Blue(0, 0, 255);
inline const QColor Red(255, 0, 0);

// Panel origins in a 700-pixel-wide picture (panels of 320 pixels).
inline const QPoint Vectors(0, 24);
inline const QPoint Spectrum(320, 24);
inline const QPoint Stereo(0, 354);
inline const QPoint Start(320, 354);

// The picture the renderer paints in state at the given width, on the window's face colour.
inline QImage render(const DiagramRenderer &renderer, DiagramViewState state, int width = 700)
{
    state.faceColour = Face;
    QImage image(width, width + 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.paint(painter, QRectF(0, 0, width, width + 24), state);
    return image;
}

} // namespace Demagora::Testing
