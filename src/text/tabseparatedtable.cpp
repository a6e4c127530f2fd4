#include "text/tabseparatedtable.h"

namespace Demagora {

int TabSeparatedTable::column(std::initializer_list<const char *> names) const
{
    for (const char *name : names)
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name)
                return int(i);
    return -1;
}

std::string_view tabSeparatedTableName(std::string_view line)
{
    const std::vector<std::string_view> fields = splitTabs(line);
    if (fields.size() < 2 || (fields[0] != "tab" && fields[0] != "tab delimited"))
        return {};
    return fields[1];
}

std::optional<TabSeparatedTable> tabSeparatedTableAt(const TextLines &lines, std::size_t index)
{
    if (index >= lines.size())
        return std::nullopt;
    TabSeparatedTable table;
    table.name = tabSeparatedTableName(lines.line(index));
    if (table.name.empty())
        return std::nullopt;
    table.nameLine = index;
    table.columnsLine = index + 1;
    if (table.columnsLine >= lines.size()) {
        table.columnsLine = table.firstRow = table.endRow = lines.size();
        return table;
    }
    for (const std::string_view name : splitTabs(lines.line(table.columnsLine)))
        table.columns.emplace_back(name);
    table.firstRow = table.endRow = table.columnsLine + 1;
    while (table.endRow < lines.size() && !endsTabSeparatedTable(lines.line(table.endRow)))
        ++table.endRow;
    return table;
}

} // namespace Demagora
