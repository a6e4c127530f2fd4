#pragma once

#include "analysis/runanalysis.h"

#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace Demagora {

// A real with 17 significant digits, which reads back to the same double; empty when absent
// or not finite (an infinite k), since a CSV number field has no spelling for infinity.
std::string csvNumber(std::optional<double> value);

// member,type,from,to,n,declination,inclination,mad,dang,angle_to_component_<i>...: one row
// per member; a member without a fit keeps its count and leaves the fitted fields empty.
void writeFitsCsv(std::ostream &out, const RunAnalysis &analysis);

// specimen,type,from,to,n,declination,inclination,mad,dang: the same rows for measured specimens,
// named by specimenNames in the analysis's order.
void writeSpecimenFitsCsv(
    std::ostream &out, const RunAnalysis &analysis, std::span<const std::string> specimenNames);

// set,n,declination,inclination,r,k,alpha95,angular_deviation: the fitted directions, then
// one row per component population's initial directions.
void writeFisherCsv(std::ostream &out, const RunAnalysis &analysis);

} // namespace Demagora
