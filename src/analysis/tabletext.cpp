#include "analysis/tabletext.h"

#include "analysis/analysiserror.h"
#include "text/tabseparatedtable.h"

#include <algorithm>
#include <iterator>

namespace Demagora {

namespace {

constexpr std::size_t LargestTableBytes = std::size_t { 256 } << 20;

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

[[noreturn]] void refuseTable(const std::string &message)
{
    throw AnalysisError(message);
}

} // namespace

TextLines tableLines(std::istream &in, const std::string &fileName)
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
    return TextLines(fileName, std::move(text), TextRefusal { refuseTable, "a table" });
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
    const std::optional<double> value = numberOrNothing(text);
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
    : TabTable(tableLines(in, fileName), tableName)
{ }

TabTable::TabTable(TextLines lines, std::string_view tableName)
    : m_fileName(lines.path())
    , m_lines(std::move(lines))
{
    const std::optional<TabSeparatedTable> table = tabSeparatedTableAt(m_lines, 0);
    if (!table || table->name != tableName) {
        throw AnalysisError(m_fileName + " line 1: expected \"tab\" and \"" + std::string(tableName)
            + "\" separated by a tab, the first line of a MagIC " + std::string(tableName)
            + " table");
    }
    if (m_lines.size() < 2 || trimmed(m_lines.line(1)).empty())
        throw AnalysisError(m_fileName + " line 2: expected the names of the table's columns");
    m_columns = table->columns;
    m_next = table->firstRow;
    m_end = table->endRow;
}

std::optional<TableRow> TabTable::next()
{
    // The rows end at the end of the first table: a combined file's other tables are not read.
    while (m_next < m_end) {
        const std::size_t index = m_next++;
        if (trimmed(m_lines.line(index)).empty())
            continue;
        std::vector<std::string> fields;
        for (const std::string_view field : splitTabs(m_lines.line(index)))
            fields.emplace_back(field);
        return TableRow(&m_columns, std::move(fields), &m_fileName, static_cast<int>(index + 1));
    }
    return std::nullopt;
}

} // namespace Demagora
