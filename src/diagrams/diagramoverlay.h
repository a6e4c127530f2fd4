#pragma once

#include <optional>
#include <vector>

namespace Demagora {

// What an open analysis adds to the diagram window's picture: per member index the fitted
// part of its line (moments in the sample frame, x north, y east, z down), and the Fisher
// mean of the fitted directions with its 95% cone.
struct DiagramOverlay
{
    struct Line
    {
        double startX = 0, startY = 0, startZ = 0;
        double endX = 0, endY = 0, endZ = 0;
    };
    struct Mean
    {
        double declination = 0; // degrees
        double inclination = 0; // degrees
        std::optional<double> alpha95; // degrees
    };

    std::vector<std::optional<Line>> memberLines;
    std::optional<Mean> mean;
};

} // namespace Demagora
