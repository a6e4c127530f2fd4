#pragma once

// The definition of refineSiteFixed, included only by the files that instantiate it.

#include "unmixing/sitefit.h"

#include "unmixing/refinefixedimpl.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace Demagora {

namespace SiteFitDetail {

// Each specimen's components as one block of six numbers a component: a direction as a free
// vector (only its direction counts), the height, the lower end of the range and the fraction
// of the room above it the range takes (as refineFixed varies ranges). Apart from the height,
// a direction stays defined when the height reaches 0, so that the penalty keeps it at the
// site's and a lacking component costs nothing.
constexpr int Values = 6;

// One step of one specimen: the residual of refineFixed over the moment vectors height times
// unit direction.
template <int K> struct SiteStepResidual
{
    RefineFixedDetail::StepResidual<K> step;

    template <typename T> bool operator()(const T *const p, T *residual) const
    {
        T moments[5 * K];
        for (int j = 0; j < K; ++j) {
            const T *c = p + Values * j;
            using std::sqrt;
            const T length = sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
            for (int a = 0; a < 3; ++a)
                moments[5 * j + a] = c[3] * c[a] / length;
            moments[5 * j + 3] = c[4];
            moments[5 * j + 4] = c[5];
        }
        return step(moments, residual);
    }
};

// The Fisher log-density of one specimen's direction u about the site's m, up to a constant:
// k cos angle = k - k |u - m|^2 / 2 for unit vectors, so the residual sqrt(k) (u - m), whose
// half square the solver adds, is the negative log-density. The fourth residual, |u| - 1, is
// nothing at every minimum (only u's direction counts) and keeps the solver off the length.
template <int K> struct DirectionPenalty
{
    int component = 0;
    double rootPrecision = 0;

    template <typename T> bool operator()(const T *const p, const T *const m, T *residual) const
    {
        using std::sqrt;
        const T *u = p + Values * component;
        const T lengthU = sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        const T lengthM = sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
        for (int a = 0; a < 3; ++a)
            residual[a] = rootPrecision * (u[a] / lengthU - m[a] / lengthM);
        residual[3] = lengthU - 1.0;
        return true;
    }
};

// A pull of each range towards its start far too weak to move a range the steps decide (a
// hundred-millionth of one step's weighted residual per degree): where a specimen's height
// reaches 0 its range leaves the steps and would leave the solver's normal equations singular.
template <int K> struct RangeAnchor
{
    std::array<double, 2 * K> start;

    template <typename T> bool operator()(const T *const p, T *residual) const
    {
        constexpr double Pull = 1e-8;
        for (int j = 0; j < K; ++j) {
            residual[2 * j] = Pull * (p[Values * j + 4] - start[2 * j]);
            residual[2 * j + 1] = Pull * (p[Values * j + 5] - start[2 * j + 1]);
        }
        return true;
    }
};

// A specimen's range ends drawn towards the site's, (end - site's end) / spread, the negative
// log-density of a normal prior.
template <int K> struct RangePrior
{
    int component = 0;
    SiteParameters::Range site;
    double highBound = 0, minWidth = 0;

    template <typename T> bool operator()(const T *const p, T *residual) const
    {
        const T low = p[Values * component + 4];
        T room = highBound - low - minWidth;
        if (room < T(0))
            room = T(0);
        const T high = low + minWidth + p[Values * component + 5] * room;
        residual[0] = (low - site.low) / site.lowSpread;
        residual[1] = (high - site.high) / site.highSpread;
        return true;
    }
};

// |m| - 1 for a site direction, for the same reason.
struct UnitLength
{
    template <typename T> bool operator()(const T *const m, T *residual) const
    {
        using std::sqrt;
        residual[0] = sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]) - 1.0;
        return true;
    }
};

} // namespace SiteFitDetail

template <int K>
SiteFitOutcome refineSiteFixed(const std::vector<FitData> &data, const SiteParameters &start,
    const std::function<bool()> &stop, unsigned threads, SiteRanges ranges)
{
    using namespace SiteFitDetail;
    const std::size_t specimens = data.size();
    std::vector<std::array<double, Values * K>> blocks(specimens);
    std::vector<std::array<SpectrumShape, K>> shapes(specimens);
    std::vector<std::array<double, 3>> site(K);
    for (int j = 0; j < K; ++j)
        site[j] = { start.directions[j].x, start.directions[j].y, start.directions[j].z };
    for (std::size_t s = 0; s < specimens; ++s) {
        const FitData &d = data[s];
        for (int j = 0; j < K; ++j) {
            const ComponentParameters &c = start.specimens[s][j];
            shapes[s][j] = c.shape;
            double *b = blocks[s].data() + Values * j;
            const Vector3 v { c.values[0], c.values[1], c.values[2] };
            const double height = norm(v);
            // A lacking component starts at the site's direction.
            const Vector3 u = height > 0 ? (1 / height) * v : start.directions[j];
            b[0] = u.x;
            b[1] = u.y;
            b[2] = u.z;
            b[3] = height;
            b[4] = std::clamp(c.values[3], d.lowBound, d.highBound - d.minWidth);
            b[5] = RefineFixedDetail::rangeFraction(b[4], c.values[4], d);
        }
    }

    ceres::Problem problem;
    for (std::size_t s = 0; s < specimens; ++s) {
        const FitData &d = data[s];
        double *block = blocks[s].data();
        for (std::size_t i = 0; i < d.temperatures.size(); ++i)
            problem.AddResidualBlock(
                new ceres::AutoDiffCostFunction<SiteStepResidual<K>, 3, Values * K>(
                    new SiteStepResidual<K> { { d.temperatures[i], d.moments[i], d.weights[i],
                        shapes[s], d.highBound, d.minWidth } }),
                nullptr, block);
        for (int j = 0; j < K; ++j)
            problem.AddResidualBlock(
                new ceres::AutoDiffCostFunction<DirectionPenalty<K>, 4, Values * K, 3>(
                    new DirectionPenalty<K> { j, std::sqrt(start.precisions[j]) }),
                nullptr, block, site[j].data());
        for (std::size_t j = 0; j < start.ranges.size() && j < std::size_t(K); ++j)
            if (start.ranges[j])
                problem.AddResidualBlock(
                    new ceres::AutoDiffCostFunction<RangePrior<K>, 2, Values * K>(
                        new RangePrior<K> { int(j), *start.ranges[j], d.highBound, d.minWidth }),
                    nullptr, block);
        std::array<double, 2 * K> startRanges {};
        for (int j = 0; j < K; ++j) {
            startRanges[2 * j] = block[Values * j + 4];
            startRanges[2 * j + 1] = block[Values * j + 5];
        }
        problem.AddResidualBlock(new ceres::AutoDiffCostFunction<RangeAnchor<K>, 2 * K, Values * K>(
                                     new RangeAnchor<K> { startRanges }),
            nullptr, block);
        if (ranges == SiteRanges::Held) { // every range end constant
            std::vector<int> held;
            for (int j = 0; j < K; ++j) {
                held.push_back(Values * j + 4);
                held.push_back(Values * j + 5);
            }
            problem.SetManifold(block, new ceres::SubsetManifold(Values * K, held));
        }
        for (int j = 0; j < K; ++j) {
            problem.SetParameterLowerBound(block, Values * j + 3, 0);
            problem.SetParameterLowerBound(block, Values * j + 4, d.lowBound);
            problem.SetParameterUpperBound(block, Values * j + 4, d.highBound - d.minWidth);
            problem.SetParameterLowerBound(block, Values * j + 5, 0);
            problem.SetParameterUpperBound(block, Values * j + 5, 1);
        }
    }
    for (int j = 0; j < K; ++j) {
        problem.AddResidualBlock(new ceres::AutoDiffCostFunction<UnitLength, 1, 3>(new UnitLength),
            nullptr, site[j].data());
    }

    ceres::Solver::Options options;
    // Each specimen's block meets the others only through the site's directions: the normal
    // equations are sparse, a block per specimen bordered by the site's 3 K unknowns. (The Schur
    // complement of that structure fails its dense factorization when a height reaches 0.)
    options.linear_solver_type = ceres::SPARSE_NORMAL_CHOLESKY;
    options.max_num_iterations = 200;
    options.function_tolerance = 1e-15;
    options.gradient_tolerance = 1e-16;
    options.parameter_tolerance = 1e-14;
    options.num_threads = int(std::max(threads, 1u));
    options.logging_type = ceres::SILENT;
    RefineFixedDetail::StopCallback stopCallback(stop);
    if (stop)
        options.callbacks.push_back(&stopCallback);
    ceres::Solver::Summary summary;
    ceres::Solve(options, &problem, &summary);

    SiteFitOutcome outcome;
    outcome.converged = summary.termination_type == ceres::CONVERGENCE;
    outcome.objective = 2 * summary.final_cost;
    outcome.moved = summary.final_cost < (1 - 1e-9) * summary.initial_cost;
    outcome.fitted.precisions = start.precisions;
    outcome.fitted.ranges = start.ranges;
    for (int j = 0; j < K; ++j) {
        const Vector3 m { site[j][0], site[j][1], site[j][2] };
        outcome.fitted.directions.push_back((1 / norm(m)) * m);
    }
    for (std::size_t s = 0; s < specimens; ++s) {
        const FitData &d = data[s];
        std::vector<ComponentParameters> components(K);
        for (int j = 0; j < K; ++j) {
            const double *b = blocks[s].data() + Values * j;
            const Vector3 u { b[0], b[1], b[2] };
            const Vector3 v = (b[3] / norm(u)) * u;
            components[j].shape = shapes[s][j];
            components[j].values = { v.x, v.y, v.z, b[4],
                d.minWidth + b[5] * std::max(d.highBound - b[4] - d.minWidth, 0.0) };
        }
        outcome.cost += weightedCost(d, components);
        outcome.fitted.specimens.push_back(std::move(components));
    }
    return outcome;
}

} // namespace Demagora
