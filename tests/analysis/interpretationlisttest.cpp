#include "analysis/interpretationlist.h"

#include "analysis/analysiserror.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Demagora;

namespace {

std::vector<InterpretationRequest> readList(const std::string &text)
{
    std::istringstream in(text);
    return readInterpretationList(in, "list.csv").requests;
}

std::string refusal(const std::string &text)
{
    try {
        readList(text);
    } catch (const AnalysisError &error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(InterpretationListTest, ReadsCsvRowsInOrder)
{
    const std::vector<InterpretationRequest> list = readList(
        "specimen,type,from,to\r\nsim01,plane,100,550\r\n\r\n sim00 , anchored , -20.5 ,  300\r\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].specimen, "sim01");
    EXPECT_EQ(list[0].type, FitType::Plane);
    EXPECT_EQ(list[0].from, 100);
    EXPECT_EQ(list[0].to, 550);
    EXPECT_EQ(list[0].toleranceDegrees, 0);
    EXPECT_EQ(list[0].line, 2);
    EXPECT_EQ(list[1].specimen, "sim00");
    EXPECT_EQ(list[1].type, FitType::Anchored);
    EXPECT_EQ(list[1].from, -20.5);
    EXPECT_EQ(list[1].line, 4);
}

TEST(InterpretationListTest, ReadsAMagicSpecimensTableWithItsKelvin)
{
    const std::vector<InterpretationRequest> list
        = readList("tab\tspecimens\nspecimen\tdir_dec\tdir_inc\tmeas_step_min\tmeas_step_max\t"
                   "method_codes\tdir_comp\nx1\t10\t20\t373\t823\tLP-DIR-T:DE-BFL-O\tHT\n");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].specimen, "x1");
    EXPECT_EQ(list[0].type, FitType::Origin);
    EXPECT_EQ(list[0].from, 100);
    EXPECT_EQ(list[0].to, 550);
    EXPECT_EQ(list[0].component, "HT");
    EXPECT_EQ(list[0].toleranceDegrees, 0.5);
    EXPECT_EQ(list[0].line, 3);
}

TEST(InterpretationListTest, RefusesBadRowsByLineAndField)
{
    const std::string head = "specimen,type,from,to\n";
    struct Row
    {
        std::string text;
        std::string message;
    };
    const std::vector<Row> rows = {
        { "",
            "list.csv line 1: expected the header \"specimen,type,from,to\" (or a MagIC "
            "specimens table)" },
        { "specimen,from,to,type\n",
            "list.csv line 1: expected the header "
            "\"specimen,type,from,to\" (or a MagIC specimens table)" },
        { head, "list.csv: the list holds no interpretation" },
        { head + "a,free,1,2\nb,free,1\n",
            "list.csv line 3: expected 4 fields (specimen,type,from,to), found 3" },
        { head + "a,free,1,2,\n",
            "list.csv line 2: expected 4 fields (specimen,type,from,to), found 5" },
        { head + ",free,1,2\n", "list.csv line 2, specimen: no specimen is named" },
        { head + "a,line,1,2\n",
            "list.csv line 2, type: 'line' is not a fit (free, anchored, origin or plane)" },
        { head + "a,Free,1,2\n",
            "list.csv line 2, type: 'Free' is not a fit (free, anchored, origin or plane)" },
        { head + "a,free,,2\n",
            "list.csv line 2, from: '' is not a temperature in degrees Celsius" },
        { head + "a,free,1,2x\n",
            "list.csv line 2, to: '2x' is not a temperature in degrees Celsius" },
        { head + "a,free,1,inf\n",
            "list.csv line 2, to: 'inf' is not a temperature in degrees Celsius" },
        { head + "a,free,300,200\n", "list.csv line 2, to: 200 lies below from (300)" },
        { head + "a,free,100,500\nb,free,100,500\na,plane,100,500\na, free ,100,500.0\n",
            "list.csv line 5: repeats line 2 (the same specimen, type and bounds), which "
            "would count one fit twice" },
        { "tab\tspecimens\nspecimen\tmethod_codes\nx\tLP-NOMAG\n",
            "list.csv: the list holds no interpretation" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(refusal(row.text), row.message);
    }
}
