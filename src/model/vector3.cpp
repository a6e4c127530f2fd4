#include "model/vector3.h"

#include "model/angles.h"

#include <algorithm>

namespace Demagora {

Vector3 unitVector(double declination, double inclination)
{
    const double d = declination * DegToRad;
    const double i = inclination * DegToRad;
    return { std::cos(i) * std::cos(d), std::cos(i) * std::sin(d), std::sin(i) };
}

Vector3 vectorFromDirection(double declination, double inclination, double length)
{
    const double d = declination * DegToRad;
    const double i = inclination * DegToRad;
    return { length * std::cos(i) * std::cos(d), length * std::cos(i) * std::sin(d),
        length * std::sin(i) };
}

// The measured moments' directions: radians turned into degrees by dividing by a degree's
// radians, the inclination from atan2, as the steps files have been written to their last digit.
double declinationOf(const Vector3 &v)
{
    if (v.x == 0 && v.y == 0)
        return 0;
    double degrees = std::atan2(v.y, v.x) / DegToRad;
    if (degrees < 0)
        degrees += 360;
    // atan2 of a tiny negative east part gives -0.0 + 360 = 360 after rounding.
    return degrees >= 360 ? 0 : degrees;
}

double inclinationOf(const Vector3 &v)
{
    const double horizontal = std::hypot(v.x, v.y);
    if (horizontal == 0 && v.z == 0)
        return 0;
    return std::atan2(v.z, horizontal) / DegToRad;
}

// The fits' and means' directions: multiplied by RadToDeg, the inclination from the arcsine, as
// the fits files have been written to their last digit.
AngularDirection directionOf(const Vector3 &v)
{
    const double length = norm(v);
    if (!(length > 0))
        return {};
    double declination = std::atan2(v.y, v.x) * RadToDeg;
    if (declination < 0)
        declination += 360;
    // atan2 of a tiny negative east part gives -0.0 + 360 = 360 after rounding.
    if (declination >= 360)
        declination -= 360;
    const double sine = std::clamp(v.z / length, -1.0, 1.0);
    return { declination, std::asin(sine) * RadToDeg };
}

double angleBetween(const Vector3 &a, const Vector3 &b)
{
    const double cosine = std::clamp(dot(a, b) / (norm(a) * norm(b)), -1.0, 1.0);
    return std::acos(cosine) * RadToDeg;
}

SymmetricEigen symmetricEigen(const Matrix3 &matrix)
{
    Matrix3 a = matrix;
    Matrix3 v = { { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } } };
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = std::fabs(a[0][1]) + std::fabs(a[0][2]) + std::fabs(a[1][2]);
        if (off == 0)
            break;
        for (int p = 0; p < 2; ++p) {
            for (int q = p + 1; q < 3; ++q) {
                // An element too small to change the diagonal is dropped, so the sweeps end.
                const double g = 100 * std::fabs(a[p][q]);
                if (std::fabs(a[p][p]) + g == std::fabs(a[p][p])
                    && std::fabs(a[q][q]) + g == std::fabs(a[q][q])) {
                    a[p][q] = 0;
                    a[q][p] = 0;
                    continue;
                }
                // The rotation that zeroes a[p][q], in the stable form with |t| <= 1.
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t
                    = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                for (int k = 0; k < 3; ++k) {
                    const double akp = a[k][p];
                    const double akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (int k = 0; k < 3; ++k) {
                    const double apk = a[p][k];
                    const double aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = v[k][p];
                    const double vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }

    std::array<int, 3> order = { 0, 1, 2 };
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) { return a[i][i] > a[j][j]; });
    SymmetricEigen result;
    for (int n = 0; n < 3; ++n) {
        const int column = order[n];
        result.values[n] = a[column][column];
        result.vectors[n] = { v[0][column], v[1][column], v[2][column] };
    }
    return result;
}

} // namespace Demagora
