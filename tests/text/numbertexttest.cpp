#include "text/numbertext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace Demagora;

namespace {

std::string floatMessage(std::string_view text, std::string_view separator = ".")
{
    try {
        parseDecimal(text, separator);
    } catch (const ConversionError &error) {
        return error.what();
    }
    return "no error";
}

std::string integerMessage(std::string_view text)
{
    try {
        parseInteger(text);
    } catch (const ConversionError &error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(ParseDecimalTest, ReadsTheStrictDecimalForm)
{
    struct Case
    {
        const char *text;
        const char *separator;
        double value;
    };
    const Case cases[] = {
        { "45", ".", 45 },
        { "  -12.25  ", ".", -12.25 },
        { "+.5", ".", 0.5 },
        { "5.", ".", 5 },
        { "1e3", ".", 1000 },
        { "1E+3", ".", 1000 },
        { "2.5e-3", ".", 0.0025 },
        { "007", ".", 7 },
        { "0,5", ",", 0.5 },
        { "-1,25E2", ",", -125 },
        { "3", ",", 3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseDecimal(c.text, c.separator), c.value);
    }
}

TEST(ParseDecimalTest, RefusesEverythingElseWithTheUsersMessage)
{
    struct Case
    {
        const char *text;
        const char *separator;
    };
    const Case cases[] = {
        { "", "." },
        { " ", "." },
        { ".", "." },
        { "-", "." },
        { "1..2", "." },
        { "1.2.3", "." },
        { "1,5", "." },
        { "1.5", "," },
        { "1 000", "." },
        { "1e", "." },
        { "1e+", "." },
        { "e5", "." },
        { "1e5.5", "." },
        { "0x10", "." },
        { "inf", "." },
        { "nan", "." },
        { "1.5x", "." },
        { "--1", "." },
        { "+-1", "." },
        { "\t1", "." },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(floatMessage(c.text, c.separator),
            "'" + std::string(c.text) + "' is not a valid floating point value");
    }
}

TEST(ParseDecimalTest, RefusesOverflowButAcceptsUnderflow)
{
    EXPECT_EQ(floatMessage("1e309"), "'1e309' is not a valid floating point value");
    EXPECT_EQ(floatMessage("-1.8e308"), "'-1.8e308' is not a valid floating point value");
    EXPECT_EQ(floatMessage("1e99999999999999999999"),
        "'1e99999999999999999999' is not a valid floating point value");
    EXPECT_EQ(parseDecimal("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(parseDecimal("1e-400"), 0.0);
    EXPECT_EQ(parseDecimal("4.9e-324"), std::numeric_limits<double>::denorm_min());
}

TEST(ParseDecimalTest, DoesNotDependOnTheCLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const double point = parseDecimal("1.5", ".");
    const double comma = parseDecimal("2,5", ",");
    const std::string text = formatGeneral(0.25L, ".");
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(point, 1.5);
    EXPECT_EQ(comma, 2.5);
    EXPECT_EQ(text, "0.25");
}

TEST(ParseIntegerTest, ReadsWholeNumbersInThe32BitRange)
{
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger("  -7"), -7);
    EXPECT_EQ(parseInteger("+0"), 0);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(ParseIntegerTest, RefusesEverythingElseWithTheUsersMessage)
{
    const char *cases[] = { "", " ", "-", "2147483648", "-2147483649", "18446744073709551617",
        "99999999999999999999999", "1.0", "1e3", "0x1A", "12 ", "1 2", "--1", "abc" };
    for (const char *text : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(integerMessage(text), "'" + std::string(text) + "' is not a valid integer value");
    }
}

TEST(FormatGeneralTest, WritesFifteenSignificantDigits)
{
    struct Case
    {
        long double value;
        const char *text;
    };
    const Case cases[] = {
        { 45, "45" },
        { 0.5, "0.5" },
        { -12.25, "-12.25" },
        { 0.0001, "0.0001" },
        { 0.00001, "1E-5" },
        { -0.00001, "-1E-5" },
        { 1.5e-14, "1.5E-14" },
        { 1e15, "1E15" },
        { 1e14, "100000000000000" },
        { 999999999999999, "999999999999999" },
        { 123456789012345678.0L, "1.23456789012346E17" },
        { 1000, "1000" },
        { 0.1, "0.1" },
        { 1.0L / 3, "0.333333333333333" },
        { 2.0L / 3, "0.666666666666667" },
        { 0.000123, "0.000123" },
        { 1e100, "1E100" },
        { 2.5e-300, "2.5E-300" },
        { 0, "0" },
        { -0.0L, "0" },
        { 416.65455730000001, "416.6545573" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatGeneral(c.value), c.text);
    }
}

TEST(FormatGeneralTest, ChoosesTheNotationAfterRounding)
{
    // Rounds up to 1E-4, which is written in fixed notation.
    EXPECT_EQ(formatGeneral(9.99999999999999949E-5L), "0.0001");
    EXPECT_EQ(formatGeneral(9.99999999999999949E-5), "0.0001");
    EXPECT_EQ(formatGeneral(9.9999999999999e-5L), "9.9999999999999E-5");
    // Rounds up to 1E16, beyond the fixed range.
    EXPECT_EQ(formatGeneral(9999999999999999.0L), "1E16");
    EXPECT_EQ(formatGeneral(999999999999999.4L), "999999999999999");
}

TEST(FormatGeneralTest, RoundsTheLongDoubleItself)
{
    // 1.000000000000004999 rounds down; the double nearest to it, 1.0000000000000051,
    // would round up.
    const long double value = 1.0L + 4.999e-15L;
    EXPECT_EQ(formatGeneral(value), "1");
    EXPECT_EQ(formatGeneral(static_cast<double>(value)), "1.00000000000001");
}

TEST(FormatGeneralTest, UsesTheGivenSeparator)
{
    EXPECT_EQ(formatGeneral(0.5, ","), "0,5");
    EXPECT_EQ(formatGeneral(-1.5e-14, ","), "-1,5E-14");
    EXPECT_EQ(formatGeneral(0.0001, ","), "0,0001");
    EXPECT_EQ(formatGeneral(45, ","), "45");
}

TEST(FormatGeneralTest, ReadsBackThroughParseDecimal)
{
    const double values[] = { 416.6545573, -0.00123456789012345, 6.02214076e23, 1.5e-14 };
    for (const double value : values) {
        SCOPED_TRACE(value);
        const double back = parseDecimal(formatGeneral(value, ","), ",");
        EXPECT_NEAR(back, value, std::fabs(value) * 1e-14);
    }
}

TEST(FormatGeneralTest, WritesNonFiniteValuesAsWords)
{
    EXPECT_EQ(formatGeneral(std::numeric_limits<long double>::quiet_NaN()), "NAN");
    EXPECT_EQ(formatGeneral(std::numeric_limits<long double>::infinity()), "INF");
    EXPECT_EQ(formatGeneral(-std::numeric_limits<long double>::infinity()), "-INF");
}
