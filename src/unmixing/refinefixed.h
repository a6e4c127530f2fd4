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

extern template FitOutcome refineFixed<1>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
extern template FitOutcome refineFixed<2>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
extern template FitOutcome refineFixed<3>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
extern template FitOutcome refineFixed<4>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);

} // namespace Demagora
