#pragma once

#include "analysis/fits.h"
#include "analysis/interpretation.h"
#include "measurements/measurementset.h"
#include "text/textlines.h"

#include <array>
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
    CoordinateSystem coordinates = CoordinateSystem::Specimen;
    // The demagnetization of the steps fitted: thermal steps are written in kelvin, AF steps in
    // tesla, as MagIC counts them.
    DemagKind demag = DemagKind::Thermal;
    double from = 0; // the lowest and the highest step fitted, degrees Celsius or mT
    double to = 0;
    int n = 0;
    AngularDirection direction; // a line's direction, a plane's pole
    std::optional<double> mad;
    std::optional<double> dang;
    // software_packages: the program that made the fit, as the table names it; empty for a fit
    // of this program's.
    std::string software;
    int line = 0; // where it was read, 0 when it was not read from a file
};

// The fits of a specimens table and the rows passed over.
struct MagicSpecimensFits
{
    std::vector<SavedInterpretation> fits;
    // Fits of steps of another demagnetization than the one read (in another unit than kelvin
    // for thermal steps, tesla for AF steps), which the steps read cannot take.
    int otherTreatments = 0;
    // Anchored lines of programs that store the vector mean of the chosen steps, read as
    // vector means (FitType::VectorMean) so that they keep their published direction.
    int vectorMeans = 0;
};

// The row of a fitted component of the steps of demag; throws AnalysisError for a component
// without a fit.
SavedInterpretation savedInterpretation(const std::string &specimen, const std::string &sample,
    const InterpretedComponent &component, const ComponentFit &fit,
    DemagKind demag = DemagKind::Thermal);

// Writes the table: "tab<TAB>specimens", the column names, one row per fit. Temperatures go in
// kelvin as whole degrees Celsius plus 273, like the measurements tables, AF levels in tesla
// (LP-DIR-AF), each in the shortest text that reads back to it; other reals with 17 significant
// digits, so that the fits read back unchanged.
void writeMagicSpecimens(std::ostream &out, std::span<const SavedInterpretation> rows);

// Writes the rows over an existing specimens table without losing what this program did not
// make: every row of 'existing' is kept, with all its columns, except the fits of the
// specimens and components that 'rows' hold (in any frame) in the unit of 'rows' (kelvin or
// tesla), which 'rows' replace. The columns
// are the existing table's, then those of writeMagicSpecimens it lacks. Returns the number of
// existing rows kept. Throws AnalysisError naming the file when 'existing' is not a MagIC
// specimens table.
int writeMergedMagicSpecimens(std::ostream &out, std::istream &existing,
    const std::string &existingName, std::span<const SavedInterpretation> rows);

// Reads the fits of a specimens table, this program's or another's: the rows whose method
// codes name a line or plane fit (DE-BFL, DE-BFL-A, DE-BFL-O, DE-BFP). Rows without one
// (specimens without interpretations, Fisher means) are passed over, and so are fits of steps
// of another demagnetization than demag (counted): thermal fits are those in kelvin (or without
// a unit), AF fits those in tesla, read back in mT. An anchored line written by a program that stores the
// vector mean of the chosen steps (PmagPy, named in software_packages) is read as a vector
// mean. Throws AnalysisError naming the file, the line and the column for anything else it
// cannot read: a missing "tab specimens" line, a column a fit needs left empty or not a
// number, a tilt correction other than -1, 0 or 100.
MagicSpecimensFits readMagicSpecimens(
    std::istream &in, const std::string &fileName, DemagKind demag = DemagKind::Thermal);
// The same of a table already cut into lines (by tableLines).
MagicSpecimensFits readMagicSpecimens(TextLines lines, DemagKind demag = DemagKind::Thermal);

// How the fits of a table made in several frames were taken for one frame.
struct FrameCounts
{
    std::array<int, 3> read {}; // fits read per frame (CoordinateSystem as index)
    std::array<int, 3> used {}; // fits taken, per the frame they were made in
    int converted = 0; // fits taken from another frame, to be refitted in the one wanted
    int repeats = 0; // rows that repeat a fit of the same frame, counted once
};

struct FramedFits
{
    std::vector<SavedInterpretation> fits;
    FrameCounts counts;
};

// One row per fit for the frame wanted. Analysis programs write every fit once per frame
// (dir_tilt_correction -1, 0, 100): the fits of a specimen and component name are taken from
// the rows made in the frame wanted; where it has none, from the first frame the table gives
// them in (converted: their steps are to be refitted in the frame wanted). A row that repeats
// another of its frame (same fit type and steps) counts once. The order of the table is kept.
FramedFits fitsForFrame(std::span<const SavedInterpretation> rows, CoordinateSystem wanted);

// "24 fits read (8 specimen, 8 geographic, 8 tilt); 8 used in geographic coordinates (1
// converted from another frame)", for the messages of the window and the batch.
std::string frameCountsText(const FrameCounts &counts, CoordinateSystem wanted);

} // namespace Demagora
