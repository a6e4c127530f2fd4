#pragma once

#include <QSize>
#include <QString>

namespace Demagora {

class DiagramRenderer;
struct DiagramViewState;

// Writes the diagram picture at the given size to a file: an SVG drawing when the name ends
// in .svg (any letter case), a PNG image otherwise. Returns an empty text on success, else
// the message for the user.
QString writeDiagramPicture(const QString &fileName, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size);

bool isSvgFileName(const QString &fileName);

} // namespace Demagora
