#include "analysis/interpretationbatch.h"

#include "analysis/analysiscsv.h"
#include "analysis/analysiserror.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace Demagora {

std::vector<InterpretationResult> fitInterpretations(
    std::span<const InterpretationRequest> requests, std::span<const NamedSteps> specimens,
    const std::string &listFileName)
{
    std::unordered_map<std::string, const NamedSteps *> byName;
    for (const NamedSteps &specimen : specimens)
        byName.emplace(specimen.name, &specimen);
    std::vector<InterpretationResult> results;
    results.reserve(requests.size());
    for (const InterpretationRequest &request : requests) {
        const auto found = byName.find(request.specimen);
        if (found == byName.end()) {
            throw AnalysisError(listFileName + " line " + std::to_string(request.line)
                + ": there is no specimen named '" + request.specimen + "'");
        }
        const NamedSteps &specimen = *found->second;
        InterpretedComponent component;
        component.name = request.component;
        component.type = request.type;
        component.steps = stepsBetween(specimen.steps, request.from - request.toleranceDegrees,
            request.to + request.toleranceDegrees);
        results.push_back({ request, specimen.site, fitComponent(specimen.steps, component) });
    }
    return results;
}

std::vector<SiteResult> siteMeans(std::span<const InterpretationResult> results)
{
    using Key = std::pair<std::string, std::string>; // site, component
    std::vector<Key> order;
    struct Members
    {
        std::vector<Vector3> lines;
        std::vector<Vector3> poles;
        std::vector<Vector3> ends;
    };
    std::map<Key, Members> members;
    for (const InterpretationResult &result : results) {
        const Key key { result.site, result.request.component };
        auto [entry, isNew] = members.try_emplace(key);
        if (isNew)
            order.push_back(key);
        if (!result.fit.fit)
            continue;
        Members &group = entry->second;
        const Fit &fit = *result.fit.fit;
        if (fit.type == FitType::Plane) {
            group.poles.push_back(fit.direction);
            group.ends.push_back(fit.towards);
        } else {
            group.lines.push_back(fit.direction);
        }
    }
    std::vector<SiteResult> sites;
    sites.reserve(order.size());
    for (const Key &key : order) {
        const Members &group = members.at(key);
        SiteResult result { key.first, key.second, std::nullopt };
        if (!group.lines.empty() || !group.poles.empty())
            result.mean = siteMean(group.lines, group.poles, group.ends);
        sites.push_back(std::move(result));
    }
    return sites;
}

void writeInterpretationFitsCsv(std::ostream &out, std::span<const InterpretationResult> results)
{
    out << "specimen,type,from,to,n,declination,inclination,mad,dang,alpha95_from_mad,"
           "alpha95_isotropic,site,component\n";
    std::string row;
    for (const InterpretationResult &result : results) {
        const ComponentFit &c = result.fit;
        const bool hasSteps = c.n > 0;
        const std::optional<Fit> &fit = c.fit;
        row = result.request.specimen + ',' + std::string(fitTypeName(result.request.type));
        row += ',' + (hasSteps ? csvNumber(c.from) : std::string());
        row += ',' + (hasSteps ? csvNumber(c.to) : std::string());
        row += ',' + std::to_string(c.n);
        row += ',' + (fit ? csvNumber(fit->angles.declination) : std::string());
        row += ',' + (fit ? csvNumber(fit->angles.inclination) : std::string());
        row += ',' + (fit ? csvNumber(fit->mad) : std::string());
        row += ',' + (fit ? csvNumber(fit->dang) : std::string());
        row += ',' + csvNumber(c.alpha95FromMad);
        row += ',' + csvNumber(c.alpha95Isotropic);
        row += ',' + result.site + ',' + result.request.component;
        out << row << '\n';
    }
}

void writeSiteMeansCsv(std::ostream &out, std::span<const SiteResult> sites)
{
    const bool named = std::any_of(
        sites.begin(), sites.end(), [](const SiteResult &s) { return !s.component.empty(); });
    out << "site,n_lines,n_planes,declination,inclination,k,alpha95" << (named ? ",component" : "")
        << ",note\n";
    for (const SiteResult &site : sites) {
        out << site.site << ',';
        if (!site.mean) {
            out << "0,0,,,,";
        } else {
            const SiteMean &m = *site.mean;
            out << m.lines << ',' << m.planes << ','
                << csvNumber(m.mean ? std::optional(m.mean->declination) : std::nullopt) << ','
                << csvNumber(m.mean ? std::optional(m.mean->inclination) : std::nullopt) << ','
                << csvNumber(m.k) << ',' << csvNumber(m.alpha95);
        }
        if (named)
            out << ',' << site.component;
        out << ',' << (site.mean ? site.mean->note : std::string("no member has a fit")) << '\n';
    }
}

} // namespace Demagora
