#pragma once

#include <string>

namespace Demagora {

// A double in the shortest form of 17 significant digits ("%.17g" in the "C" locale): the
// text reads back bit for bit and does not depend on the locale. Used by every CSV writer.
std::string csvReal(double value);

// The same text written at out, which has room for at least MaxCsvRealLength characters;
// returns the end of the text. The characters after the end may be overwritten.
inline constexpr int MaxCsvRealLength = 40;
char *writeCsvReal(char *out, double value);

} // namespace Demagora
