#pragma once

#include "analysis/fits.h"
#include "analysis/vector3.h"

#include <optional>
#include <span>
#include <vector>

namespace Demagora {

// The mean of a site's specimens: the directions of line fits combined with the great circles
// of plane fits, each circle contributing its point closest to the mean.
struct SiteMean
{
    int lines = 0;
    int planes = 0;
    // Absent when the directions cancel out.
    std::optional<AngularDirection> mean;
    double r = 0; // length of the sum of the unit vectors, the circles' points included
    // (2M + N - 2) / (2 (M + N - R)) for M lines and N circles: absent below two members or
    // when it is 0/0 (two circles alone); infinite when R = M + N.
    std::optional<double> k;
    // Semi-angle of the 95% cone, degrees, with M + N/2 members counted: absent where k is and
    // when M + N/2 is 1 or less or the cone would be wider than the sphere; 0 when R = M + N.
    std::optional<double> alpha95;
    // The closest points of the circles, in the order of the poles given.
    std::vector<Vector3> circlePoints;
};

// Combines line directions with great circles given by their poles. With lines alone this is
// the Fisher mean. Each circle's point is moved, one circle after the other, to the point
// closest to the mean of all the other members until no point moves; without lines the mean
// starts where the circles come closest to meeting. Throws AnalysisError for no member at all
// and for a zero vector.
SiteMean siteMean(std::span<const Vector3> lines, std::span<const Vector3> planePoles);

// The semi-angle of the 95% cone of a line's direction estimated from its MAD and the number
// of steps, degrees: tan(alpha95) = tan(MAD) sqrt(20^(2/v) - 1), with v the degrees of freedom
// left across the line (2(n - 2) for a free line, 2(n - 1) when anchored or with the origin).
// Absent when none are left (a free line through two steps) and for planes.
std::optional<double> alpha95FromMad(double madDegrees, int n, FitType type);

} // namespace Demagora
