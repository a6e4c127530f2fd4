#include "batch/seriescsv.h"

#include "support/csvfields.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace Demagora;
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

TEST(SeriesCsvTest, CsvRealUsesSeventeenDigitsAtMost)
{
    EXPECT_EQ(csvReal(0.1), "0.10000000000000001");
    EXPECT_EQ(csvReal(100), "100");
    EXPECT_EQ(csvReal(1.5e-14), "1.4999999999999999e-14");
    EXPECT_EQ(csvReal(-0.0), "-0");
}

// The fast conversion against the library's exact one, "%.17g", over every order of magnitude
// the series holds and the values where rounding is closest to a tie or to the next power
// of ten.
TEST(SeriesCsvTest, CsvRealEqualsTheExactSeventeenDigitConversion)
{
    const auto exact = [](double value) {
        char buffer[64];
        const auto result
            = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
        return std::string(buffer, result.ptr);
    };
    std::vector<double> values
        = { 0.1, 0.5, 1.5, 123.456, 1e-5, 1e-4, 9.9999999999999995e-5, 99999999999999.99,
              9999999999999998.0, 1e16, 1e17, 1e22, 1e-300, 5e-324, 1.7976931348623157e308,
              0.30000000000000004, 2.5e-12, 359.99999999999994, 89.999999999999986, 1.0 / 3,
              // Exact ties at the seventeenth digit.
              1 + std::ldexp(1.0, -17), 7 + std::ldexp(3.0, -17), 0.5 + std::ldexp(1.0, -20) };
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> decade(-14, 18);
    for (int i = 0; i < 200000; ++i)
        values.push_back(mantissa(random) * std::pow(10.0, decade(random)));
    // Neighbours of short decimals, where the seventeenth digit is decided by the last bits.
    for (int i = 1; i < 20000; ++i) {
        const double base = i * 0.05;
        values.push_back(std::nextafter(base, 0.0));
        values.push_back(std::nextafter(base, 1e9));
    }
    // Each decade's start, where the exponent is settled by a comparison with the double
    // nearest to the power of ten, and its neighbours; whole numbers up to 2^53.
    for (int exponent = -9; exponent <= 19; ++exponent) {
        const double power = std::pow(10.0, exponent);
        values.insert(values.end(),
            { power, std::nextafter(power, 0.0), std::nextafter(power, 1e300), 7 * power });
    }
    values.insert(values.end(), { 1, 12345, 4503599627370495.5, 9007199254740991.0 });
    int differences = 0;
    for (const double magnitude : values) {
        for (const double value : { magnitude, -magnitude }) {
            if (csvReal(value) != exact(value) && ++differences <= 10)
                ADD_FAILURE() << csvReal(value) << " instead of " << exact(value);
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
