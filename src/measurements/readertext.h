#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// The largest measurement file the readers take: past it a file is refused before it is read.
inline constexpr std::size_t MaxMeasurementFileBytes = std::size_t(256) << 20;

// The whole of a measurement file. Throws MeasurementError naming the file when it cannot be
// opened or is larger than MaxMeasurementFileBytes.
std::string readMeasurementFile(const std::string &path);

// A text file cut into lines: a leading byte-order mark dropped, LF, CRLF and CR-only line ends
// all taken as ends. Line numbers count from 1.
class TextLines
{
public:
    TextLines(std::string path, std::string text);

    const std::string &path() const { return m_path; }
    std::size_t size() const { return m_lines.size(); }
    std::string_view line(std::size_t index) const { return m_lines[index]; }

    // "<file>, line <n>: <what>": the message of a MeasurementError for the line at index.
    [[noreturn]] void fail(std::size_t index, const std::string &what) const;

private:
    std::string m_path;
    std::string m_text;
    std::vector<std::string_view> m_lines;
};

std::string_view trimmed(std::string_view text);
std::vector<std::string_view> splitTabs(std::string_view line);
// The same into fields, reusing its storage.
void splitTabs(std::string_view line, std::vector<std::string_view> &fields);
std::vector<std::string_view> splitWhitespace(std::string_view line);
std::string lowerCase(std::string_view text);
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

} // namespace Demagora
