#include "analysis/fisher.h"

#include "analysis/analysiserror.h"
#include "model/angles.h"

#include <cmath>
#include <limits>
#include <vector>

namespace Demagora {

FisherStatistics fisherStatistics(std::span<const Vector3> vectors)
{
    if (vectors.empty())
        throw AnalysisError("there are no directions to average");
    Vector3 sum;
    for (const Vector3 &v : vectors) {
        const double length = norm(v);
        if (!(length > 0))
            throw AnalysisError("a zero vector has no direction to average");
        sum = sum + (1 / length) * v;
    }

    FisherStatistics statistics;
    const double n = static_cast<double>(vectors.size());
    statistics.n = static_cast<int>(vectors.size());
    statistics.r = norm(sum);
    const double r = statistics.r;
    if (r > 0)
        statistics.mean = directionOf(sum);
    if (statistics.n == 1)
        return statistics;

    // Rounding can leave R a hair above N for equal directions: that is R = N.
    if (r >= n) {
        statistics.k = std::numeric_limits<double>::infinity();
        statistics.alpha95 = 0;
        statistics.angularDeviation = 0;
        return statistics;
    }
    statistics.k = (n - 1) / (n - r);
    statistics.angularDeviation = 81 / std::sqrt(*statistics.k);
    if (r > 0) {
        const double cosine = 1 - ((n - r) / r) * (std::pow(20.0, 1 / (n - 1)) - 1);
        if (cosine >= -1)
            statistics.alpha95 = std::acos(cosine) * RadToDeg;
    }
    return statistics;
}

FisherStatistics fisherStatisticsOfAxes(std::span<const Vector3> axes)
{
    Matrix3 tensor {};
    for (const Vector3 &axis : axes) {
        const double length = norm(axis);
        if (!(length > 0))
            throw AnalysisError("a zero vector has no direction to average");
        const Vector3 u = (1 / length) * axis;
        const std::array<double, 3> c { u.x, u.y, u.z };
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 3; ++j)
                tensor[i][j] += c[i] * c[j];
        }
    }
    if (axes.empty())
        return fisherStatistics(axes);
    Vector3 principal = symmetricEigen(tensor).vectors[0];
    if (principal.z < 0)
        principal = -1.0 * principal;
    std::vector<Vector3> oriented;
    oriented.reserve(axes.size());
    for (const Vector3 &axis : axes)
        oriented.push_back(dot(axis, principal) < 0 ? -1.0 * axis : axis);
    return fisherStatistics(oriented);
}

} // namespace Demagora
