#pragma once

#include "analysis/runanalysis.h"

#include <optional>
#include <string>
#include <string_view>

namespace Demagora {

// What the analysis window shows above its table: the fit, the Fisher statistics of the
// fitted directions, their angles to the components, and per component the statistics of
// the drawn initial directions beside the typed Fisher's k. One line per item; angles with
// one decimal, R and k as far as they tell; an infinite k reads "infinite".
std::string analysisSummary(const RunAnalysis &analysis, std::optional<double> typedFisherK,
    std::string_view decimalSeparator = ".");

// "Free line", "Anchored line", "Line with origin", "Plane": the fit types as the window
// names them.
std::string fitTypeCaption(FitType type);

} // namespace Demagora
