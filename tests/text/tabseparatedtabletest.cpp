#include "text/tabseparatedtable.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace Demagora {
namespace {

struct Refused : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

[[noreturn]] void refuse(const std::string &message)
{
    throw Refused(message);
}

TextLines linesOf(std::string text, std::string path = "t.txt")
{
    return TextLines(std::move(path), std::move(text), TextRefusal { refuse, "a test file" });
}

TEST(TextLinesTest, FailNamesTheFileAndLineThroughTheReadersRefusal)
{
    const TextLines lines = linesOf("a\nb\n", "two\tlines.txt");
    try {
        lines.fail(1, "expected c.");
    } catch (const Refused &error) {
        EXPECT_EQ(std::string(error.what()), "two\\tlines.txt, line 2: expected c.");
    }
}

TEST(TabSeparatedTableTest, TablesOfACombinedFileEndAtTheSeparator)
{
    const TextLines lines = linesOf("tab delimited\t specimens \n"
                                    " specimen \tsample\n"
                                    "s1\tp1\n"
                                    "\n"
                                    ">>>>>>>>>>\n"
                                    "tab\tsamples\n"
                                    "sample\tsite\tdip\n"
                                    "p1\tS\t30\n");
    const std::optional<TabSeparatedTable> first = tabSeparatedTableAt(lines, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "specimens");
    EXPECT_EQ(first->columns, (std::vector<std::string> { "specimen", "sample" }));
    EXPECT_EQ(first->columnsLine, 1u);
    EXPECT_EQ(first->firstRow, 2u);
    EXPECT_EQ(first->endRow, 4u);
    EXPECT_EQ(first->column({ "site", "sample" }), 1);
    EXPECT_EQ(first->column({ "volume" }), -1);

    const std::optional<TabSeparatedTable> second = tabSeparatedTableAt(lines, first->endRow + 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->name, "samples");
    EXPECT_EQ(second->column({ "dip" }), 2);
    EXPECT_EQ(second->firstRow, 7u);
    EXPECT_EQ(second->endRow, lines.size());
}

TEST(TabSeparatedTableTest, OnlyATabAndANameStartATable)
{
    const struct
    {
        const char *text;
        bool table;
    } cases[] = {
        { "tab\tmeasurements\n", true },
        { "tab delimited\tmeasurements\n", true },
        { "tab\t\n", false },
        { "tab measurements\n", false },
        { "Tab\tmeasurements\n", false },
        { "specimen\tsample\n", false },
        { "", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tabSeparatedTableAt(linesOf(c.text), 0).has_value(), c.table);
    }
    // A table whose file ends after its name has no line of columns.
    const std::optional<TabSeparatedTable> cut = tabSeparatedTableAt(linesOf("tab\tsites"), 0);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->columnsLine, 1u);
    EXPECT_TRUE(cut->columns.empty());
    EXPECT_EQ(cut->firstRow, cut->endRow);
}

} // namespace
} // namespace Demagora
