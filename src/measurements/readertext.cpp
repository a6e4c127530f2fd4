#include "measurements/readertext.h"

#include "measurements/measurementerror.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>

namespace Demagora {

std::string readMeasurementFile(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    if (!stream)
        throw MeasurementError(path + ": the file cannot be opened.");
    const std::streamoff size = stream.tellg();
    if (size < 0)
        throw MeasurementError(path + ": the file cannot be read.");
    if (std::uint64_t(size) > MaxMeasurementFileBytes)
        throw MeasurementError(path
            + ": the file is larger than 256 MiB, too large for a "
              "measurement file.");
    std::string text(std::size_t(size), '\0');
    stream.seekg(0);
    if (!stream.read(text.data(), size))
        throw MeasurementError(path + ": the file cannot be read.");
    return text;
}

TextLines::TextLines(std::string path, std::string text)
    : m_path(std::move(path))
    , m_text(std::move(text))
{
    std::string_view rest(m_text);
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            m_lines.push_back(rest);
            break;
        }
        m_lines.push_back(rest.substr(0, end));
        std::size_t next = end + 1;
        if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n')
            ++next;
        rest.remove_prefix(next);
    }
}

void TextLines::fail(std::size_t index, const std::string &what) const
{
    throw MeasurementError(m_path + ", line " + std::to_string(index + 1) + ": " + what);
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

std::optional<double> parseOptionalNumber(
    std::string_view field, const TextLines &lines, std::size_t index, const std::string &what)
{
    field = trimmed(field);
    if (field.empty() || lowerCase(field) == "nan")
        return std::nullopt;
    if (const std::optional<double> value = numberOrNothing(field))
        return value;
    lines.fail(index, "expected " + what + ", found \"" + std::string(field) + "\".");
}

double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, const std::string &what)
{
    if (const std::optional<double> value = parseOptionalNumber(field, lines, index, what))
        return *value;
    lines.fail(index, "expected " + what + ", found an empty field.");
}

} // namespace Demagora
