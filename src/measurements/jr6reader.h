#pragma once

#include "measurements/measurementset.h"

#include <optional>
#include <string>

namespace Demagora {

// AGICO JR6 text files: fixed columns of name (10), step (8), X, Y, Z (6 each) and exponent (4),
// then azimuth, dip, two bedding pairs, the orientation parameters P1-P4 and the precision.
// Moments are magnetizations in A/m times ten to the exponent. Steps read NRM, T250, TD250, 250,
// "250 C" (thermal) and A30, AF30, AD30 (AF, mT). Throws MeasurementError naming the file and
// line on bad input.
MeasurementSet readJr6(const std::string &path, const ReadOptions &options);

// The step of a JR6 file as it is spelled: its kind and level; Other for a spelling not known.
// Nothing for a known kind whose level cannot be read (T1.2.5), which is never taken as 0.
std::optional<RawStep> jr6Step(std::string_view spelling);

// Whether the first line of bytes is a JR6 line: a name and step in fixed columns, then at
// least 14 numbers.
bool looksLikeJr6(const std::string &bytes);

} // namespace Demagora
