#pragma once

#include "measurements/specimen.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// The most the readers take in one reading: past it a file, or the files of a .sam file or a
// folder together, are refused before the file that would pass it is read.
inline constexpr std::size_t MaxMeasurementFileBytes = std::size_t(256) << 20;

// The files one reading opens, and the bytes they hold together: a reading of many files (the
// specimen files of a .sam file, a MagIC table's siblings, a folder of 2G files) is bounded as
// a single file is, and whoever writes afterwards learns every file it must not replace.
class FilesRead
{
public:
    // budget: the bytes all files together may hold.
    explicit FilesRead(std::size_t budget = MaxMeasurementFileBytes)
        : m_budget(budget)
    { }

    // The whole of the file at path. Only a regular file is read (a pipe, device or socket is
    // refused before it is opened, so nothing waits on it). Throws MeasurementError naming the
    // file when it cannot be read, would take the bytes read past MaxMeasurementFileBytes, or
    // changes (size or modification time) while it is read.
    std::string read(const std::string &path);

    // Every file read, as named when read.
    const std::vector<std::string> &paths() const { return m_paths; }

private:
    std::size_t m_budget;
    std::vector<std::string> m_paths;
    std::size_t m_bytes = 0;
};

// One file on its own, as FilesRead reads it.
std::string readMeasurementFile(const std::string &path);
// At most the first bytes of a file, to tell its format; refused as FilesRead refuses.
std::string measurementFileStart(const std::string &path, std::size_t bytes);

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
    std::string_view field, const TextLines &lines, std::size_t index, const std::string &what);
// The same, but an empty or NaN field is refused too.
double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, const std::string &what);
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
