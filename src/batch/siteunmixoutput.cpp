#include "batch/siteunmixoutput.h"

#include "batch/batcherror.h"
#include "model/vector3.h"
#include "text/numbertext.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>
#include <map>

namespace Demagora {

std::vector<UnmixSiteSteps> groupBySite(
    const std::vector<UnmixSpecimenSteps> &specimens, const std::vector<std::string> &sites)
{
    std::vector<UnmixSiteSteps> grouped;
    std::map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < specimens.size(); ++i) {
        const auto [found, added] = at.try_emplace(sites[i], grouped.size());
        if (added)
            grouped.push_back({ sites[i], {} });
        grouped[found->second].specimens.push_back(specimens[i]);
    }
    return grouped;
}

std::vector<UnmixedSite> unmixSites(
    const std::vector<UnmixSiteSteps> &sites, const UnmixBatchOptions &options, std::uint64_t seed)
{
    // Each site: its specimens' own fits, then per refit one joint fit over all of them.
    long long fits = 0;
    for (const UnmixSiteSteps &site : sites)
        fits += (long long)site.specimens.size() * (1LL + options.bootstrap);
    if (fits > MaxUnmixFits)
        throw BatchError("--bootstrap: " + std::to_string(sites.size()) + " sites with "
            + std::to_string(options.bootstrap) + " refits of all their specimens make "
            + std::to_string(fits) + " specimen fits, more than the " + std::to_string(MaxUnmixFits)
            + " a run makes; give a smaller --bootstrap or fewer specimens (--specimen)");
    SiteUnmixOptions fit;
    fit.components = options.siteComponents;
    fit.shapes = options.shapes;
    fit.bootstrap = options.bootstrap;
    std::vector<UnmixedSite> results;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        fit.seed = seed + i;
        std::vector<SiteUnmixSpecimen> specimens;
        for (const UnmixSpecimenSteps &s : sites[i].specimens)
            specimens.push_back({ s.name, s.steps });
        try {
            results.push_back({ sites[i].site, unmixSite(sites[i].site, specimens, fit), {} });
        } catch (const UnmixingError &error) {
            results.push_back({ sites[i].site, {}, error.what() });
        }
    }
    const bool any = std::any_of(
        results.begin(), results.end(), [](const UnmixedSite &s) { return s.refusal.empty(); });
    if (!results.empty() && !any)
        throw BatchError("--unmix-site: " + results.front().refusal);
    return results;
}

void reportSiteRefusals(std::ostream &err, const char *program,
    const std::vector<UnmixedSite> &sites, const std::string &file)
{
    const std::string where = file.empty() ? "" : file + ": ";
    for (const UnmixedSite &site : sites) {
        if (!site.refusal.empty())
            err << program << ": --unmix-site: " << where << "left out " << site.refusal << '\n';
        for (const std::string &refusal : site.result.refusals)
            err << program << ": --unmix-site: " << where << "site " << site.site << ": left out "
                << refusal << '\n';
    }
}

namespace {

void field(std::string &line, double value)
{
    line += ',';
    appendGeneral(line, value);
}

void angles(
    std::string &line, double declination, double inclination, const std::vector<TVector> &entered)
{
    for (const TVector &e : entered)
        field(line,
            angleBetween(
                unitVector(declination, inclination), unitVector(e.Declination, e.Inclination)));
}

} // namespace

void writeSiteUnmixCsv(
    std::ostream &out, const std::vector<UnmixedSite> &sites, const std::vector<TVector> &entered)
{
    std::string line = "site,components,component,declination,inclination,alpha95,k,k_lo,k_hi,"
                       "n_specimens,low,high,rms,bic";
    for (std::size_t i = 0; i < entered.size(); ++i)
        line += ",angle_to_component_" + std::to_string(i + 1);
    out << line << '\n';
    for (const UnmixedSite &site : sites) {
        if (!site.refusal.empty()) {
            out << site.site << ",0" << std::string(12 + entered.size(), ',') << '\n';
            continue;
        }
        const SiteUnmixResult &r = site.result;
        const UnmixCandidate &chosen = r.candidates[r.chosen];
        for (std::size_t j = 0; j < r.components.size(); ++j) {
            const SiteComponent &c = r.components[j];
            line = site.site + ',' + std::to_string(r.components.size()) + ','
                + std::to_string(j + 1);
            field(line, c.declination);
            field(line, c.inclination);
            if (c.alpha95)
                field(line, *c.alpha95);
            else
                line += ',';
            if (c.k)
                field(line, *c.k);
            else
                line += ',';
            if (c.alpha95 && c.k) {
                field(line, c.kLow);
                field(line, c.kHigh);
            } else {
                line += ",,";
            }
            line += ',' + std::to_string(c.specimens);
            field(line, c.low);
            field(line, c.high);
            field(line, chosen.rms);
            field(line, chosen.bic);
            angles(line, c.declination, c.inclination, entered);
            out << line << '\n';
        }
    }
}

void writeSiteSpecimensCsv(
    std::ostream &out, const std::vector<UnmixedSite> &sites, const std::vector<TVector> &entered)
{
    std::string line = "specimen,components,component,shape,declination,inclination,alpha95,"
                       "height,height_lo,height_hi,low,low_lo,low_hi,high,high_lo,high_hi,rms,bic,"
                       "noise,misfit,stable";
    for (std::size_t i = 0; i < entered.size(); ++i)
        line += ",angle_to_component_" + std::to_string(i + 1);
    out << line << ",site\n";
    for (const UnmixedSite &site : sites) {
        if (!site.refusal.empty())
            continue;
        const SiteUnmixResult &r = site.result;
        for (const SiteSpecimenFit &s : r.specimens) {
            for (std::size_t j = 0; j < s.components.size(); ++j) {
                const UnmixComponent &c = s.components[j];
                line = s.name + ',' + std::to_string(s.components.size()) + ','
                    + std::to_string(j + 1) + ','
                    + (c.shape == SpectrumShape::Gauss ? "gauss" : "rectangular");
                field(line, c.declination);
                field(line, c.inclination);
                if (j < s.alpha95.size())
                    field(line, s.alpha95[j]);
                else
                    line += ',';
                field(line, c.height);
                line += ",,";
                field(line, c.low);
                line += ",,";
                field(line, c.high);
                line += ",,";
                field(line, s.rms);
                field(line, r.candidates[r.chosen].bic);
                field(line, s.single.noise);
                if (s.single.misfit)
                    field(line, *s.single.misfit);
                else
                    line += ',';
                line += ',';
                angles(line, c.declination, c.inclination, entered);
                out << line << ',' << site.site << '\n';
            }
        }
    }
}

} // namespace Demagora
