#pragma once

#include "measurements/filesread.h"
#include "measurements/specimen.h"
#include "text/showntext.h"
#include "text/textlines.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

class FilesRead;

// The most lines a measurement file may have.
inline constexpr std::size_t MaxMeasurementLines = MaxTextLines;

// The lines of a measurement file, refused with MeasurementError naming the file (for its
// size, its number of lines, or through fail()).
TextLines measurementLines(std::string path, std::string text);
// The same over the file at path, read through files in pieces as its lines are needed and
// never held whole: for the tables that can reach a million rows.
TextLines measurementLinesInPieces(FilesRead &files, const std::string &path);

// The note a reader adds to its summary for a file whose last line has no line end: a file cut
// inside its last number reads as a shorter number. Nothing for a file that ends its lines.
std::optional<std::string> unendedLastLineNote(const TextLines &lines);

std::vector<std::string_view> splitWhitespace(std::string_view line);
std::string lowerCase(std::string_view text);

std::string fileNameOf(const std::string &path);

// A number in the C locale: an optional sign, digits with a point, an exponent. Empty text and
// NaN give nothing; anything else that is not a finite number throws through lines.fail with
// "expected <what>".
std::optional<double> parseOptionalNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what);
// The same, but an empty or NaN field is refused too.
double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what);

// The levels a step can have: degrees Celsius from absolute zero to far past the melting of any
// rock, millitesla from 0 to far past any demagnetizer. A level outside is a misread file.
inline constexpr double MinThermalCelsius = -273.15;
inline constexpr double MaxThermalCelsius = 2000;
inline constexpr double MaxAfMillitesla = 10000;
// Why a thermal or AF level cannot be, for a refusal ("expected ..."); nothing when it can.
std::optional<std::string> levelRefusal(Treatment treatment, double level);

} // namespace Demagora
