#include "unmixing/refinefixedimpl.h"

namespace Demagora {

template FitOutcome refineFixed<1>(
    const FitData &, const std::vector<ComponentParameters> &, const std::function<bool()> &);
template std::vector<RangeEndVariance> rangeEndVariances<1>(
    const FitData &, const std::vector<ComponentParameters> &);

} // namespace Demagora
