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

// A text read in pieces gives the lines of the text read whole, whatever piece its line ends
// and byte-order mark fall in: a CR ending one piece and an LF starting the next are one end.
TEST(TextLinesTest, TextReadInPiecesGivesTheLinesOfTheWholeText)
{
    struct PieceCase
    {
        std::string text;
        std::vector<std::string> lines;
        bool unended;
    };
    const PieceCase cases[] = {
        { "a\r\nbc\r\n\r\nd", { "a", "bc", "", "d" }, true },
        { "\xEF\xBB\xBFtab\tx\rrow\r", { "tab\tx", "row" }, false },
        { "one\n\ntwo\r\r\nthree\n", { "one", "", "two", "", "three" }, false },
        { "\xEF\xBB\xBF", {}, false },
        { "", {}, false },
    };
    for (const PieceCase &c : cases) {
        for (const std::size_t piece : { std::size_t(1), std::size_t(2), std::size_t(3),
                 std::size_t(1) << 20 }) {
            SCOPED_TRACE(testing::PrintToString(c.text) + ", pieces of " + std::to_string(piece));
            int reads = 0;
            const TextLines lines("t.txt", c.text.size(),
                [&](std::uint64_t offset, char *into, std::size_t size) {
                    ASSERT_LE(offset + size, c.text.size());
                    c.text.copy(into, size, std::size_t(offset));
                    ++reads;
                },
                TextRefusal { refuse, "a test file" }, piece);
            ASSERT_EQ(lines.size(), c.lines.size());
            // Backwards too: a line asked for again is read again.
            for (std::size_t i = lines.size(); i-- > 0;)
                EXPECT_EQ(lines.line(i), c.lines[i]) << i;
            EXPECT_EQ(lines.lastLineUnended(), c.unended);
            if (piece == 1 && c.text.size() > 3) {
                EXPECT_GE(reads, int(c.text.size()));
            }
        }
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
