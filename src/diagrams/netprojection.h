#pragma once

#include "diagrams/diagramoptions.h"
#include "diagrams/diagramscales.h"

#include <optional>

namespace Demagora {

// Where directions stand on the stereograms, as pure functions of the panel size and the
// drawing options: the net linear in inclination, or the equal-area (Schmidt) net of the lower
// hemisphere. Both have north up and east to the right; upward directions are folded onto the
// same net.

// The margin left inside the nets and the vector diagram when the edge room option is on:
// enough for a symbol and the first letters of a word on the outer circle.
int edgeMargin(int boxSize);
int edgeMargin(int boxSize, const DiagramOptions &options);

struct NetGeometry
{
    NetKind kind = NetKind::InclinationLinear;
    int boxSize = 0;
    int margin = 0; // pixels between the panel edge and the outer circle

    int centre() const { return boxSize / 2; }
    double radius() const { return boxSize / 2.0 - margin; }
};
NetGeometry netGeometry(int boxSize, const DiagramOptions &options);

// A point of the equal-area net of radius 1: east to the right, north up.
struct NetPoint
{
    double east = 0;
    double north = 0;
};
// The equal-area point of a direction given by its north and east parts (of any common
// magnitude) and its inclination in degrees: at distance sqrt(1 - |sin I|) from the centre
// along the declination; a vertical direction stands at the centre.
NetPoint equalAreaPoint(double north, double east, double inclination);

// Centre of the symbol of a direction on the net, as stereoPosition gives it for the net
// linear in inclination. north and east are parts of a vector of magnitude norm. Empty where
// the projection has nothing to place: a zero norm, or values that are not finite.
std::optional<PixelPoint> netPosition(
    const NetGeometry &net, double north, double east, double inclination, double norm);

// The inset from the panel edge of the circle for inclination 10 * i degrees of the net
// linear in inclination.
int netCircleInset(const NetGeometry &net, int i);

} // namespace Demagora
