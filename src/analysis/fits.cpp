#include "analysis/fits.h"

#include "analysis/analysiserror.h"
#include "model/angles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace Demagora {

namespace {

constexpr std::array<std::string_view, 5> FitTypeNames
    = { "free", "anchored", "origin", "plane", "mean" };

// A spread of the points below this share of their squared size is rounding, not a line.
constexpr double NegligibleSpread = 1e-24;
// The eigen-decomposition leaves about 1e-16 of the largest eigenvalue in the others; a
// second eigenvalue below this share means directions along one line (within 1e-6 radians).
constexpr double NegligiblePlaneSpread = 1e-12;

std::string temperatureText(double temperature)
{
    std::string text = std::to_string(temperature);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.ends_with('.'))
        text.pop_back();
    return text;
}

void addOuterProduct(Matrix3 &tensor, const Vector3 &v)
{
    const std::array<double, 3> c = { v.x, v.y, v.z };
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            tensor[i][j] += c[i] * c[j];
    }
}

Vector3 meanPoint(std::span<const Vector3> points)
{
    Vector3 sum;
    for (const Vector3 &p : points)
        sum = sum + p;
    return (1.0 / static_cast<double>(points.size())) * sum;
}

void checkCount(std::span<const FitStep> steps, FitType type)
{
    const int count = static_cast<int>(steps.size());
    if (count < minimumSteps(type)) {
        throw AnalysisError(std::string(type == FitType::Plane ? "a plane" : "a line")
            + " needs at least " + std::to_string(minimumSteps(type))
            + " steps; the interval holds " + std::to_string(count));
    }
}

Fit fitLine(std::span<const FitStep> steps, FitType type)
{
    std::vector<Vector3> points;
    points.reserve(steps.size() + 1);
    double squaredSize = 0;
    for (const FitStep &step : steps) {
        points.push_back(step.moment);
        squaredSize += dot(step.moment, step.moment);
    }
    const Vector3 dataMean = meanPoint(points);
    if (type == FitType::Origin)
        points.push_back(Vector3 {});
    const bool throughOrigin = type == FitType::Anchored || type == FitType::VectorMean;
    const Vector3 centre = throughOrigin ? Vector3 {} : meanPoint(points);

    Matrix3 tensor {};
    for (const Vector3 &p : points)
        addOuterProduct(tensor, p - centre);
    const SymmetricEigen eigen = symmetricEigen(tensor);
    const double l1 = eigen.values[0];
    if (!(l1 > NegligibleSpread * squaredSize)) {
        throw AnalysisError(throughOrigin && squaredSize == 0
                ? "the steps have no moment left; no line can be fitted"
                : "the steps all lie at one point; no line can be fitted");
    }

    Fit fit;
    fit.type = type;
    fit.n = static_cast<int>(steps.size());
    fit.direction = eigen.vectors[0];
    if (type == FitType::VectorMean) {
        if (!(norm(dataMean) > 0))
            throw AnalysisError("the steps' vectors cancel out; their mean has no direction");
        fit.direction = (1 / norm(dataMean)) * dataMean;
    }
    // The removed component points from the later steps back to the earlier ones; where the
    // first and last step coincide along the line, towards the mean point.
    double sense = dot(fit.direction, steps.front().moment - steps.back().moment);
    if (sense == 0)
        sense = dot(fit.direction, dataMean);
    if (sense < 0 && type != FitType::VectorMean)
        fit.direction = -1.0 * fit.direction;
    fit.angles = directionOf(fit.direction);
    const double rest = std::max(0.0, eigen.values[1]) + std::max(0.0, eigen.values[2]);
    fit.mad = std::atan(std::sqrt(rest / l1)) * RadToDeg;
    if (norm(dataMean) > 0)
        fit.dang = angleBetween(fit.direction, dataMean);
    const auto project
        = [&](const Vector3 &p) { return centre + dot(p - centre, fit.direction) * fit.direction; };
    fit.segmentStart = project(steps.front().moment);
    fit.segmentEnd = project(steps.back().moment);
    fit.towards = fit.direction;
    return fit;
}

Fit fitPlane(std::span<const FitStep> steps)
{
    Matrix3 tensor {};
    for (const FitStep &step : steps) {
        const double length = norm(step.moment);
        if (!(length > 0)) {
            throw AnalysisError("the step at " + temperatureText(step.temperature)
                + " degrees has no moment left and so no direction; no plane can be fitted");
        }
        addOuterProduct(tensor, (1 / length) * step.moment);
    }
    const SymmetricEigen eigen = symmetricEigen(tensor);
    const double l1 = eigen.values[0];
    const double l2 = eigen.values[1];
    if (!(l2 > NegligiblePlaneSpread * l1)) {
        throw AnalysisError("the directions of the steps lie on one line; no plane can be fitted");
    }
    Fit fit;
    fit.type = FitType::Plane;
    fit.n = static_cast<int>(steps.size());
    fit.direction = eigen.vectors[2];
    if (fit.direction.z < 0 || (fit.direction.z == 0 && fit.direction.x < 0))
        fit.direction = -1.0 * fit.direction;
    fit.angles = directionOf(fit.direction);
    const double l3 = std::max(0.0, eigen.values[2]);
    fit.mad = std::atan(std::sqrt(l3 / l2 + l3 / l1)) * RadToDeg;
    const Vector3 last = steps.back().moment;
    const Vector3 inPlane = last - dot(last, fit.direction) * fit.direction;
    fit.towards = norm(inPlane) > 0 ? (1 / norm(inPlane)) * inPlane : inPlane;
    return fit;
}

} // namespace

std::string_view fitTypeName(FitType type)
{
    return FitTypeNames[static_cast<std::size_t>(type)];
}

std::optional<FitType> fitTypeNamed(std::string_view name)
{
    for (std::size_t i = 0; i < FitTypeNames.size(); ++i) {
        if (FitTypeNames[i] == name)
            return static_cast<FitType>(i);
    }
    return std::nullopt;
}

int minimumSteps(FitType type)
{
    return type == FitType::Plane ? 3 : 2;
}

Fit fitSteps(std::span<const FitStep> steps, FitType type)
{
    checkCount(steps, type);
    return type == FitType::Plane ? fitPlane(steps) : fitLine(steps, type);
}

double angleToFit(const Fit &fit, const Vector3 &direction)
{
    const double angle = angleBetween(fit.direction, direction);
    return fit.type == FitType::Plane ? std::fabs(90 - angle) : angle;
}

} // namespace Demagora
