#pragma once

#include "analysis/fits.h"
#include "analysis/interpretation.h"

#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace Demagora {

// One fitted component as a row of a MagIC 3.0 specimens table.
struct SavedInterpretation
{
    std::string specimen;
    std::string sample; // the specimen's name again when the sample is not known
    std::string component; // dir_comp
    FitType type = FitType::Free;
    Coordinates coordinates = Coordinates::Specimen;
    double fromCelsius = 0; // the lowest and the highest step fitted
    double toCelsius = 0;
    int n = 0;
    AngularDirection direction; // a line's direction, a plane's pole
    std::optional<double> mad;
    std::optional<double> dang;
    int line = 0; // where it was read, 0 when it was not read from a file
};

// The row of a fitted component; throws AnalysisError for a component without a fit.
SavedInterpretation savedInterpretation(const std::string &specimen, const std::string &sample,
    const InterpretedComponent &component, const ComponentFit &fit);

// Writes the table: "tab<TAB>specimens", the column names, one row per fit. Temperatures go in
// kelvin as whole degrees Celsius plus 273, like the measurements tables; reals with 17
// significant digits, so that the fits read back unchanged.
void writeMagicSpecimens(std::ostream &out, std::span<const SavedInterpretation> rows);

// Reads the fits of a specimens table, this program's or another's: the rows whose method
// codes name a line or plane fit (DE-BFL, DE-BFL-A, DE-BFL-O, DE-BFP). Rows without one
// (specimens without interpretations, Fisher means) are passed over. Throws AnalysisError
// naming the file, the line and the column for anything else it cannot read: a missing
// "tab specimens" line, a column a fit needs left empty or not a number, steps that are not
// in kelvin, a tilt correction other than -1, 0 or 100.
std::vector<SavedInterpretation> readMagicSpecimens(std::istream &in, const std::string &fileName);

} // namespace Demagora
