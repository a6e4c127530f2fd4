#pragma once

#include "diagrams/picturelimits.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class QPainter;

namespace Demagora {

class DiagramRenderer;
struct DiagramViewState;

// A PNG image, or one of the two drawings that keep lines and texts: SVG and PDF.
enum class PictureFormat { Png, Svg, Pdf };

// SVG for a name ending in .svg, PDF for .pdf (any letter case), PNG for any other.
PictureFormat pictureFormatFor(const QString &fileName);

// The message refusing a drawing (SVG or PDF) of the picture in this state, or an empty text.
std::string drawingRefusal(
    const DiagramRenderer &renderer, const DiagramViewState &state, PictureFormat format);

// Paints a whole picture into the target rectangle of a painter.
using PicturePainter = std::function<void(QPainter &painter, const QRectF &target)>;

// Encodes the picture paint draws at the given size onto a stream in the format; a PDF page
// has the picture's size, one point per pixel. Throws std::runtime_error when the picture
// cannot be encoded; a failed stream shows in the stream's state.
void writePicture(
    std::ostream &stream, PictureFormat format, QSize size, const PicturePainter &paint);

// Encodes the diagram picture at the given size onto a stream in the format; a PDF page has
// the picture's size, one point per pixel. Throws std::runtime_error when the picture cannot
// be encoded; a failed stream shows in the stream's state.
void writeDiagramPicture(std::ostream &stream, PictureFormat format,
    const DiagramRenderer &renderer, const DiagramViewState &state, QSize size);

// Saves the picture to a file through the program's output layer, in the format its name
// asks for. Returns an empty text on success, else the message for the user. The picture never
// replaces one of protectedInputs (the open scenario).
QString saveDiagramPicture(const QString &fileName, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size,
    const std::vector<std::string> &protectedInputs = {});

} // namespace Demagora
