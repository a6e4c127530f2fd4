#pragma once

// The digit code of the 17-digit formatter, for the .cpp files that inline it into their own
// loops (the rows of a series). Not a public header: csvreal.h is. How the integers are kept
// from overflowing, and when the library's conversion takes over, is set out in csvreal.cpp.

#include "text/csvreal.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace Demagora::CsvRealDigits {

// Powers of five up to 5^27 < 2^63: with a 53-bit mantissa the product stays below 2^116.
inline constexpr int FastScales = 28;

constexpr std::array<std::uint64_t, FastScales> powersOfFive()
{
    std::array<std::uint64_t, FastScales> powers {};
    std::uint64_t power = 1;
    for (int k = 0; k < FastScales; ++k) {
        powers[static_cast<std::size_t>(k)] = power;
        power *= 5;
    }
    return powers;
}

inline constexpr std::array<std::uint64_t, FastScales> PowersOfFive = powersOfFive();
inline constexpr std::uint64_t Digits16 = 10'000'000'000'000'000ULL; // 10^16
inline constexpr std::uint64_t Digits17 = 100'000'000'000'000'000ULL; // 10^17

// The doubles nearest to 10^-6 ... 10^17, against which a value's decimal exponent is settled.
inline constexpr std::array<double, 24> DecadeStarts = { 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,
    1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17 };

// The 17 significant digits of a positive value from 10^-6 to about 10^15 (the values most
// series hold) as an integer from 10^16 to 10^17 - 1, and the decimal exponent of its first
// digit: the exponent is settled by one comparison with the start of its decade, so the
// product has exactly 17 digits before the point, and the part shifted off lies within one
// 64-bit word. False for other values, for exact ties and for the one value of a decade that
// its start, rounded down, would misplace; writeOtherReal settles those.
inline bool commonSeventeenDigits(double value, std::uint64_t &digits, int &exponent)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    // floor(log10(2^(biased - 1023))): the decimal exponent or one less.
    const int estimate = ((biased - 1023) * 78913) >> 18;
    const auto decade = static_cast<unsigned>(estimate + 7);
    if (decade >= DecadeStarts.size())
        return false;
    const int decimal = estimate + (value >= DecadeStarts[decade] ? 1 : 0);
    const auto scale = static_cast<unsigned>(16 - decimal);
    if (scale >= FastScales)
        return false;
    const std::uint64_t mantissa
        = (bits & ((std::uint64_t { 1 } << 52) - 1)) | (std::uint64_t { 1 } << 52);
    // value * 10^scale = mantissa * 5^scale / 2^right.
    const unsigned __int128 product
        = static_cast<unsigned __int128>(mantissa) * PowersOfFive[scale];
    const auto right = static_cast<unsigned>(1075 - biased - static_cast<int>(scale));
    if (right - 1 > 62)
        return false;
    const auto whole = static_cast<std::uint64_t>(product >> right);
    // Below 10^16 only when the decade's start misplaced the value.
    if (whole < Digits16)
        return false;
    const std::uint64_t half = std::uint64_t { 1 } << (right - 1);
    const std::uint64_t fraction = static_cast<std::uint64_t>(product) & ((half << 1) - 1);
    if (fraction == half)
        return false;
    std::uint64_t rounded = whole + (fraction > half ? 1 : 0);
    int first = decimal;
    if (rounded >= Digits17) {
        // Rounded up to the next power of ten.
        rounded = Digits16;
        ++first;
    }
    digits = rounded;
    exponent = first;
    return true;
}

inline constexpr std::uint64_t Digits8 = 100'000'000;
inline constexpr std::uint64_t AsciiZeros = 0x3030303030303030ULL;

// The 17 digits of a value: the first, then two words of eight characters each in reading
// order, and how many digits remain without the trailing zeros.
struct SeventeenDigits
{
    char first;
    std::uint64_t middle;
    std::uint64_t last;
    int length;
};

// The four characters of every number below 10^4, first digit in the lowest byte.
constexpr std::array<std::uint32_t, 10000> fourDigitTexts()
{
    std::array<std::uint32_t, 10000> texts {};
    for (std::uint32_t i = 0; i < texts.size(); ++i) {
        texts[i] = ('0' + i / 1000) | (('0' + i / 100 % 10) << 8) | (('0' + i / 10 % 10) << 16)
            | (('0' + i % 10) << 24);
    }
    return texts;
}

alignas(64) inline constexpr std::array<std::uint32_t, 10000> FourDigitTexts = fourDigitTexts();

// The digits of value, from 10^16 to 10^17 - 1: the first, and the others as four groups of
// four read from a table (40 KB, mostly in the processor's near caches while a series is
// written). Both quotients by 10^8 and 10^16 come from value itself, which keeps the chain of
// multiplications short.
inline SeventeenDigits splitDigits(std::uint64_t value)
{
    const std::uint64_t upper = value / Digits8;
    const auto high = static_cast<std::uint32_t>(value / Digits16);
    const auto lower = static_cast<std::uint32_t>(value - upper * Digits8);
    const auto middle = static_cast<std::uint32_t>(upper - std::uint64_t { high } * Digits8);
    const std::uint32_t middleHigh = middle / 10000;
    const std::uint32_t lowerHigh = lower / 10000;
    const std::uint64_t middleText = FourDigitTexts[middleHigh]
        | (std::uint64_t { FourDigitTexts[middle - middleHigh * 10000] } << 32);
    const std::uint64_t lastText = FourDigitTexts[lowerHigh]
        | (std::uint64_t { FourDigitTexts[lower - lowerHigh * 10000] } << 32);
    // The digits are the highest bytes: the bytes of '0' on top are the trailing zeros.
    const std::uint64_t last = lastText ^ AsciiZeros;
    const std::uint64_t middleDigits = middleText ^ AsciiZeros;
    const int length = last != 0 ? 17 - std::countl_zero(last) / 8
        : middleDigits != 0      ? 9 - std::countl_zero(middleDigits) / 8
                                 : 1;
    return { static_cast<char>('0' + high), middleText, lastText, length };
}

// The digits are stored straight from registers, never copied through a buffer in memory:
// reading back a text just written in pieces stalls the processor on every value.
[[gnu::always_inline]] inline void storeWord(char *out, std::uint64_t word)
{
    std::memcpy(out, &word, 8);
}

// Writes the 17 digits at out, the first of them followed by the decimal point when point is
// set; returns where the seventeenth ends.
[[gnu::always_inline]] inline char *storeDigits(char *out, const SeventeenDigits &d, bool point)
{
    out[0] = d.first;
    out[1] = '.';
    const int shift = point ? 1 : 0;
    storeWord(out + 1 + shift, d.middle);
    storeWord(out + 9 + shift, d.last);
    return out + 17 + shift;
}

// The digits in the notations that are rare in a series: d.ddde-XX, and whole numbers or
// more than eight digits before the point. Out of line, in csvreal.cpp.
char *writeRareDigits(char *out, const SeventeenDigits &d, int exponent);

// Writes the digits as "%.17g" does. out has room for MaxCsvRealLength characters; characters
// beyond the returned end may be overwritten. Inline, with the rare notations out of line.
[[gnu::always_inline]] inline char *writeDigits(char *out, std::uint64_t digits, int exponent)
{
    const SeventeenDigits d = splitDigits(digits);
    if (exponent >= -4 && exponent < 0) {
        // Up to three zeros after the point, then the digits.
        std::memcpy(out, "0.000", 5);
        out += 1 - exponent;
        storeDigits(out, d, false);
        return out + d.length;
    }
    const int whole = exponent + 1;
    if (exponent >= 0 && d.length > whole && whole <= 8) {
        // The point goes among the middle word's characters: the k before it stay, the rest
        // move up one place, and the one pushed out of the word comes next.
        const int k = whole - 1;
        const std::uint64_t kept = (std::uint64_t { 1 } << (8 * k)) - 1;
        const std::uint64_t word
            = (d.middle & kept) | (std::uint64_t { '.' } << (8 * k)) | ((d.middle & ~kept) << 8);
        out[0] = d.first;
        storeWord(out + 1, word);
        out[9] = static_cast<char>(d.middle >> 56);
        storeWord(out + 10, d.last);
        return out + d.length + 1;
    }
    return writeRareDigits(out, d, exponent);
}

// writeCsvReal for every value but the common ones. Out of line, in csvreal.cpp.
char *writeOtherReal(char *out, double value);

// writeCsvReal, for inlining into a loop.
[[gnu::always_inline]] inline char *formatReal(char *out, double value)
{
    std::uint64_t digits = 0;
    int exponent = 0;
    // Most values: no branch on the sign, whole numbers among them (their digits end before
    // the point).
    if (commonSeventeenDigits(std::fabs(value), digits, exponent)) [[likely]] {
        *out = '-';
        return writeDigits(out + (value < 0 ? 1 : 0), digits, exponent);
    }
    return writeOtherReal(out, value);
}

} // namespace Demagora::CsvRealDigits
