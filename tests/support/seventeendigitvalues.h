#pragma once

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace Demagora::Testing {

// The text of the library's exact conversion, "%.17g" in the "C" locale.
inline std::string exactSeventeenDigits(double value)
{
    char buffer[64];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

// Magnitudes that test a 17-digit formatter against the exact conversion: every order of
// magnitude a series holds, and the values where rounding is closest to a tie or to the next
// power of ten.
inline std::vector<double> seventeenDigitMagnitudes()
{
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
    return values;
}

} // namespace Demagora::Testing
