#include "analysis/fits.h"

#include "analysis/analysiserror.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Demagora;

namespace {

std::vector<FitStep> stepsAt(const std::vector<Vector3> &moments)
{
    std::vector<FitStep> steps;
    for (std::size_t i = 0; i < moments.size(); ++i)
        steps.push_back({ 100.0 + 10.0 * static_cast<double>(i), moments[i] });
    return steps;
}

} // namespace

TEST(SymmetricEigenTest, DecomposesIntoOrderedOrthonormalEigenvectors)
{
    const Matrix3 matrix = { { { 4, 1, -2 }, { 1, 2, 0.5 }, { -2, 0.5, 3 } } };
    const SymmetricEigen eigen = symmetricEigen(matrix);
    EXPECT_GE(eigen.values[0], eigen.values[1]);
    EXPECT_GE(eigen.values[1], eigen.values[2]);
    EXPECT_NEAR(eigen.values[0] + eigen.values[1] + eigen.values[2], 9, 1e-12);
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        const Vector3 &v = eigen.vectors[n];
        const Vector3 product = { matrix[0][0] * v.x + matrix[0][1] * v.y + matrix[0][2] * v.z,
            matrix[1][0] * v.x + matrix[1][1] * v.y + matrix[1][2] * v.z,
            matrix[2][0] * v.x + matrix[2][1] * v.y + matrix[2][2] * v.z };
        EXPECT_NEAR(norm(product - eigen.values[n] * v), 0, 1e-12);
        EXPECT_NEAR(norm(v), 1, 1e-14);
        EXPECT_NEAR(dot(v, eigen.vectors[(n + 1) % 3]), 0, 1e-14);
    }
}

TEST(LineFitTest, FreeLineOfPublishedDemagnetizationSteps)
{
    // Treatment, moment, declination and inclination of ten steps.
    const double rows[][4] = { { 2.5, 7.582e-05, 325.7, 49.1 }, { 5, 6.292e-05, 321.3, 45.9 },
        { 10, 5.209e-05, 314.8, 41.7 }, { 15, 4.455e-05, 310.3, 38.7 },
        { 20, 3.954e-05, 305.0, 37.0 }, { 30, 3.257e-05, 303.9, 34.7 },
        { 40, 2.567e-05, 303.0, 32.3 }, { 50, 2.252e-05, 303.6, 32.4 },
        { 60, 1.982e-05, 299.8, 30.8 }, { 70, 1.389e-05, 292.5, 31.0 } };
    std::vector<FitStep> steps;
    for (const auto &row : rows)
        steps.push_back({ row[0], row[1] * unitVector(row[2], row[3]) });
    const Fit fit = fitSteps(steps, FitType::Free);
    EXPECT_EQ(fit.n, 10);
    EXPECT_NEAR(fit.angles.declination, 334.906, 0.0005);
    EXPECT_NEAR(fit.angles.inclination, 51.510, 0.0005);
    EXPECT_NEAR(fit.mad, 8.754, 0.0005);
    ASSERT_TRUE(fit.dang);
    EXPECT_NEAR(*fit.dang, 19.258, 0.0005);
}

TEST(LineFitTest, FreeAndAnchoredLinesOfThreePoints)
{
    const auto steps = stepsAt({ { 3, 3, 2 }, { 2, 2, 1 }, { 1, 1, 0 } });
    struct Row
    {
        FitType type;
        double declination, inclination, mad;
    };
    for (const Row &row :
        { Row { FitType::Free, 45, 35.26, 0 }, Row { FitType::Anchored, 45, 22.27, 6.06 },
            // The mean point (2, 2, 1), inclination atan(1 / sqrt(8)); the anchored MAD.
            Row { FitType::VectorMean, 45, 19.47, 6.06 } }) {
        SCOPED_TRACE(std::string(fitTypeName(row.type)));
        const Fit fit = fitSteps(steps, row.type);
        EXPECT_NEAR(fit.angles.declination, row.declination, 0.005);
        EXPECT_NEAR(fit.angles.inclination, row.inclination, 0.005);
        EXPECT_NEAR(fit.mad, row.mad, 0.005);
    }
    // The free line passes through the points: its drawn part runs from the first to the last.
    const Fit free = fitSteps(steps, FitType::Free);
    EXPECT_NEAR(norm(free.segmentStart - Vector3 { 3, 3, 2 }), 0, 1e-12);
    EXPECT_NEAR(norm(free.segmentEnd - Vector3 { 1, 1, 0 }), 0, 1e-12);
}

TEST(LineFitTest, OriginIncludedIsAFreeFitWithTheOriginAdded)
{
    const auto steps = stepsAt({ { 3, 3, 2 }, { 2, 2, 1 }, { 1, 1, 0 } });
    auto withOrigin = steps;
    withOrigin.push_back({ 999, {} });
    const Fit origin = fitSteps(steps, FitType::Origin);
    const Fit free = fitSteps(withOrigin, FitType::Free);
    EXPECT_EQ(origin.n, 3);
    EXPECT_NEAR(angleBetween(origin.direction, free.direction), 0, 1e-9);
    EXPECT_NEAR(origin.mad, free.mad, 1e-9);
    EXPECT_GT(origin.mad, 1);
}

TEST(LineFitTest, PointsFromTheLaterStepsTowardsTheEarlierOnes)
{
    const Vector3 removed = unitVector(200, -30);
    const Vector3 kept = unitVector(20, 60);
    std::vector<Vector3> moments;
    for (double left = 5; left >= 1; left -= 1)
        moments.push_back(left * removed + 3.0 * kept);
    EXPECT_NEAR(
        angleBetween(fitSteps(stepsAt(moments), FitType::Free).direction, removed), 0, 1e-9);
    const std::vector<Vector3> reversed(moments.rbegin(), moments.rend());
    EXPECT_NEAR(
        angleBetween(fitSteps(stepsAt(reversed), FitType::Free).direction, removed), 180, 1e-9);
    // Towards the origin an anchored line points at the component itself.
    std::vector<Vector3> decaying;
    for (double left = 5; left >= 1; left -= 1)
        decaying.push_back(left * removed);
    EXPECT_NEAR(
        angleBetween(fitSteps(stepsAt(decaying), FitType::Anchored).direction, removed), 0, 1e-9);
}

TEST(PlaneFitTest, PoleAndMadOfThreeDirections)
{
    const Fit fit
        = fitSteps(stepsAt({ { -87, 93, -10 }, { -95, 20, 91 }, { -30, 22, 63 } }), FitType::Plane);
    EXPECT_NEAR(fit.direction.x, 0.667007, 5e-7);
    EXPECT_NEAR(fit.direction.y, 0.693198, 5e-7);
    EXPECT_NEAR(fit.direction.z, 0.273091, 5e-7);
    EXPECT_NEAR(fit.mad, 19.6654, 5e-5);
    EXPECT_FALSE(fit.dang);
    // The angle from a direction to the great circle: 0 in the plane, 90 at the pole.
    EXPECT_NEAR(angleToFit(fit, fit.direction), 90, 1e-9);
    EXPECT_NEAR(angleToFit(fit, Vector3 { -0.693198, 0.667007, 0 }), 0, 1e-4);
}

TEST(FitRefusalTest, DegenerateStepsAreRefusedWithAReason)
{
    struct Row
    {
        const char *what;
        FitType type;
        std::vector<Vector3> moments;
        const char *message;
    };
    const Row rows[] = {
        { "one step", FitType::Free, { { 1, 2, 3 } },
            "a line needs at least 2 steps; the interval holds 1" },
        { "two steps", FitType::Plane, { { 1, 2, 3 }, { 3, 2, 1 } },
            "a plane needs at least 3 steps; the interval holds 2" },
        { "equal points", FitType::Free,
            { { 0.1, 0.2, 0.3 }, { 0.1, 0.2, 0.3 }, { 0.1, 0.2, 0.3 } },
            "the steps all lie at one point; no line can be fitted" },
        { "equal points with the origin", FitType::Origin, { {}, {} },
            "the steps all lie at one point; no line can be fitted" },
        { "zero moments", FitType::Anchored, { {}, {}, {} },
            "the steps have no moment left; no line can be fitted" },
        { "collinear", FitType::Plane, { { 1, 2, 3 }, { 2, 4, 6 }, { -1, -2, -3 } },
            "the directions of the steps lie on one line; no plane can be fitted" },
        { "zero vector", FitType::Plane, { { 1, 2, 3 }, { 2, 1, 6 }, {} },
            "the step at 120 degrees has no moment left and so no direction; no plane can be "
            "fitted" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        try {
            const Fit fit = fitSteps(stepsAt(row.moments), row.type);
            ADD_FAILURE() << "fitted, MAD " << fit.mad;
        } catch (const AnalysisError &error) {
            EXPECT_STREQ(error.what(), row.message);
        }
    }
}

TEST(FitRefusalTest, LineWithMeanAtTheOriginHasNoDang)
{
    const Fit fit = fitSteps(stepsAt({ { 1, 1, 0 }, { -1, -1, 0 } }), FitType::Free);
    EXPECT_FALSE(fit.dang);
    EXPECT_TRUE(std::isfinite(fit.mad));
}
