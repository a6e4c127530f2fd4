#pragma once

#include "model/usererror.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Demagora {

// A typed text that is not a number. The message is the one the user reads; the general
// error handler adds the closing full stop.
using ConversionError = UserError<struct ConversionLayer>;

// Reads a decimal number: optional blanks, optional sign, digits with at most one
// decimalSeparator (at least one digit), optional exponent (E or e, optional sign, digits),
// optional blanks, nothing else. A magnitude beyond the double range is refused.
// Throws ConversionError "'%s' is not a valid floating point value".
double parseDecimal(std::string_view text, std::string_view decimalSeparator = ".");

// Reads a whole number in the 32-bit range.
// Throws ConversionError "'%s' is not a valid integer value".
std::int32_t parseInteger(std::string_view text);

// The general format with 15 significant digits: fixed notation for decimal exponents
// from -3 to 15 of the form 0.d1d2... x 10^E, otherwise d1.d2...E<exp>; trailing zeros
// dropped. Written from the long double itself.
std::string formatGeneral(long double value, std::string_view decimalSeparator = ".");
// The same text appended to text, without allocating beyond text's own growth.
void appendGeneral(std::string &text, long double value, std::string_view decimalSeparator = ".");

// The shortest text that reads back to the same double ("0.1", "1e-05", "250").
std::string shortestText(double value);

} // namespace Demagora
