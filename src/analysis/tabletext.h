#pragma once

#include "analysis/analysiserror.h"
#include "text/textlines.h"

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// The lines of a table or list of interpretations, as TextLines cuts them (whatever the line
// ends, without a byte-order mark). Throws AnalysisError naming the file when it cannot be
// read, is larger than a table can reasonably be (256 MiB) or has more than MaxTextLines lines.
TextLines tableLines(std::istream &in, const std::string &fileName);

// One row of a MagIC table, its fields found by column name.
class TableRow
{
public:
    TableRow(const std::vector<std::string> *columns, std::vector<std::string> fields,
        const std::string *fileName, int line);

    int line() const { return m_line; }
    // Every field, in the order of the table's columns (a short row has fewer).
    const std::vector<std::string> &fields() const { return m_fields; }
    // The field without surrounding blanks; empty when the table has no such column.
    std::string field(std::string_view column) const;
    // Throws the error naming the column when the field is empty or not a real.
    double number(std::string_view column) const;
    std::optional<double> optionalNumber(std::string_view column) const;
    // A colon-separated list of method codes, each without blanks.
    std::vector<std::string> codes(std::string_view column) const;
    // "FILE line N, column C: message".
    AnalysisError error(std::string_view column, const std::string &message) const;

private:
    const std::vector<std::string> *m_columns;
    std::vector<std::string> m_fields;
    const std::string *m_fileName;
    int m_line;
};

// A MagIC 3.0 table read by column names, over the text layer's TabSeparatedTable: the line
// "tab<TAB>name" ("tab delimited" is read too), a line of column names, then the rows up to
// the first table's end. Throws AnalysisError naming the file when the first two lines are not
// those of the table asked for.
class TabTable
{
public:
    TabTable(std::istream &in, std::string fileName, std::string_view tableName);
    // The table of lines already cut (by tableLines), its file named by lines.path().
    TabTable(TextLines lines, std::string_view tableName);

    // The next row that is not blank; absent at the end.
    std::optional<TableRow> next();
    const std::vector<std::string> &columns() const { return m_columns; }

private:
    std::string m_fileName;
    TextLines m_lines;
    std::vector<std::string> m_columns;
    std::size_t m_next = 0;
    std::size_t m_end = 0;
};

} // namespace Demagora
