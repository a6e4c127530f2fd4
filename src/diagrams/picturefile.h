#pragma once

#include "diagrams/picturelimits.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <ostream>
#include <string>

namespace Demagora {

class DiagramRenderer;
struct DiagramViewState;

// The message refusing an SVG drawing of the picture in this state, or an empty text.
std::string svgRefusal(const DiagramRenderer &renderer, const DiagramViewState &state);

// Encodes the diagram picture at the given size onto a stream: an SVG drawing when svg is
// true, a PNG image otherwise. Throws std::runtime_error when the image cannot be encoded;
// a failed stream shows in the stream's state.
void writeDiagramPicture(std::ostream &stream, bool svg, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size);

// Saves the picture to a file through the program's output layer, SVG for a name ending in
// .svg (any letter case). Returns an empty text on success, else the message for the user.
QString saveDiagramPicture(const QString &fileName, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size);

bool isSvgFileName(const QString &fileName);

} // namespace Demagora
