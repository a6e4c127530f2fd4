#pragma once

#include "analysis/fits.h"
#include "analysis/interpretation.h"
#include "analysis/interpretationlist.h"
#include "analysis/sitemean.h"
#include "measurements/specimen.h"

#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace Demagora {

// A specimen's steps under its name, as a measurement reader or a simulated run gives them,
// in the coordinates the fits are to be made in.
struct NamedSteps
{
    std::string name;
    std::string site;
    std::vector<FitStep> steps;
};

// One listed interpretation fitted.
struct InterpretationResult
{
    InterpretationRequest request;
    std::string site;
    ComponentFit fit;
};

// A site's mean of the interpretations of its specimens that name one component.
struct SiteResult
{
    std::string site;
    std::string component; // the interpretations' component name; empty in a CSV list
    std::optional<SiteMean> mean; // absent when no interpretation of the site has a fit
    int leftOut = 0; // members without a fit (no orientation for the frame, no answer)
};

// The one grouping of fits into site means, for the window and the batch alike: per site and
// component name, in the order they first appear, the lines and great circles (with the side
// their steps move towards) combined. Components of different names are never averaged
// together.
class SiteGroups
{
public:
    void add(const std::string &site, const std::string &component, const ComponentFit &fit);
    std::vector<SiteResult> means() const;

private:
    struct Members
    {
        std::vector<Vector3> lines;
        std::vector<Vector3> poles;
        std::vector<Vector3> ends;
        int leftOut = 0;
    };
    std::vector<std::pair<std::string, std::string>> m_order;
    std::map<std::pair<std::string, std::string>, Members> m_members;
};

// The site a specimen counts in: the site its file names, else its sample, else the name of
// the file or folder it was read from (measurementsName).
std::string siteOf(const Specimen &specimen, const std::string &measurementsName);

// The name a measurement path gives its specimens' site: its last part, a folder's too.
std::string measurementsName(const std::string &path);

// Fits every request in the list's order over the steps of its specimen (the first of
// specimens that share a name). A fit without an
// answer keeps its row with the refusal. Throws AnalysisError naming the list file and line for
// a specimen that is not among the specimens.
std::vector<InterpretationResult> fitInterpretations(
    std::span<const InterpretationRequest> requests, std::span<const NamedSteps> specimens,
    const std::string &listFileName);

// The site means of the fitted list (SiteGroups).
std::vector<SiteResult> siteMeans(std::span<const InterpretationResult> results);

// specimen,type,from,to,n,declination,inclination,mad,dang,alpha95_from_mad,alpha95_isotropic,
// site,component: one row per interpretation; from and to are the first and last step fitted,
// empty when none was.
void writeInterpretationFitsCsv(std::ostream &out, std::span<const InterpretationResult> results);

// site,n_lines,n_planes,declination,inclination,k,alpha95, a column component when any site's
// interpretations name their component (a MagIC specimens table does), and a last column,
// note, saying why a mean, k or alpha95 is left empty.
void writeSiteMeansCsv(std::ostream &out, std::span<const SiteResult> sites);

} // namespace Demagora
