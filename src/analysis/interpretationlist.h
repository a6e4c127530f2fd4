#pragma once

#include "analysis/fits.h"
#include "analysis/interpretation.h"
#include "analysis/magicspecimens.h"

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

// A list of interpretations as read, and, for a MagIC specimens table, what was passed over.
struct InterpretationList
{
    std::vector<InterpretationRequest> requests;
    // A MagIC specimens table: a lab's table names specimens the measurements may not hold,
    // which are passed over; a CSV list typed by the user is held to every name.
    bool table = false;
    FrameCounts frames;
    int otherTreatments = 0;
    int vectorMeans = 0;
};

// Reads a list of interpretations: a CSV file with the header "specimen,type,from,to" (type
// free, anchored, origin or plane), or a MagIC specimens table (told by its first line "tab"),
// whose fits are taken for the frame given (fitsForFrame). Throws AnalysisError naming the
// file, the line and the field for a row it cannot read, and for a list without any
// interpretation.
InterpretationList readInterpretationList(
    std::istream &in, const std::string &fileName, CoordinateSystem frame = CoordinateSystem::Specimen);

// What a MagIC table's list holds beyond its fits, one line for standard error: the fits per
// frame, the vector means and the rows passed over. Empty for a CSV list.
std::string interpretationListText(const InterpretationList &list, CoordinateSystem frame);

} // namespace Demagora
