#include "unmixing/componentfit.h"

#include "unmixing/continuousspectrum.h"
#include "unmixing/refinefixed.h"

#include <Eigen/Dense>

#include <cmath>
#include <memory>

namespace Demagora {

FitOutcome refineComponents(const FitData &data, const std::vector<ComponentParameters> &start,
    const std::function<bool()> &stop)
{
    switch (start.size()) {
    case 1:
        return refineFixed<1>(data, start, stop);
    case 2:
        return refineFixed<2>(data, start, stop);
    case 3:
        return refineFixed<3>(data, start, stop);
    case 4:
        return refineFixed<4>(data, start, stop);
    default:
        return FitOutcome { start, weightedCost(data, start), false };
    }
}

std::vector<ComponentParameters> onSliceGrid(
    const FitData &data, std::vector<ComponentParameters> components)
{
    // Far above the drift of the simulator's repeated subtraction of 0.1 (under 1e-9 degree
    // over its longest ranges), far below anything the steps can tell.
    constexpr double BelowTheTenth = 1e-6;
    const auto tenth = [](double t) { return std::round(t * 10) / 10; };
    for (ComponentParameters &c : components) {
        const double low = tenth(c.values[3]);
        double high = tenth(c.values[3] + c.values[4]);
        while (high - BelowTheTenth - low < data.minWidth)
            high = tenth(high + 0.1);
        c.values[3] = low;
        c.values[4] = high - BelowTheTenth - low;
    }
    const Eigen::Index n = Eigen::Index(data.temperatures.size());
    const Eigen::Index k = Eigen::Index(components.size());
    Eigen::MatrixXd keeps(n, k);
    Eigen::MatrixXd moments(n, 3);
    for (Eigen::Index i = 0; i < n; ++i) {
        const std::size_t step = std::size_t(i);
        for (Eigen::Index j = 0; j < k; ++j) {
            const ComponentParameters &c = components[std::size_t(j)];
            keeps(i, j) = data.weights[step]
                * continuousRemaining(
                    c.shape, 1.0, c.values[3], c.values[3] + c.values[4], data.temperatures[step]);
        }
        for (Eigen::Index a = 0; a < 3; ++a)
            moments(i, a) = data.weights[step] * data.moments[step][std::size_t(a)];
    }
    const Eigen::MatrixXd vectors = keeps.colPivHouseholderQr().solve(moments);
    for (Eigen::Index j = 0; j < k; ++j)
        for (Eigen::Index a = 0; a < 3; ++a)
            components[std::size_t(j)].values[std::size_t(a)] = vectors(j, a);
    return components;
}

std::vector<std::array<double, 3>> predictScaled(
    const FitData &data, const std::vector<ComponentParameters> &components)
{
    std::vector<std::array<double, 3>> predicted(data.temperatures.size(), { 0, 0, 0 });
    for (std::size_t i = 0; i < data.temperatures.size(); ++i) {
        for (const ComponentParameters &c : components) {
            const auto &v = c.values;
            const double unit
                = continuousRemaining(c.shape, 1.0, v[3], v[3] + v[4], data.temperatures[i]);
            for (int a = 0; a < 3; ++a)
                predicted[i][a] += v[a] * unit;
        }
    }
    return predicted;
}

namespace {

double sumOfSquares(
    const FitData &data, const std::vector<ComponentParameters> &components, bool weighted)
{
    const auto predicted = predictScaled(data, components);
    double sum = 0;
    for (std::size_t i = 0; i < predicted.size(); ++i) {
        const double w = weighted ? data.weights[i] : 1.0;
        for (int a = 0; a < 3; ++a) {
            const double r = w * (predicted[i][a] - data.moments[i][a]);
            sum += r * r;
        }
    }
    return sum;
}

} // namespace

double weightedCost(const FitData &data, const std::vector<ComponentParameters> &components)
{
    return sumOfSquares(data, components, true);
}

double plainCost(const FitData &data, const std::vector<ComponentParameters> &components)
{
    return sumOfSquares(data, components, false);
}

} // namespace Demagora
