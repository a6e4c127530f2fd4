#pragma once

#include "measurements/filesread.h"
#include "measurements/specimen.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// The most lines a measurement file may have: some 16 bytes a line in the largest file, far
// fewer than any measurement row takes. Only where a line starts is kept, 4 bytes a line.
inline constexpr std::size_t MaxMeasurementLines = std::size_t(1) << 24;

// A text file cut into lines: a leading byte-order mark dropped, LF, CRLF and CR-only line ends
// all taken as ends. Line numbers count from 1.
class TextLines
{
public:
    // Throws MeasurementError naming the file when it has more than MaxMeasurementLines lines.
    TextLines(std::string path, std::string text);

    const std::string &path() const { return m_path; }
    std::size_t size() const { return m_starts.size(); }
    std::string_view line(std::size_t index) const;
    // Whether the last line has no line end: a file cut in its last line may read as whole.
    bool lastLineUnended() const;

    // "<file>, line <n>: <what>": the message of a MeasurementError for the line at index.
    [[noreturn]] void fail(std::size_t index, const std::string &what) const;

private:
    std::string m_path;
    std::string m_text;
    std::vector<std::uint32_t> m_starts;
};

// The note a reader adds to its summary for a file whose last line has no line end: a file cut
// inside its last number reads as a shorter number. Nothing for a file that ends its lines.
std::optional<std::string> unendedLastLineNote(const TextLines &lines);

std::string_view trimmed(std::string_view text);
std::vector<std::string_view> splitTabs(std::string_view line);
// The same into fields, reusing its storage.
void splitTabs(std::string_view line, std::vector<std::string_view> &fields);
std::vector<std::string_view> splitWhitespace(std::string_view line);
std::string lowerCase(std::string_view text);

// The longest text of a file a message shows; past it the text is cut and its length said.
inline constexpr std::size_t MaxShownCharacters = 60;
// A field, name or line of a file as a message shows it: in double quotes, control characters
// and quotes escaped (\t, \x1b, \"), cut after MaxShownCharacters bytes.
std::string shownText(std::string_view text);
// A file's name as messages show it: whole, with its control characters escaped.
std::string shownPath(std::string_view path);
std::string fileNameOf(const std::string &path);

// A number in the C locale: an optional sign, digits with a point, an exponent. Empty text and
// NaN give nothing; anything else that is not a finite number throws through lines.fail with
// "expected <what>".
std::optional<double> parseOptionalNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what);
// The same, but an empty or NaN field is refused too.
double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what);
// A plain number or nothing, never throwing.
std::optional<double> numberOrNothing(std::string_view field);

// The levels a step can have: degrees Celsius from absolute zero to far past the melting of any
// rock, millitesla from 0 to far past any demagnetizer. A level outside is a misread file.
inline constexpr double MinThermalCelsius = -273.15;
inline constexpr double MaxThermalCelsius = 2000;
inline constexpr double MaxAfMillitesla = 10000;
// Why a thermal or AF level cannot be, for a refusal ("expected ..."); nothing when it can.
std::optional<std::string> levelRefusal(Treatment treatment, double level);

} // namespace Demagora
