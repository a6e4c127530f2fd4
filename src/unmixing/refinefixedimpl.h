#pragma once

// The definition of refineFixed, included only by the files that instantiate it: Ceres'
// automatic derivatives are compiled there and nowhere else.

#include "unmixing/refinefixed.h"

#include "unmixing/continuousspectrum.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <array>

namespace Demagora {

namespace RefineFixedDetail {

// The solver varies each range as its lower end and the fraction of the room left above it
// that the range takes beyond minWidth: the upper end is then low + minWidth + fraction *
// (highBound - low - minWidth), never above highBound, in the fit as in every refit. A plain
// bound on the width would let a range that starts near highBound end a whole span above it.
inline double rangeFraction(double low, double width, const FitData &data)
{
    const double room = data.highBound - low - data.minWidth;
    return room > 0 ? std::clamp((width - data.minWidth) / room, 0.0, 1.0) : 0.0;
}

// The residual of one step: weight times (sum of the components' remaining moments - measured).
template <int K> struct StepResidual
{
    double temperature;
    std::array<double, 3> moment;
    double weight;
    std::array<SpectrumShape, K> shapes;
    double highBound;
    double minWidth;

    template <typename T> bool operator()(const T *const p, T *residual) const
    {
        T sum[3] = { T(0), T(0), T(0) };
        for (int j = 0; j < K; ++j) {
            const T *c = p + 5 * j;
            const T high = c[3] + minWidth + c[4] * (highBound - c[3] - minWidth);
            const T unit = continuousRemaining(shapes[j], T(1), c[3], high, temperature);
            for (int a = 0; a < 3; ++a)
                sum[a] += c[a] * unit;
        }
        for (int a = 0; a < 3; ++a)
            residual[a] = weight * (sum[a] - moment[a]);
        return true;
    }
};

// Ends the solver once the caller asks it to stop.
class StopCallback : public ceres::IterationCallback
{
public:
    explicit StopCallback(const std::function<bool()> &stop)
        : m_stop(stop)
    { }

    ceres::CallbackReturnType operator()(const ceres::IterationSummary &) override
    {
        return m_stop() ? ceres::SOLVER_ABORT : ceres::SOLVER_CONTINUE;
    }

private:
    const std::function<bool()> &m_stop;
};

// The components as the solver varies them (each range as its lower end, kept inside the
// bounds as Ceres asks of a start, and the fraction of the room above it) and their shapes.
template <int K> struct Packed
{
    std::array<double, 5 * K> p {};
    std::array<SpectrumShape, K> shapes {};

    Packed(const FitData &data, const std::vector<ComponentParameters> &components)
    {
        for (int j = 0; j < K; ++j) {
            shapes[j] = components[j].shape;
            for (int a = 0; a < 4; ++a)
                p[5 * j + a] = components[j].values[a];
            p[5 * j + 3] = std::clamp(p[5 * j + 3], data.lowBound, data.highBound - data.minWidth);
            p[5 * j + 4] = rangeFraction(p[5 * j + 3], components[j].values[4], data);
        }
    }

    // One residual block a step, over p.
    void addSteps(ceres::Problem &problem, const FitData &data)
    {
        for (std::size_t i = 0; i < data.temperatures.size(); ++i)
            problem.AddResidualBlock(
                new ceres::AutoDiffCostFunction<StepResidual<K>, 3, 5 * K>(
                    new StepResidual<K> { data.temperatures[i], data.moments[i], data.weights[i],
                        shapes, data.highBound, data.minWidth }),
                nullptr, p.data());
    }
};

} // namespace RefineFixedDetail

template <int K>
FitOutcome refineFixed(const FitData &data, const std::vector<ComponentParameters> &start,
    const std::function<bool()> &stop)
{
    RefineFixedDetail::Packed<K> packed(data, start);
    auto &p = packed.p;
    const std::array<SpectrumShape, K> &shapes = packed.shapes;
    ceres::Problem problem;
    packed.addSteps(problem, data);
    for (int j = 0; j < K; ++j) {
        problem.SetParameterLowerBound(p.data(), 5 * j + 3, data.lowBound);
        problem.SetParameterUpperBound(p.data(), 5 * j + 3, data.highBound - data.minWidth);
        problem.SetParameterLowerBound(p.data(), 5 * j + 4, 0);
        problem.SetParameterUpperBound(p.data(), 5 * j + 4, 1);
    }
    ceres::Solver::Options options;
    options.linear_solver_type = ceres::DENSE_QR;
    options.max_num_iterations = 200;
    options.function_tolerance = 1e-15;
    options.gradient_tolerance = 1e-16;
    options.parameter_tolerance = 1e-14;
    options.num_threads = 1;
    options.logging_type = ceres::SILENT;
    RefineFixedDetail::StopCallback stopCallback(stop);
    if (stop)
        options.callbacks.push_back(&stopCallback);
    ceres::Solver::Summary summary;
    ceres::Solve(options, &problem, &summary);

    FitOutcome outcome;
    outcome.converged = summary.termination_type == ceres::CONVERGENCE;
    outcome.components.resize(K);
    for (int j = 0; j < K; ++j) {
        outcome.components[j].shape = shapes[j];
        for (int a = 0; a < 4; ++a)
            outcome.components[j].values[a] = p[5 * j + a];
        const double low = p[5 * j + 3];
        outcome.components[j].values[4]
            = data.minWidth + p[5 * j + 4] * std::max(data.highBound - low - data.minWidth, 0.0);
    }
    outcome.cost = weightedCost(data, outcome.components);
    return outcome;
}

template <int K>
std::vector<RangeEndVariance> rangeEndVariances(
    const FitData &data, const std::vector<ComponentParameters> &fitted)
{
    RefineFixedDetail::Packed<K> packed(data, fitted);
    const auto &p = packed.p;
    ceres::Problem problem;
    packed.addSteps(problem, data);
    ceres::Covariance::Options options;
    options.algorithm_type = ceres::DENSE_SVD;
    options.null_space_rank = -1;
    ceres::Covariance covariance(options);
    std::vector<std::pair<const double *, const double *>> blocks { { p.data(), p.data() } };
    std::vector<RangeEndVariance> variances;
    if (!covariance.Compute(blocks, &problem))
        return variances;
    std::array<double, 5 * K * 5 * K> c {};
    if (!covariance.GetCovarianceBlock(p.data(), p.data(), c.data()))
        return variances;
    const auto at = [&](int row, int column) { return c[std::size_t(row * 5 * K + column)]; };
    for (int j = 0; j < K; ++j) {
        const int low = 5 * j + 3, fraction = 5 * j + 4;
        const double room = std::max(data.highBound - p[low] - data.minWidth, 0.0);
        // high = low + minWidth + fraction room: its gradient in (low, fraction).
        const double dLow = 1 - p[fraction], dFraction = room;
        variances.push_back({ at(low, low),
            dLow * dLow * at(low, low) + 2 * dLow * dFraction * at(low, fraction)
                + dFraction * dFraction * at(fraction, fraction) });
    }
    return variances;
}

} // namespace Demagora
