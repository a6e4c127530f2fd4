#include "analysis/tabletext.h"

#include "analysis/analysiserror.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace Demagora {

namespace {

constexpr std::size_t LargestTableBytes = std::size_t { 256 } << 20;

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(trimmed(text.substr(start, end - start)));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::vector<std::string> textLines(std::istream &in, const std::string &fileName)
{
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > LargestTableBytes)
            throw AnalysisError(fileName + ": the file is larger than 256 MiB; it is no table");
    }
    if (in.bad())
        throw AnalysisError(fileName + ": the file cannot be read");
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::optional<double> parseReal(std::string_view text)
{
    text = trimmed(text);
    if (text.starts_with('+'))
        text.remove_prefix(1);
    double value = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

TableRow::TableRow(const std::vector<std::string> *columns, std::vector<std::string> fields,
    const std::string *fileName, int line)
    : m_columns(columns)
    , m_fields(std::move(fields))
    , m_fileName(fileName)
    , m_line(line)
{ }

std::string TableRow::field(std::string_view column) const
{
    const auto found = std::find(m_columns->begin(), m_columns->end(), column);
    const auto index = static_cast<std::size_t>(std::distance(m_columns->begin(), found));
    return found == m_columns->end() || index >= m_fields.size() ? std::string() : m_fields[index];
}

double TableRow::number(std::string_view column) const
{
    const std::string text = field(column);
    if (text.empty())
        throw error(column, "a number is needed here and the field is empty");
    const std::optional<double> value = parseReal(text);
    if (!value)
        throw error(column, "'" + text + "' is not a number");
    return *value;
}

std::optional<double> TableRow::optionalNumber(std::string_view column) const
{
    if (field(column).empty())
        return std::nullopt;
    return number(column);
}

std::vector<std::string> TableRow::codes(std::string_view column) const
{
    const std::string text = field(column);
    return text.empty() ? std::vector<std::string>() : split(text, ':');
}

AnalysisError TableRow::error(std::string_view column, const std::string &message) const
{
    return AnalysisError(*m_fileName + " line " + std::to_string(m_line) + ", column "
        + std::string(column) + ": " + message);
}

TabTable::TabTable(std::istream &in, std::string fileName, std::string_view tableName)
    : m_fileName(std::move(fileName))
    , m_lines(textLines(in, m_fileName))
{
    const std::vector<std::string> first
        = m_lines.empty() ? std::vector<std::string>() : split(m_lines.front(), '\t');
    if (first.size() < 2 || (first[0] != "tab" && first[0] != "tab delimited")
        || first[1] != tableName) {
        throw AnalysisError(m_fileName + " line 1: expected \"tab\" and \"" + std::string(tableName)
            + "\" separated by a tab, the first line of a MagIC " + std::string(tableName)
            + " table");
    }
    if (m_lines.size() < 2 || trimmed(m_lines[1]).empty())
        throw AnalysisError(m_fileName + " line 2: expected the names of the table's columns");
    m_columns = split(m_lines[1], '\t');
}

std::optional<TableRow> TabTable::next()
{
    while (m_next < m_lines.size()) {
        const std::size_t index = m_next++;
        if (trimmed(m_lines[index]).empty())
            continue;
        // The tables separate joined tables with a line of '>': the first table ends there.
        if (m_lines[index].starts_with(">>>>")) {
            m_next = m_lines.size();
            break;
        }
        return TableRow(
            &m_columns, split(m_lines[index], '\t'), &m_fileName, static_cast<int>(index + 1));
    }
    return std::nullopt;
}

} // namespace Demagora
