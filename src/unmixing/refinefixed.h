#pragma once

#include "unmixing/componentfit.h"

#include <functional>
#include <vector>

namespace Demagora {

// Least squares of exactly K components from start (start.size() == K), as refineComponents
// asks for it. Each K is instantiated in a file of its own (refinefixed1.cpp ...): the automatic
// derivatives of the larger K take the compiler tens of seconds each, and apart they build in
// parallel and alone when one changes.
template <int K>
FitOutcome refineFixed(const FitData &data, const std::vector<ComponentParameters> &start,
    const std::function<bool()> &stop);

// The variances of each fitted component's range ends, degrees squared, from the steps'
// weights and the derivatives at the fit (the inverse of the Gauss-Newton normal matrix,
// pseudo-inverted where the steps leave a parameter undetermined); empty when they cannot be
// computed.
struct RangeEndVariance
{
    double low = 0, high = 0;
};
template <int K>
std::vector<RangeEndVariance> rangeEndVariances(
    const FitData &data, const std::vector<ComponentParameters> &fitted);

extern template FitOutcome refineFixed<1>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
extern template FitOutcome refineFixed<2>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
extern template FitOutcome refineFixed<3>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
extern template FitOutcome refineFixed<4>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);

extern template std::vector<RangeEndVariance> rangeEndVariances<1>(
    const FitData &, const std::vector<ComponentParameters> &);
extern template std::vector<RangeEndVariance> rangeEndVariances<2>(
    const FitData &, const std::vector<ComponentParameters> &);
extern template std::vector<RangeEndVariance> rangeEndVariances<3>(
    const FitData &, const std::vector<ComponentParameters> &);
extern template std::vector<RangeEndVariance> rangeEndVariances<4>(
    const FitData &, const std::vector<ComponentParameters> &);

} // namespace Demagora
