#pragma once

#include <string>

namespace Demagora {

// Numbers as the measurement files write them: with '.' whatever the locale, never NaN.

// Ten significant digits, in exponent form only where plain digits would not do.
std::string formatMeasuredValue(double value);

// A direction with ten decimals, so that a moment read back from its direction and intensity
// keeps ten significant digits; a declination that rounds to 360 is written as 0.
std::string formatDeclination(double degrees);
std::string formatInclination(double degrees);

} // namespace Demagora
