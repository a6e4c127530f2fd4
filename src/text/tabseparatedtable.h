#pragma once

#include "text/textlines.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// One table of a file of tab-separated tables, as MagIC writes them: the line "tab<TAB>name"
// ("tab delimited" is read too), a line of column names, then the rows up to a line starting
// ">>>>" (the next table of a combined file) or the end. The measurement reader and the
// tables of interpretations both find their tables with it; what a missing line means, and
// blank rows, are theirs to judge.
struct TabSeparatedTable
{
    std::string name;
    std::size_t nameLine = 0;
    // The line of column names: lines.size() when the file ends after the name.
    std::size_t columnsLine = 0;
    // Each trimmed.
    std::vector<std::string> columns;
    std::size_t firstRow = 0;
    std::size_t endRow = 0;

    // The index of the first of the names present among the columns, or -1.
    int column(std::initializer_list<const char *> names) const;
};

// The table's name in a table's first line; empty when the line is no table's first line.
std::string_view tabSeparatedTableName(std::string_view line);

// Whether a line ends a table: the separator of the tables of a combined file.
inline bool endsTabSeparatedTable(std::string_view line)
{
    return line.starts_with(">>>>");
}

// The table whose first line is the line at index; nothing when that line is no table's first
// line (or past the end).
std::optional<TabSeparatedTable> tabSeparatedTableAt(const TextLines &lines, std::size_t index);

} // namespace Demagora
