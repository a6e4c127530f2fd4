#include "analysis/analysiscsv.h"

#include "text/csvreal.h"

#include <cmath>

namespace Demagora {

std::string csvNumber(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return {};
    return csvReal(*value);
}

namespace {

// type,from,to,n,declination,inclination,mad,dang of one fit, after the member or specimen.
std::string fitFields(const MemberFit &member, const std::string &type)
{
    std::string row = ',' + type;
    const bool hasSteps = member.n > 0;
    row += ',' + (hasSteps ? csvNumber(member.from) : std::string());
    row += ',' + (hasSteps ? csvNumber(member.to) : std::string());
    row += ',' + std::to_string(member.n);
    const std::optional<Fit> &fit = member.fit;
    row += ',' + (fit ? csvNumber(fit->angles.declination) : std::string());
    row += ',' + (fit ? csvNumber(fit->angles.inclination) : std::string());
    row += ',' + (fit ? csvNumber(fit->mad) : std::string());
    row += ',' + (fit ? csvNumber(fit->dang) : std::string());
    return row;
}

} // namespace

void writeFitsCsv(std::ostream &out, const RunAnalysis &analysis)
{
    out << "member,type,from,to,n,declination,inclination,mad,dang";
    for (std::size_t i = 0; i < analysis.meanAnglesToComponents.size(); ++i)
        out << ",angle_to_component_" << i + 1;
    out << '\n';
    const std::string type(fitTypeName(analysis.type));
    std::string row;
    for (const MemberFit &member : analysis.fits) {
        row = std::to_string(member.member) + fitFields(member, type);
        for (std::size_t i = 0; i < analysis.meanAnglesToComponents.size(); ++i) {
            row += ',';
            if (i < member.anglesToComponents.size())
                row += csvNumber(member.anglesToComponents[i]);
        }
        out << row << '\n';
    }
}

void writeSpecimenFitsCsv(
    std::ostream &out, const RunAnalysis &analysis, std::span<const std::string> specimenNames)
{
    out << "specimen,type,from,to,n,declination,inclination,mad,dang\n";
    const std::string type(fitTypeName(analysis.type));
    for (const MemberFit &member : analysis.fits)
        out << specimenNames[std::size_t(member.member)] << fitFields(member, type) << '\n';
}

void writeFisherCsv(std::ostream &out, const RunAnalysis &analysis)
{
    out << "set,n,declination,inclination,r,k,alpha95,angular_deviation\n";
    for (const DirectionSet &set : analysis.sets) {
        out << set.name;
        if (!set.fisher) {
            out << ",0,,,,,,\n";
            continue;
        }
        const FisherStatistics &f = *set.fisher;
        const auto mean = f.mean;
        out << ',' << f.n << ','
            << csvNumber(mean ? std::optional(mean->declination) : std::nullopt) << ','
            << csvNumber(mean ? std::optional(mean->inclination) : std::nullopt) << ','
            << csvNumber(f.r) << ',' << csvNumber(f.k) << ',' << csvNumber(f.alpha95) << ','
            << csvNumber(f.angularDeviation) << '\n';
    }
}

} // namespace Demagora
