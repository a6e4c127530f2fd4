// The 17-digit formatter: the text "%.17g" gives in the "C" locale, formed in integers.
//
// Why the integers cannot overflow. A finite nonzero double is mantissa * 2^binaryExponent
// with mantissa < 2^53 (2^52 <= mantissa for normal values). Its 17 digits are value * 10^scale
// = mantissa * 5^scale * 2^(binaryExponent + scale) rounded to nearest, for the scale that
// puts 17 digits before the point. Only scales from 0 to 27 are taken: 5^27 < 2^63, so
// mantissa * 5^scale < 2^116 fits the 128-bit product. The decimal exponent is estimated as
// (e * 78913) >> 18, which equals floor(e * log10 2) for every |e| below 1,650 (all binary
// exponents of a double); for a value in [2^e, 2^(e+1)) that is its decimal exponent or one
// less, never more. So value * 10^scale < 10^18 < 2^60, and the whole part fits 64 bits:
// - seventeenDigits: a left shift is taken only when the product, shifted, stays below 2^64
//   (checked); a right shift only below 120 places, so the mask 2^right - 1 and one half,
//   2^(right - 1), fit 128 bits. With the estimate one too small the whole part has 18
//   digits, and the last is rounded off as well.
// - commonSeventeenDigits settles the exponent exactly by comparing the value with the double
//   nearest to its decade's start (10^-6 to 10^17 only): the whole part is below 10^17, and
//   the right shift is taken only from 1 to 63 places, so the part shifted off, its half and
//   its mask all fit one 64-bit word.
// - Rounding up can reach 10^17 exactly: it becomes 10^16 with the exponent one higher.
// - The longest text, "-d.dddddddddddddddde-308", has 24 characters, and the digits are
//   stored as whole 8-byte words that end at most 23 characters in: MaxCsvRealLength (40)
//   leaves room for both.
//
// When the library's conversion takes over (std::to_chars with 17 significant digits, exact
// by the standard): zero, subnormal, infinite and NaN values; scales outside 0 to 27, that is
// values below about 10^-11 or from 10^17 up; shifts outside the ranges above; and exact
// ties, where the discarded part is exactly one half and the library's rounding decides.
// Whole numbers below 2^53 are written as integers, as "%.17g" writes them.
#include "text/csvreal.h"

#include "text/csvrealdigits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace Demagora {

namespace CsvRealDigits {

namespace {

char *writeSlow(char *out, double value)
{
    return std::to_chars(out, out + MaxCsvRealLength, value, std::chars_format::general, 17).ptr;
}

// The 17 significant digits of a positive normal value as an integer from 10^16 to 10^17 - 1
// and the decimal exponent of its first digit, computed exactly in integers: value * 10^k is
// mantissa * 5^k * 2^(binaryExponent + k), rounded to nearest. The exponent is first estimated
// from the binary one, which can be one too small: then the product has 18 digits and the
// last of them is rounded off as well. Both outcomes are formed and one is chosen, without a
// branch that the varying magnitudes of a series would keep mispredicting. False for values
// whose scale lies outside the table and for exact ties, which the library's conversion settles.
bool seventeenDigits(double value, std::uint64_t &digits, int &exponent)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0)
        return false;
    const std::uint64_t mantissa
        = (bits & ((std::uint64_t { 1 } << 52) - 1)) | (std::uint64_t { 1 } << 52);
    const int binaryExponent = biased - 1075; // value = mantissa * 2^binaryExponent
    // floor(log10(2^(binaryExponent + 52))): the decimal exponent or one less.
    const int decimal = ((binaryExponent + 52) * 78913) >> 18;
    const int scale = 16 - decimal;
    if (scale < 0 || scale >= FastScales)
        return false;
    const unsigned __int128 product
        = static_cast<unsigned __int128>(mantissa) * PowersOfFive[static_cast<std::size_t>(scale)];
    const int shift = binaryExponent + scale;
    // value * 10^scale = whole + fraction, with fraction compared against one half.
    std::uint64_t whole = 0;
    bool aboveHalf = false;
    bool atHalf = false;
    bool fractionZero = true;
    if (shift >= 0) {
        if (shift >= 64 || (product >> (64 - shift)) != 0)
            return false;
        whole = static_cast<std::uint64_t>(product << shift);
    } else {
        const int right = -shift;
        if (right >= 120)
            return false;
        const unsigned __int128 remainder
            = product & ((static_cast<unsigned __int128>(1) << right) - 1);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (right - 1);
        whole = static_cast<std::uint64_t>(product >> right);
        aboveHalf = remainder > half;
        atHalf = remainder == half;
        fractionZero = remainder == 0;
    }
    // whole < 10^18: the estimate is at most one too small.
    const bool eighteen = whole >= Digits17;
    const std::uint64_t tenth = whole / 10;
    const std::uint64_t lastDigit = whole % 10;
    if (eighteen ? (lastDigit == 5 && fractionZero) : atHalf)
        return false;
    const bool up = eighteen ? (lastDigit > 5 || (lastDigit == 5 && !fractionZero)) : aboveHalf;
    std::uint64_t rounded = (eighteen ? tenth : whole) + (up ? 1 : 0);
    int first = decimal + (eighteen ? 1 : 0);
    if (rounded >= Digits17) {
        // Rounded up to the next power of ten.
        rounded = Digits16;
        ++first;
    }
    if (rounded < Digits16)
        return false;
    digits = rounded;
    exponent = first;
    return true;
}

} // namespace

[[gnu::noinline]] char *writeRareDigits(char *out, const SeventeenDigits &d, int exponent)
{
    if (exponent < -4 || exponent >= 17) {
        // d.ddde-XX as "%.17g" writes it.
        storeDigits(out, d, true);
        out += d.length > 1 ? d.length + 1 : 1;
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    const int whole = exponent + 1;
    char text[24];
    storeDigits(text, d, false);
    if (d.length <= whole) {
        std::memcpy(out, text, static_cast<std::size_t>(d.length));
        std::memset(out + d.length, '0', static_cast<std::size_t>(whole - d.length));
        return out + whole;
    }
    std::memcpy(out, text, static_cast<std::size_t>(whole));
    out[whole] = '.';
    std::memcpy(out + whole + 1, text + whole, static_cast<std::size_t>(d.length - whole));
    return out + d.length + 1;
}

[[gnu::noinline]] char *writeOtherReal(char *out, double value)
{
    if (!std::isfinite(value) || value == 0)
        return writeSlow(out, value);
    // Whole numbers below 2^53 print as integers.
    if (std::fabs(value) < 9007199254740992.0) {
        const auto whole = static_cast<std::int64_t>(value);
        if (static_cast<double>(whole) == value)
            return std::to_chars(out, out + MaxCsvRealLength, whole).ptr;
    }
    std::uint64_t digits = 0;
    int exponent = 0;
    if (!seventeenDigits(std::fabs(value), digits, exponent))
        return writeSlow(out, value);
    if (value < 0)
        *out++ = '-';
    return writeDigits(out, digits, exponent);
}

} // namespace CsvRealDigits

char *writeCsvReal(char *out, double value)
{
    return CsvRealDigits::formatReal(out, value);
}

std::string csvReal(double value)
{
    std::array<char, MaxCsvRealLength> buffer {};
    return std::string(buffer.data(), writeCsvReal(buffer.data(), value));
}

} // namespace Demagora
