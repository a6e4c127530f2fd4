#pragma once

#include "measurements/specimen.h"

#include <ostream>
#include <span>
#include <string_view>

namespace Demagora {

// A MagIC 3.0 measurements table of measured specimens, as the specimens window saves their
// steps beside its interpretations: one row per step (repeats as they were merged) in specimen
// coordinates, its quality "b" where the step is marked bad and "g" elsewhere, so that any program
// reading MagIC tables leaves the same steps out. Temperatures in kelvin (degrees plus 273), fields
// in tesla; the moment in magn_moment, or in magn_volume for a specimen measured in A/m.
// Every row names this program in software_packages.
void writeMagicMeasurements(std::ostream &stream, std::span<const Specimen> specimens);

// Whether the text (at least its first three lines) is a measurements table this program wrote:
// only such a table is ever replaced beside the interpretations.
bool writtenByThisProgram(std::string_view table);

} // namespace Demagora
