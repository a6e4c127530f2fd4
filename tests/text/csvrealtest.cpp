#include "text/csvreal.h"

#include "support/seventeendigitvalues.h"

#include <gtest/gtest.h>

#include <string>

using namespace Demagora;
using Demagora::Testing::exactSeventeenDigits;

TEST(CsvRealTest, UsesSeventeenDigitsAtMost)
{
    EXPECT_EQ(csvReal(0.1), "0.10000000000000001");
    EXPECT_EQ(csvReal(100), "100");
    EXPECT_EQ(csvReal(1.5e-14), "1.4999999999999999e-14");
    EXPECT_EQ(csvReal(-0.0), "-0");
}

// The fast conversion against the library's exact one, both signs of every magnitude.
TEST(CsvRealTest, EqualsTheExactSeventeenDigitConversion)
{
    int differences = 0;
    for (const double magnitude : Testing::seventeenDigitMagnitudes()) {
        for (const double value : { magnitude, -magnitude }) {
            const std::string text = csvReal(value);
            if (text != exactSeventeenDigits(value) && ++differences <= 10)
                ADD_FAILURE() << text << " instead of " << exactSeventeenDigits(value);
        }
    }
}
