#include "text/numbertext.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace Demagora {

namespace {

// Qt sets the C locale from the environment, so the plain strtod could expect a comma.
// The number is checked and normalised to a point first, then converted in the "C" locale.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

[[noreturn]] void throwFloatError(std::string_view text)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

[[noreturn]] void throwIntegerError(std::string_view text)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

// Checks the strict decimal form and returns it with a point as separator, without blanks;
// an empty result means the text is not such a number.
std::string normalisedDecimal(std::string_view text, std::string_view decimalSeparator)
{
    std::string number;
    std::size_t i = 0;
    const std::size_t size = text.size();
    while (i < size && text[i] == ' ')
        ++i;
    if (i < size && (text[i] == '+' || text[i] == '-'))
        number += text[i++];

    int mantissaDigits = 0;
    bool separatorSeen = false;
    while (i < size) {
        if (isDigit(text[i])) {
            number += text[i++];
            ++mantissaDigits;
        } else if (!separatorSeen && !decimalSeparator.empty()
            && text.substr(i).starts_with(decimalSeparator)) {
            number += '.';
            i += decimalSeparator.size();
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return {};

    if (i < size && (text[i] == 'E' || text[i] == 'e')) {
        number += 'e';
        ++i;
        if (i < size && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        int exponentDigits = 0;
        while (i < size && isDigit(text[i])) {
            number += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return {};
    }

    while (i < size && text[i] == ' ')
        ++i;
    if (i != size)
        return {};
    return number;
}

} // namespace

double parseDecimal(std::string_view text, std::string_view decimalSeparator)
{
    const std::string number = normalisedDecimal(text, decimalSeparator);
    if (number.empty())
        throwFloatError(text);

    char *end = nullptr;
    errno = 0;
    const double value = strtod_l(number.c_str(), &end, cLocale());
    // An overflow comes back as an infinity; an underflow (a tiny value or 0) is accepted.
    if (end != number.c_str() + number.size() || std::isinf(value))
        throwFloatError(text);
    return value;
}

std::int32_t parseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        throwIntegerError(text);

    // The magnitude is read unsigned so that -2147483648 fits before the sign is applied.
    std::uint64_t magnitude = 0;
    const char *first = text.data() + i;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, magnitude);
    if (error != std::errc() || end != last)
        throwIntegerError(text);

    if (magnitude > (std::uint64_t { 1 } << 31))
        throwIntegerError(text);
    const std::int64_t value
        = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (value > std::numeric_limits<std::int32_t>::max())
        throwIntegerError(text);
    return static_cast<std::int32_t>(value);
}

std::string formatGeneral(long double value, std::string_view decimalSeparator)
{
    std::string text;
    appendGeneral(text, value, decimalSeparator);
    return text;
}

void appendGeneral(std::string &text, long double value, std::string_view decimalSeparator)
{
    if (std::isnan(value)) {
        text += "NAN";
        return;
    }
    if (std::isinf(value)) {
        text += value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0) {
        text += '0';
        return;
    }

    // Rounded to 15 significant digits first: the notation follows the rounded exponent, so
    // 9.99999999999999949E-5 becomes 0.0001 and not 1E-4.
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 14);
    const std::string_view scientific(buffer.data(), result.ptr - buffer.data());

    const bool negative = scientific.front() == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t exponentMark = scientific.find('e');
    std::array<char, 32> digitBuffer {};
    std::size_t digitCount = 0;
    for (std::size_t i = mantissaStart; i < exponentMark && digitCount < digitBuffer.size(); ++i) {
        if (isDigit(scientific[i]))
            digitBuffer[digitCount++] = scientific[i];
    }
    while (digitCount > 1 && digitBuffer[digitCount - 1] == '0')
        --digitCount;
    const std::string_view digits(digitBuffer.data(), digitCount);

    int exponent = 0;
    std::string_view exponentText = scientific.substr(exponentMark + 1);
    if (exponentText.front() == '+')
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    // The value as 0.d1d2... x 10^e.
    const int e = exponent + 1;

    if (negative)
        text += '-';
    if (e >= -3 && e <= 15) {
        if (e > 0) {
            const auto whole = static_cast<std::size_t>(e);
            if (digits.size() <= whole) {
                text += digits;
                text.append(whole - digits.size(), '0');
            } else {
                text += digits.substr(0, whole);
                text += decimalSeparator;
                text += digits.substr(whole);
            }
        } else {
            text += '0';
            text += decimalSeparator;
            text.append(static_cast<std::size_t>(-e), '0');
            text += digits;
        }
    } else {
        text += digits.front();
        if (digits.size() > 1) {
            text += decimalSeparator;
            text += digits.substr(1);
        }
        text += 'E';
        std::array<char, 16> exponentDigits {};
        const auto written = std::to_chars(
            exponentDigits.data(), exponentDigits.data() + exponentDigits.size(), exponent);
        text.append(exponentDigits.data(), written.ptr);
    }
}

std::string shortestText(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

} // namespace Demagora
