#pragma once

#include "diagrams/specimendiagram.h"
#include "unmixing/unmixing.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace Demagora {

// What the unmix dialog shows of a fit, as plain values a test reads without a window: the
// specimen picture with the model's path and the components' spectra drawn over the steps, the
// rows of the components' table and of the residuals' table, and the summary line.

// The measured steps with the fitted model's path through the vector diagram and the decay
// (sampled every few degrees over the steps' range) and each component's spectrum over the
// bars of the losses, in the components' colours.
SpecimenDiagramData unmixDiagramData(
    const QString &title, const std::vector<UnmixStep> &steps, const UnmixResult &result);

// The colour of the i-th fitted component, shared by the picture and the table.
QColor unmixComponentColour(std::size_t index);

// The components' table: the headings, then one row per component with its intervals and its
// stability where the bootstrap ran.
QStringList unmixComponentHeadings();
std::vector<QStringList> unmixComponentRows(const UnmixResult &result);

// The candidates' table: for every number of components and choice of shapes tried, the best
// fit's rms and BIC, and which of them was chosen.
QStringList unmixCandidateHeadings();
std::vector<QStringList> unmixCandidateRows(const UnmixResult &result);

// The residuals' table: each step's temperature, the length of measured minus fitted, and that
// length over the noise per axis.
QStringList unmixResidualHeadings();
std::vector<QStringList> unmixResidualRows(
    const std::vector<UnmixStep> &steps, const UnmixResult &result);

// One line: the number of components and how it was chosen (or why fewer than asked), the
// residual, the noise and where it came from, the misfit against the steps' errors, the BIC,
// the bootstrap's and the jackknife's refits.
QString unmixSummaryText(const UnmixResult &result, bool chosenByBic);

// What the user must not miss, in plain words: the direction turns along the whole path, so
// that the components describe the path and are no magnetizations; the model does not fit the
// steps within their errors; components turn when one step is left out. Empty when none.
QString unmixWarningText(const UnmixResult &result);

} // namespace Demagora
