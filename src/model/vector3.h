#pragma once

#include <array>
#include <cmath>

namespace Demagora {

// The one vector of the program: a moment or a direction in a specimen's frame, x north, y east,
// z down once oriented (x, y, z of the specimen before).
struct Vector3
{
    double x = 0;
    double y = 0;
    double z = 0;

    bool operator==(const Vector3 &) const = default;
};

inline Vector3 operator+(const Vector3 &a, const Vector3 &b)
{
    return { a.x + b.x, a.y + b.y, a.z + b.z };
}

inline Vector3 operator-(const Vector3 &a, const Vector3 &b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}

inline Vector3 operator*(double s, const Vector3 &v)
{
    return { s * v.x, s * v.y, s * v.z };
}

inline double dot(const Vector3 &a, const Vector3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline double norm(const Vector3 &v)
{
    return std::sqrt(dot(v, v));
}

// A direction in degrees: declination in [0, 360), inclination in [-90, 90].
struct AngularDirection
{
    double declination = 0;
    double inclination = 0;
};

// The unit vector of a direction given in degrees.
Vector3 unitVector(double declination, double inclination);
// The vector of the given length pointing at declination, inclination (degrees).
Vector3 vectorFromDirection(double declination, double inclination, double length);

// Declination in [0, 360) and inclination in [-90, 90], degrees; both 0 for a zero vector.
// Two computations that agree to about 1e-13 degrees, kept apart so that every file written
// before stays the same to its last digit: declinationOf and inclinationOf (measured moments:
// the steps files, the readers' conversions, the tables) take the inclination from atan2 of
// the vertical and horizontal parts; directionOf (fits, means, unmixing and simulated
// measurements) from the arcsine of the vertical part over the length.
double declinationOf(const Vector3 &v);
double inclinationOf(const Vector3 &v);
AngularDirection directionOf(const Vector3 &v);

// The angle between two vectors that are not zero, degrees in [0, 180]. Rounding that takes
// the cosine past 1 is clamped, so equal directions give 0 and never NaN.
double angleBetween(const Vector3 &a, const Vector3 &b);

// A symmetric 3x3 matrix, row by row.
using Matrix3 = std::array<std::array<double, 3>, 3>;

// The eigenvalues of a symmetric matrix in decreasing order with their unit eigenvectors.
struct SymmetricEigen
{
    std::array<double, 3> values {};
    std::array<Vector3, 3> vectors {};
};

// Cyclic Jacobi rotations until the off-diagonal part vanishes against the diagonal.
SymmetricEigen symmetricEigen(const Matrix3 &matrix);

} // namespace Demagora
