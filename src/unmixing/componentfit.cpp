#include "unmixing/componentfit.h"

#include "model/vector3.h"
#include "unmixing/continuousspectrum.h"
#include "unmixing/refinefixed.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
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

UnmixComponent unmixComponent(const ComponentParameters &p, double scale)
{
    const auto &v = p.values;
    const Vector3 vector { v[0], v[1], v[2] };
    const double length = norm(vector);
    UnmixComponent c;
    c.shape = p.shape;
    if (length > 0) {
        const AngularDirection d = directionOf(vector);
        c.declination = d.declination;
        c.inclination = d.inclination;
    }
    c.height = length * scale;
    c.low = v[3];
    c.high = v[3] + v[4];
    return c;
}

ComponentParameters componentParameters(const UnmixComponent &c, double scale)
{
    const Vector3 v = vectorFromDirection(c.declination, c.inclination, c.height / scale);
    return { c.shape, { v.x, v.y, v.z, c.low, c.high - c.low } };
}

namespace {

Vector3 momentOf(const ComponentParameters &p)
{
    return { p.values[0], p.values[1], p.values[2] };
}

} // namespace

double angleOrFlat(const Vector3 &a, const Vector3 &b)
{
    return norm(a) > 0 && norm(b) > 0 ? angleBetween(a, b) : 180.0;
}

std::vector<ComponentParameters> matchedComponents(const std::vector<ComponentParameters> &fitted,
    const std::vector<ComponentParameters> &refit, double span)
{
    std::vector<int> order(refit.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<int> bestOrder = order;
    double bestCost = std::numeric_limits<double>::infinity();
    do {
        double cost = 0;
        for (std::size_t j = 0; j < fitted.size(); ++j) {
            const ComponentParameters &f = fitted[j];
            const ComponentParameters &r = refit[order[j]];
            cost += angleOrFlat(momentOf(f), momentOf(r))
                + 180 * (std::abs(f.values[3] - r.values[3]) + std::abs(f.values[4] - r.values[4]))
                    / span
                + (f.shape == r.shape ? 0 : 1000);
        }
        if (cost < bestCost) {
            bestCost = cost;
            bestOrder = order;
        }
    } while (std::next_permutation(order.begin(), order.end()));
    std::vector<ComponentParameters> result;
    for (const int i : bestOrder)
        result.push_back(refit[i]);
    return result;
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
