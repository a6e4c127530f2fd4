#include "analysis/sitemean.h"

#include "analysis/analysiserror.h"
#include "model/angles.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace Demagora {

namespace {

// A circle's point moves less than this (radians) on the last pass: converged.
constexpr double SettledPoint = 1e-13;
constexpr int MaximumPasses = 10000;

Vector3 unit(const Vector3 &v, const char *what)
{
    const double length = norm(v);
    if (!(length > 0))
        throw AnalysisError(std::string("a zero vector has no direction (") + what + ")");
    return (1 / length) * v;
}

Vector3 cross(const Vector3 &a, const Vector3 &b)
{
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}

// The point of the circle with this pole closest to the direction; 'fallback' when the
// direction is the pole itself and every point of the circle is equally close.
Vector3 closestPoint(const Vector3 &pole, const Vector3 &direction, const Vector3 &fallback)
{
    const Vector3 inPlane = direction - dot(direction, pole) * pole;
    const double length = norm(inPlane);
    return length > 1e-300 ? (1 / length) * inPlane : fallback;
}

// Where the circles come closest to meeting: the direction least far from every circle, on
// the side most of the circles' ends lie (the lower hemisphere without ends).
Vector3 circlesMeeting(std::span<const Vector3> poles, std::span<const Vector3> ends)
{
    Matrix3 tensor {};
    for (const Vector3 &p : poles) {
        const double c[3] = { p.x, p.y, p.z };
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                tensor[i][j] += c[i] * c[j];
        }
    }
    Vector3 meeting = symmetricEigen(tensor).vectors[2];
    double side = 0;
    for (const Vector3 &end : ends)
        side += dot(meeting, end) > 0 ? 1 : -1;
    if (side < 0 || (side == 0 && meeting.z < 0))
        meeting = -1.0 * meeting;
    return meeting;
}

} // namespace

SiteMean siteMean(std::span<const Vector3> lines, std::span<const Vector3> planePoles,
    std::span<const Vector3> circleEnds)
{
    if (lines.empty() && planePoles.empty())
        throw AnalysisError("there are no directions to average");
    if (!circleEnds.empty() && circleEnds.size() != planePoles.size())
        throw AnalysisError("the circles' ends are not one per circle");
    SiteMean result;
    result.lines = static_cast<int>(lines.size());
    result.planes = static_cast<int>(planePoles.size());

    Vector3 sum;
    for (const Vector3 &line : lines)
        sum = sum + unit(line, "a line");
    std::vector<Vector3> poles;
    poles.reserve(planePoles.size());
    for (const Vector3 &pole : planePoles)
        poles.push_back(unit(pole, "a plane's pole"));

    if (!poles.empty()) {
        const Vector3 start = norm(sum) > 0 ? sum : circlesMeeting(poles, circleEnds);
        std::vector<Vector3> &points = result.circlePoints;
        for (const Vector3 &pole : poles) {
            const Vector3 anyPoint = unit(
                cross(pole, std::abs(pole.z) < 0.9 ? Vector3 { 0, 0, 1 } : Vector3 { 1, 0, 0 }),
                "a plane's pole");
            points.push_back(closestPoint(pole, start, anyPoint));
            sum = sum + points.back();
        }
        for (int pass = 0; pass < MaximumPasses; ++pass) {
            double largestMove = 0;
            for (std::size_t i = 0; i < poles.size(); ++i) {
                const Vector3 others = sum - points[i];
                const Vector3 moved = closestPoint(poles[i], others, points[i]);
                largestMove = std::max(largestMove, norm(moved - points[i]));
                sum = others + moved;
                points[i] = moved;
            }
            if (largestMove < SettledPoint)
                break;
        }
    }

    const double m = result.lines;
    const double n = result.planes;
    result.r = norm(sum);
    const double r = result.r;
    if (m == 0 && n == 1) {
        result.note = "a single great circle has no mean direction";
        return result;
    }
    if (r > 0)
        result.mean = directionOf(sum);
    else
        result.note = "the directions cancel out";
    const double members = m + n;
    if (members < 2) {
        result.note = "one line has no k nor cone";
        return result;
    }
    const double effective = m + n / 2;
    if (2 * m + n - 2 <= 0) {
        result.note = "two great circles alone give no k nor cone";
        return result;
    }
    if (r >= members) {
        // Rounding can leave R a hair above M + N for equal directions: that is R = M + N.
        result.k = std::numeric_limits<double>::infinity();
        result.alpha95 = 0;
        return result;
    }
    result.k = (2 * m + n - 2) / (2 * (members - r));
    if (effective > 1 && r > 0 && *result.k > 0) {
        const double cosine
            = 1 - (effective - 1) / (*result.k * r) * (std::pow(20.0, 1 / (effective - 1)) - 1);
        if (cosine >= 0)
            result.alpha95 = std::acos(cosine) * RadToDeg;
        else
            result.note = "the directions are too scattered for a 95% cone (wider than 90 degrees)";
    }
    return result;
}

std::optional<double> alpha95FromMad(double madDegrees, int n, FitType type)
{
    // Khokhlov & Hulot (2016), Table 8: alpha95 / MAD for 3 to 16 steps, then for many steps.
    static constexpr std::array<double, 14> Free
        = { 7.69, 3.90, 3.18, 2.88, 2.71, 2.63, 2.57, 2.54, 2.51, 2.48, 2.46, 2.44, 2.43, 2.43 };
    static constexpr std::array<double, 14> Anchored
        = { 6.00, 5.00, 4.63, 4.43, 4.31, 4.24, 4.18, 4.14, 4.12, 4.11, 4.08, 4.08, 4.06, 4.05 };
    constexpr double FreeManySteps = 2.37;
    constexpr double AnchoredManySteps = 3.99;
    if (type == FitType::Plane || type == FitType::VectorMean || n < 3)
        return std::nullopt;
    const bool free = type == FitType::Free;
    const std::size_t row = static_cast<std::size_t>(n - 3);
    const double factor = row < Free.size() ? (free ? Free : Anchored)[row]
                                            : (free ? FreeManySteps : AnchoredManySteps);
    return factor * madDegrees;
}

std::optional<double> alpha95Isotropic(double madDegrees, int n, FitType type)
{
    if (type == FitType::Plane || type == FitType::VectorMean)
        return std::nullopt;
    const int freedom = type == FitType::Free ? 2 * (n - 2) : 2 * (n - 1);
    if (freedom <= 0)
        return std::nullopt;
    const double factor = std::sqrt(std::pow(20.0, 2.0 / freedom) - 1);
    return std::atan(std::tan(madDegrees * DegToRad) * factor) * RadToDeg;
}

} // namespace Demagora
