#include "analysis/interpretationbatch.h"

#include "analysis/analysiscsv.h"
#include "analysis/analysiserror.h"
#include "text/csvfield.h"

#include <algorithm>
#include <filesystem>
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

void SiteGroups::add(const std::string &site, const std::string &component, const ComponentFit &fit)
{
    const std::pair<std::string, std::string> key { site, component };
    auto [entry, isNew] = m_members.try_emplace(key);
    if (isNew)
        m_order.push_back(key);
    Members &members = entry->second;
    if (!fit.fit) {
        ++members.leftOut;
    } else if (fit.fit->type == FitType::Plane) {
        members.poles.push_back(fit.fit->direction);
        members.ends.push_back(fit.fit->towards);
    } else {
        members.lines.push_back(fit.fit->direction);
    }
}

std::vector<SiteResult> SiteGroups::means() const
{
    std::vector<SiteResult> sites;
    sites.reserve(m_order.size());
    for (const auto &key : m_order) {
        const Members &members = m_members.at(key);
        SiteResult result { key.first, key.second, std::nullopt, members.leftOut };
        if (!members.lines.empty() || !members.poles.empty())
            result.mean = siteMean(members.lines, members.poles, members.ends);
        sites.push_back(std::move(result));
    }
    return sites;
}

std::string siteOf(const Specimen &specimen, const std::string &measurementsName)
{
    return !specimen.site.empty()  ? specimen.site
        : !specimen.sample.empty() ? specimen.sample
                                   : measurementsName;
}

std::string measurementsName(const std::string &path)
{
    const std::filesystem::path given(path);
    return (given.has_filename() ? given.filename() : given.parent_path().filename()).string();
}

std::vector<SiteResult> siteMeans(std::span<const InterpretationResult> results)
{
    SiteGroups groups;
    for (const InterpretationResult &result : results)
        groups.add(result.site, result.request.component, result.fit);
    return groups.means();
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
        row = csvField(result.request.specimen) + ','
            + std::string(fitTypeName(result.request.type));
        row += ',' + (hasSteps ? csvNumber(c.from) : std::string());
        row += ',' + (hasSteps ? csvNumber(c.to) : std::string());
        row += ',' + std::to_string(c.n);
        row += ',' + (fit ? csvNumber(fit->angles.declination) : std::string());
        row += ',' + (fit ? csvNumber(fit->angles.inclination) : std::string());
        row += ',' + (fit ? csvNumber(fit->mad) : std::string());
        row += ',' + (fit ? csvNumber(fit->dang) : std::string());
        row += ',' + csvNumber(c.alpha95FromMad);
        row += ',' + csvNumber(c.alpha95Isotropic);
        row += ',' + csvField(result.site) + ',' + csvField(result.request.component);
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
        out << csvField(site.site) << ',';
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
            out << ',' << csvField(site.component);
        out << ',' << (site.mean ? site.mean->note : std::string("no member has a fit")) << '\n';
    }
}

} // namespace Demagora
