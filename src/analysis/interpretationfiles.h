#pragma once

#include "analysis/interpretation.h"
#include "analysis/interpretationbatch.h"
#include "analysis/magicspecimens.h"
#include "analysis/sitemean.h"
#include "measurements/measurementset.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Demagora {

// The interpretations of a measurement set, one per specimen in the set's order, and what the
// specimens window makes of them: the steps fits take, site means, the rows of a saved table.
// Plain functions under the window's interpretation, tested without a window.
using Interpretations = std::vector<SpecimenInterpretation>;

// Empty interpretations for every specimen of the set, the steps it holds marked bad (flagged in
// the file) marked bad in them.
Interpretations emptyInterpretations(const MeasurementSet &set);

// Every step of a specimen as fits take it, in the frame asked for: the NRM at 0, the others
// at their level. Nothing when the specimen lacks the orientation (or bedding) the frame needs.
std::optional<std::vector<FitStep>> fitStepsIn(
    const Specimen &specimen, CoordinateSystem coordinates);

// The frame a specimen's steps are shown and fitted in when the one wanted is asked for: that
// frame, or the specimen's own when it lacks the orientation (or bedding) it needs.
CoordinateSystem shownCoordinates(const Specimen &specimen, CoordinateSystem wanted);

// A component fitted over its specimen's steps in the frame given, whatever frame it was made
// in: a rotation of every step turns the fit with it, so this is the same component seen there.
ComponentFit fitIn(
    const Specimen &specimen, const InterpretedComponent &component, CoordinateSystem coordinates);

// The NRM and thermal steps of each specimen under its name and site (siteOf), in the frame the
// specimens are given in: what the batch fits its lists over.
std::vector<NamedSteps> namedSteps(
    std::span<const Specimen> framed, const std::string &measurementsName);

// Every component of every specimen refitted in the frame given, in specimen order, as the
// batch's fits of a list: the request names the specimen, the fit type, the component and the
// levels of its first and last step; the site is siteOf(specimen, measurementsName).
std::vector<InterpretationResult> fitsIn(const MeasurementSet &set,
    const Interpretations &interpretations, CoordinateSystem coordinates,
    const std::string &measurementsName);

// One row per site and component name (SiteGroups), every fit refitted in the frame given; a
// specimen's site is siteOf(specimen, measurementsName), as in the batch.
std::vector<SiteResult> siteSummaries(const MeasurementSet &set,
    const Interpretations &interpretations, CoordinateSystem coordinates,
    const std::string &measurementsName);

// The rows of the specimens table: every component with a fit, once in every frame its
// specimen has the orientation (and bedding) for, as analysis programs write them: thermal fits
// in kelvin, AF fits in tesla. Throws AnalysisError naming the specimen and the component for
// one that takes thermal and AF steps together.
std::vector<SavedInterpretation> savedInterpretations(
    const MeasurementSet &set, const Interpretations &interpretations);

// A specimens table read over a set: the interpretations it gives, and what did not fit in.
struct OpenedInterpretations
{
    Interpretations interpretations; // the current ones with every named specimen replaced
    int components = 0; // components taken from the table
    int specimens = 0; // specimens given new interpretations
    std::vector<std::string> unknownSpecimens;
    // Components whose steps in the table's range are not as many as the table counts.
    std::vector<std::string> notes;
    FrameCounts frames; // the table's fits per frame, and those taken
};

// The fits taken are those of the frame shown (fitsForFrame); a component made in another
// frame only is refitted in the frame shown. Steps are those of the row's demagnetization
// between its lowest and highest step, both included, within half a degree (or mT), so that
// tables written in kelvin with 273.15 find the same steps.
OpenedInterpretations interpretationsFromRows(const MeasurementSet &set,
    std::span<const SavedInterpretation> rows, const Interpretations &current,
    CoordinateSystem shown);

// The measurements table saved beside a specimens table, which holds its steps marked bad: the
// table's name with its last "specimens" made "measurements" ("demagora-specimens.txt" gives
// "demagora-measurements.txt"), else "-measurements" put before its extension.
std::string measurementsTableBeside(const std::string &specimensPath);

// The specimens of the set with the steps their interpretations mark bad marked so, the others
// good: what the measurements table beside the specimens table holds.
std::vector<Specimen> specimensMarkedBad(
    const MeasurementSet &set, const Interpretations &interpretations);

// The bad steps saved beside a specimens table (a measurements table, read as the set was)
// given to the specimens it holds: a step is bad when its row is flagged, matched by
// treatment and level (the k-th step at one level with the k-th row there), and leaves every
// component. Specimens the table does not hold keep theirs; a step without a row keeps its
// mark. Returns those steps, "specimen level" each.
std::vector<std::string> withSavedBadSteps(
    const MeasurementSet &set, const MeasurementSet &saved, Interpretations &interpretations);

// A specimen's interpretation over its readings (every repeat a step of its own, stepOfReading
// the merged step of each, from stepsOfReadings) seen over its merged steps: a component takes
// the steps of its readings, a step is bad when every reading of it is bad, and the bad readings
// beside good ones at their step are its badReadings.
SpecimenInterpretation interpretationOfMergedSteps(const SpecimenInterpretation &ofReadings,
    const std::vector<int> &stepOfReading, std::size_t stepCount);

// The reverse: a component takes the good readings of its steps. A reading is bad when its step
// is bad, and where its step is good, when badReadings holds it and a reading of its step is
// not held (a step marked good is good in all its readings).
SpecimenInterpretation interpretationOfReadings(
    const SpecimenInterpretation &ofSteps, const std::vector<int> &stepOfReading);

// The fits that skip steps between their first and last other than bad ones (the table keeps
// only those two, so such a fit reads back over every good step between them): "specimen
// component" each.
std::vector<std::string> fitsSkippingSteps(
    const MeasurementSet &set, const Interpretations &interpretations);

} // namespace Demagora
