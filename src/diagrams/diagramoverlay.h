#pragma once

#include <optional>
#include <vector>

namespace Demagora {

// What an open analysis adds to the diagram window's picture: per member index the fitted
// part of its line (moments in the sample frame, x north, y east, z down), and the Fisher
// mean of the fitted directions with its 95% cone. For plane fits, per member index the pole
// of its fitted great circle instead of a line.
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

    struct Pole
    {
        double x = 0, y = 0, z = 0; // a unit vector
    };

    std::vector<std::optional<Line>> memberLines;
    std::vector<std::optional<Pole>> memberPoles;
    std::optional<Mean> mean;
};

} // namespace Demagora
