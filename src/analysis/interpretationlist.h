#pragma once

#include "analysis/fits.h"

#include <istream>
#include <string>
#include <vector>

namespace Demagora {

// One interpretation asked for: a specimen's steps from 'from' to 'to' degrees Celsius, both
// included, fitted as 'type'.
struct InterpretationRequest
{
    std::string specimen;
    FitType type = FitType::Free;
    double from = 0;
    double to = 0;
    std::string component; // dir_comp of a MagIC table, empty in a CSV list
    // How far a step may lie outside the bounds and still count, degrees. MagIC tables give
    // the bounds in kelvin, which other programs count from 273.15 or 273: their steps are
    // matched within half a degree.
    double toleranceDegrees = 0;
    int line = 0;
};

// Reads a list of interpretations: a CSV file with the header "specimen,type,from,to" (type
// free, anchored, origin or plane), or a MagIC specimens table (told by its first line "tab").
// Throws AnalysisError naming the file, the line and the field for a row it cannot read, and
// for a list without any interpretation.
std::vector<InterpretationRequest> readInterpretationList(
    std::istream &in, const std::string &fileName);

} // namespace Demagora
