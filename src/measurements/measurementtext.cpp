#include "measurements/measurementtext.h"

#include <charconv>
#include <cmath>

namespace Demagora {

namespace {

std::string fixed10(double value)
{
    char buffer[64];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 10);
    std::string text(buffer, result.ptr);
    // A tiny negative value would read "-0.0000000000"; a reader may take the sign for a
    // direction.
    if (text == "-0.0000000000")
        text.erase(0, 1);
    return text;
}

} // namespace

std::string formatMeasuredValue(double value)
{
    if (!std::isfinite(value))
        value = 0;
    char buffer[64];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    return std::string(buffer, result.ptr);
}

std::string formatDeclination(double degrees)
{
    if (!std::isfinite(degrees))
        degrees = 0;
    std::string text = fixed10(degrees);
    if (text == "360.0000000000")
        text = "0.0000000000";
    return text;
}

std::string formatInclination(double degrees)
{
    return fixed10(std::isfinite(degrees) ? degrees : 0);
}

} // namespace Demagora
