#pragma once

#include "model/vector3.h"

#include <optional>
#include <span>

namespace Demagora {

// Fisher statistics of a set of directions.
struct FisherStatistics
{
    int n = 0;
    double r = 0; // length of the sum of the unit vectors
    // Absent when the directions cancel out (R = 0).
    std::optional<AngularDirection> mean;
    // Precision (N - 1)/(N - R): absent for N = 1, infinite when R = N (all directions equal).
    std::optional<double> k;
    // Semi-angle of the 95% cone of confidence, degrees: absent for N = 1 and when the
    // directions are too scattered for a cone (its cosine would fall below -1); 0 when R = N.
    std::optional<double> alpha95;
    // 81 / sqrt(k), degrees: absent with k, 0 when k is infinite.
    std::optional<double> angularDeviation;
};

// The statistics of the directions of the vectors. Throws AnalysisError for an empty set and
// for a zero vector, which has no direction.
FisherStatistics fisherStatistics(std::span<const Vector3> vectors);

// The statistics of axes, such as the poles of planes, whose sign carries no meaning: each
// axis is first turned to the side of the principal axis of the set (the leading eigenvector
// of the orientation tensor, itself taken in the lower hemisphere), then the axes are
// averaged as directions. Throws as fisherStatistics does.
FisherStatistics fisherStatisticsOfAxes(std::span<const Vector3> axes);

} // namespace Demagora
