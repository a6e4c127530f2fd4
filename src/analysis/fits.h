#pragma once

#include "model/vector3.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Demagora {

// Principal component fits of demagnetization steps. A free line through the steps' mean
// point; a line anchored to the origin; a free line with the origin as one more point; a
// plane (great circle) through the origin fitted to the steps' directions. Beside them the
// vector mean: the direction of the mean of the chosen steps, which some analysis programs
// store as their anchored line; it is read so that their fits keep the direction they were
// published with.
enum class FitType { Free, Anchored, Origin, Plane, VectorMean };

// "free", "anchored", "origin", "plane", "mean": the names of the command line and the CSV
// files.
std::string_view fitTypeName(FitType type);
std::optional<FitType> fitTypeNamed(std::string_view name);

// The fewest steps a fit takes: 2 for a line, 3 for a plane.
int minimumSteps(FitType type);

// One measured step: the treatment temperature (degrees) and the remaining moment.
struct FitStep
{
    double temperature = 0;
    Vector3 moment;
};

struct Fit
{
    FitType type = FitType::Free;
    int n = 0; // steps fitted, the origin not counted
    // A line's unit direction, pointing from the later steps towards the earlier ones (the
    // component the steps removed); for a plane its unit pole, taken in the lower hemisphere.
    Vector3 direction;
    AngularDirection angles;
    double mad = 0; // maximum angular deviation, degrees
    // Lines: the angle between the direction and the steps' mean point, degrees; absent when
    // that mean is the origin. Planes have none.
    std::optional<double> dang;
    // Planes: the direction the steps move towards along the circle (the last step's point of
    // the circle), which tells the polarity of the end point that circles alone leave open.
    // Lines: their direction.
    Vector3 towards;
    // Lines: the first and the last step projected onto the line, so that the fitted part of
    // the line can be drawn over the steps. Planes: both at the origin.
    Vector3 segmentStart;
    Vector3 segmentEnd;
};

// Fits the steps, given in treatment order. Throws AnalysisError when the fit has no
// answer: fewer steps than minimumSteps(type), steps that all lie at one point (a line),
// a step without moment or directions along one line (a plane). A vector mean's MAD is that
// of the principal axis through the origin, as the programs that store it compute it; its
// DANG is 0 by construction.
Fit fitSteps(std::span<const FitStep> steps, FitType type);

// The angle between a fitted direction and a direction: between the two for a line, from
// the direction to the fitted great circle for a plane (0 when it lies in the plane).
double angleToFit(const Fit &fit, const Vector3 &direction);

} // namespace Demagora
