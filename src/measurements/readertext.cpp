#include "measurements/readertext.h"

#include "measurements/measurementerror.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace Demagora {

TextLines::TextLines(std::string path, std::string text)
    : m_path(std::move(path))
    , m_text(std::move(text))
{
    if (m_text.size() > UINT32_MAX)
        throw MeasurementError(
            shownPath(m_path) + ": the file is too large for a measurement file.");
    std::size_t at = std::string_view(m_text).starts_with("\xEF\xBB\xBF") ? 3 : 0;
    // The next line feed and carriage return at or after at, each found once with memchr and
    // kept until passed: one scan of the text whatever its line ends.
    const char *const begin = m_text.data();
    const std::size_t size = m_text.size();
    const auto next = [&](char c, std::size_t from) {
        const void *found = std::memchr(begin + from, c, size - from);
        return found ? std::size_t(static_cast<const char *>(found) - begin) : size;
    };
    std::size_t feed = next('\n', at), ret = next('\r', at);
    while (at < size) {
        if (m_starts.size() == MaxMeasurementLines)
            throw MeasurementError(shownPath(m_path) + ": more than "
                + std::to_string(MaxMeasurementLines) + " lines, too many for a measurement file.");
        m_starts.push_back(std::uint32_t(at));
        if (feed < at)
            feed = next('\n', at);
        if (ret < at)
            ret = next('\r', at);
        const std::size_t end = std::min(feed, ret);
        if (end == size)
            break;
        at = end + 1;
        if (m_text[end] == '\r' && at < size && m_text[at] == '\n')
            ++at;
    }
}

std::string_view TextLines::line(std::size_t index) const
{
    // A line runs to the next one's start, less the line feed and carriage return ending it.
    const std::string_view text(m_text);
    const std::size_t start = m_starts[index];
    std::size_t end = index + 1 < m_starts.size() ? m_starts[index + 1] : text.size();
    if (end > start && text[end - 1] == '\n')
        --end;
    if (end > start && text[end - 1] == '\r')
        --end;
    return text.substr(start, end - start);
}

bool TextLines::lastLineUnended() const
{
    return !m_starts.empty() && m_text.back() != '\n' && m_text.back() != '\r';
}

std::optional<std::string> unendedLastLineNote(const TextLines &lines)
{
    if (!lines.lastLineUnended())
        return std::nullopt;
    return shownPath(lines.path()) + ", line " + std::to_string(lines.size())
        + ": the last line has no line end; if the file was cut there, its last value may "
          "have been cut short.";
}

void TextLines::fail(std::size_t index, const std::string &what) const
{
    throw MeasurementError(shownPath(m_path) + ", line " + std::to_string(index + 1) + ": " + what);
}

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    splitTabs(line, fields);
    return fields;
}

void splitTabs(std::string_view line, std::vector<std::string_view> &fields)
{
    fields.clear();
    while (true) {
        const std::size_t tab = line.find('\t');
        fields.push_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos)
            return;
        line.remove_prefix(tab + 1);
    }
}

std::vector<std::string_view> splitWhitespace(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

namespace {

// The text with its control characters escaped (\t, \x1b), and quotes and backslashes too
// when it is quoted.
void appendEscaped(std::string &shown, std::string_view text, bool quoted)
{
    static const char digits[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            shown += "\\t";
        } else if (quoted && (c == '"' || c == '\\')) {
            shown += '\\';
            shown += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        } else {
            shown += c;
        }
    }
}

} // namespace

std::string shownText(std::string_view text)
{
    std::string shown = "\"";
    appendEscaped(shown, text.substr(0, MaxShownCharacters), true);
    shown += '"';
    if (text.size() > MaxShownCharacters)
        shown += " (cut; " + std::to_string(text.size()) + " characters in all)";
    return shown;
}

std::string shownPath(std::string_view path)
{
    std::string shown;
    appendEscaped(shown, path, false);
    return shown;
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<double> numberOrNothing(std::string_view field)
{
    field = trimmed(field);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    if (field.empty())
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (result.ec != std::errc() || result.ptr != field.data() + field.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> levelRefusal(Treatment treatment, double level)
{
    const auto text = [](double value) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        return std::string(buffer, end);
    };
    if (treatment == Treatment::Thermal
        && !(level >= MinThermalCelsius && level <= MaxThermalCelsius))
        return "expected a temperature from " + text(MinThermalCelsius) + " to "
            + text(MaxThermalCelsius) + " degrees Celsius, found " + text(level) + ".";
    if (treatment == Treatment::AlternatingField && !(level >= 0 && level <= MaxAfMillitesla))
        return "expected an AF field from 0 to " + text(MaxAfMillitesla) + " mT, found "
            + text(level) + ".";
    return std::nullopt;
}

std::optional<double> parseOptionalNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what)
{
    field = trimmed(field);
    const auto lower = [](char c) { return char(c | 0x20); };
    if (field.empty()
        || (field.size() == 3 && lower(field[0]) == 'n' && lower(field[1]) == 'a'
            && lower(field[2]) == 'n'))
        return std::nullopt;
    if (const std::optional<double> value = numberOrNothing(field))
        return value;
    lines.fail(index, "expected " + std::string(what) + ", found " + shownText(field) + ".");
}

double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what)
{
    if (const std::optional<double> value = parseOptionalNumber(field, lines, index, what))
        return *value;
    lines.fail(index, "expected " + std::string(what) + ", found an empty field.");
}

} // namespace Demagora
