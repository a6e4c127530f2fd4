#include "batch/seriescsv.h"

#include "support/csvfields.h"
#include "support/seventeendigitvalues.h"
#include "text/csvreal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace Demagora;
using Demagora::Testing::exactSeventeenDigits;
using Demagora::Testing::seventeenDigitMagnitudes;
using Demagora::Testing::splitFields;

namespace {

std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TResultVectors point(double temperature, double x, double y, double z)
{
    TResultVectors p;
    p.Temperature = temperature;
    p.X = x;
    p.Y = y;
    p.Z = z;
    return p;
}

} // namespace

TEST(SeriesCsvTest, OneRowPerMemberAndStepUnderTheHeader)
{
    const ResultSeries series { { point(100, 1, 0, 0), point(101, 0, 2, 0) },
        { point(100, -1, -1, 0), point(101, 0, 0, 5) } };
    std::ostringstream out;
    writeSeriesCsv(out, series);
    const std::vector<std::string> lines = splitLines(out.str());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "member,step,temperature,x,y,z,length,declination,inclination");
    EXPECT_EQ(lines[1], "0,0,100,1,0,0,1,0,0");
    EXPECT_EQ(lines[2], "0,1,101,0,2,0,2,90,0");
    EXPECT_EQ(lines[3], "1,0,100,-1,-1,0,1.4142135623730951,225,0");
    EXPECT_EQ(lines[4], "1,1,101,0,0,5,5,0,90");
}

TEST(SeriesCsvTest, RealsReadBackBitForBit)
{
    const TResultVectors p = point(250, 1.0 / 3, -2e-300, 6.02214076e23);
    std::ostringstream out;
    writeSeriesCsv(out, { { p } });
    const std::vector<std::string> lines = splitLines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<std::string> fields = splitFields(lines[1]);
    ASSERT_EQ(fields.size(), 9u);
    const double expected[] = { 250, p.X, p.Y, p.Z, p.Length(), p.Declination(), p.Inclination() };
    for (std::size_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(fields[i + 2]);
        EXPECT_EQ(std::strtod(fields[i + 2].c_str(), nullptr), expected[i]);
    }
    EXPECT_EQ(fields[3], "0.33333333333333331");
}

// Every real of the rows against the library's exact conversion: the formatter inlined in
// the rows.
TEST(SeriesCsvTest, RowRealsEqualTheExactSeventeenDigitConversion)
{
    std::vector<double> values = seventeenDigitMagnitudes();
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(-values[i]);
    ResultSeries series(1);
    for (std::size_t i = 0; i + 2 < values.size(); i += 3)
        series[0].push_back(point(20 + i % 7, values[i], values[i + 1], values[i + 2]));
    std::ostringstream out;
    writeSeriesCsv(out, series);
    const std::vector<std::string> lines = splitLines(out.str());
    ASSERT_EQ(lines.size(), series[0].size() + 1);
    int differences = 0;
    for (std::size_t row = 0; row < series[0].size(); ++row) {
        const TResultVectors &p = series[0][row];
        const std::vector<std::string> fields = splitFields(lines[row + 1]);
        ASSERT_EQ(fields.size(), 9u) << lines[row + 1];
        const double reals[]
            = { p.Temperature, p.X, p.Y, p.Z, p.Length(), p.Declination(), p.Inclination() };
        for (std::size_t i = 0; i < 7; ++i) {
            if (fields[i + 2] != exactSeventeenDigits(reals[i]) && ++differences <= 10)
                ADD_FAILURE() << fields[i + 2] << " instead of " << exactSeventeenDigits(reals[i]);
        }
    }
}

// A series long enough to be formatted in several pieces on several threads, the pieces
// running across members: the text is the rows in order, as written one by one.
TEST(SeriesCsvTest, LongSeriesIsWrittenInOrder)
{
    ResultSeries series(7);
    for (std::size_t member = 0; member < series.size(); ++member) {
        for (int step = 0; step < 5001; ++step) {
            series[member].push_back(
                point(20 + step, std::sin(step * 0.01 + member), -0.25 * member, 1.0 / (1 + step)));
        }
    }
    std::string expected = std::string(SeriesCsvHeader) + "\n";
    for (std::size_t member = 0; member < series.size(); ++member) {
        for (std::size_t step = 0; step < series[member].size(); ++step) {
            const TResultVectors &p = series[member][step];
            expected += std::to_string(member) + "," + std::to_string(step);
            for (const double value :
                { p.Temperature, p.X, p.Y, p.Z, p.Length(), p.Declination(), p.Inclination() })
                expected += "," + csvReal(value);
            expected += "\n";
        }
    }
    std::ostringstream out;
    writeSeriesCsv(out, series);
    EXPECT_TRUE(out.str() == expected) << "the texts differ";
    EXPECT_EQ(out.str().size(), expected.size());
}
