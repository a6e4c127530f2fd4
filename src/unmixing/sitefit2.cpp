#include "unmixing/sitefitimpl.h"

namespace Demagora {

template SiteFitOutcome refineSiteFixed<2>(const std::vector<FitData> &, const SiteParameters &,
    const std::function<bool()> &, unsigned, SiteRanges);

} // namespace Demagora
