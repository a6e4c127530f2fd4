#pragma once

#include "batch/unmixoptions.h"
#include "batch/unmixoutput.h"
#include "model/tvector.h"
#include "unmixing/siteunmixing.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Demagora {

// The specimens of one site, in the order they were read.
struct UnmixSiteSteps
{
    std::string site;
    std::vector<UnmixSpecimenSteps> specimens;
};

struct UnmixedSite
{
    std::string site;
    SiteUnmixResult result; // empty when refused
    std::string refusal; // why the site could not be fitted, naming it; empty when it was
};

// The specimens grouped by site, each site where its first specimen stands.
std::vector<UnmixSiteSteps> groupBySite(
    const std::vector<UnmixSpecimenSteps> &specimens, const std::vector<std::string> &sites);

// Fits every site in turn (--unmix-site), the bootstrap of each on every core from seed plus
// its index. A site that cannot be fitted keeps its place with the refusal; when none can,
// throws BatchError with the first refusal. Throws BatchError before any fit when the fits
// asked for exceed MaxUnmixFits.
std::vector<UnmixedSite> unmixSites(
    const std::vector<UnmixSiteSteps> &sites, const UnmixBatchOptions &options, std::uint64_t seed);

// One line per refused site and per specimen a site left out, for standard error.
void reportSiteRefusals(std::ostream &err, const char *program,
    const std::vector<UnmixedSite> &sites, const std::string &file = {});

// --unmix-site-out: one row per site and component, with entered components (a simulated run)
// the angle from each site direction to each entered one; alpha95 and k's interval are empty
// without bootstrap. A refused site has one row: its name, 0 components, the rest empty.
void writeSiteUnmixCsv(
    std::ostream &out, const std::vector<UnmixedSite> &sites, const std::vector<TVector> &entered);

// --unmix-out beside --unmix-site: the columns of the specimens' table, one row per specimen
// and site component, and the site last. The intervals the site's bootstrap does not give
// (heights, ranges, stability) are empty, and so are alpha95 without bootstrap; bic is the
// site's, noise and misfit those of the specimen's own unmixing. The specimens and sites left
// out are named on standard error (reportSiteRefusals), not here.
void writeSiteSpecimensCsv(
    std::ostream &out, const std::vector<UnmixedSite> &sites, const std::vector<TVector> &entered);

} // namespace Demagora
