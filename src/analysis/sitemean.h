#pragma once

#include "analysis/fits.h"
#include "model/vector3.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Demagora {

// The mean of a site's specimens: the directions of line fits combined with the great circles
// of plane fits, each circle contributing its point closest to the mean.
struct SiteMean
{
    int lines = 0;
    int planes = 0;
    // Absent when the directions cancel out, and for a single great circle (a circle alone
    // holds every direction of itself equally).
    std::optional<AngularDirection> mean;
    double r = 0; // length of the sum of the unit vectors, the circles' points included
    // (2M + N - 2) / (2 (M + N - R)) for M lines and N circles: absent below two members or
    // when it is 0/0 (two circles alone); infinite when R = M + N.
    std::optional<double> k;
    // Semi-angle of the 95% cone, degrees, with M + N/2 members counted: absent where k is and
    // when M + N/2 is 1 or less or the cone would be wider than 90 degrees (no 95% cone
    // exists then); 0 when R = M + N.
    std::optional<double> alpha95;
    // Why the mean, k or alpha95 is absent, for the user; empty when all three are given.
    std::string note;
    // The closest points of the circles, in the order of the poles given.
    std::vector<Vector3> circlePoints;
};

// Combines line directions with great circles given by their poles. With lines alone this is
// the Fisher mean. Each circle's point is moved, one circle after the other, to the point
// closest to the mean of all the other members until no point moves; without lines the mean
// starts where the circles come closest to meeting, on the side the specimens' steps move
// towards along their circles (circleEnds, one per pole: Fit::towards); without those ends
// the lower hemisphere is taken. Throws AnalysisError for no member at all, for a zero
// vector and for ends not one per pole.
SiteMean siteMean(std::span<const Vector3> lines, std::span<const Vector3> planePoles,
    std::span<const Vector3> circleEnds = {});

// The semi-angle of the 95% cone of a line's direction from its MAD and number of steps,
// degrees: the MAD times the factor Khokhlov & Hulot (2016, Table 8) give for n steps, free
// (CMAD) or anchored (CaMAD, also used for a line with the origin), their large-n factor
// beyond 16 steps. Absent below 3 steps, for planes and for vector means (not a principal
// component line).
std::optional<double> alpha95FromMad(double madDegrees, int n, FitType type);

// The exact 95% cone for steps scattered about a line by isotropic noise of one variance at
// every step: tan(alpha95) = tan(MAD) sqrt(20^(2/v) - 1), with v the degrees of freedom left
// across the line (2(n - 2) for a free line, 2(n - 1) when anchored or with the origin).
// Under noise that grows with the moment it is too narrow. Absent when no freedom is left (a
// free line through two steps), for planes and for vector means.
std::optional<double> alpha95Isotropic(double madDegrees, int n, FitType type);

} // namespace Demagora
