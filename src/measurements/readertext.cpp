#include "measurements/readertext.h"

#include "measurements/filesread.h"
#include "measurements/measurementerror.h"
#include "text/numbertext.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>
#include <cmath>

namespace Demagora {

namespace {

[[noreturn]] void refuseMeasurementText(const std::string &message)
{
    throw MeasurementError(message);
}

} // namespace

TextLines measurementLines(std::string path, std::string text)
{
    return TextLines(std::move(path), std::move(text),
        TextRefusal { refuseMeasurementText, "a measurement file" });
}

TextLines measurementLinesInPieces(FilesRead &files, const std::string &path)
{
    FilesRead::Pieces pieces = files.openInPieces(path);
    return TextLines(path, pieces.size, std::move(pieces.read),
        TextRefusal { refuseMeasurementText, "a measurement file" });
}

std::optional<std::string> unendedLastLineNote(const TextLines &lines)
{
    if (!lines.lastLineUnended())
        return std::nullopt;
    return shownPath(lines.path()) + ", line " + std::to_string(lines.size())
        + ": the last line has no line end; if the file was cut there, its last value may "
          "have been cut short.";
}

std::vector<std::string_view> splitWhitespace(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> levelRefusal(Treatment treatment, double level)
{
    const auto text = [](double value) { return shortestText(value); };
    if (treatment == Treatment::Thermal
        && !(level >= MinThermalCelsius && level <= MaxThermalCelsius))
        return "expected a temperature from " + text(MinThermalCelsius) + " to "
            + text(MaxThermalCelsius) + " degrees Celsius, found " + text(level) + ".";
    if (treatment == Treatment::AlternatingField && !(level >= 0 && level <= MaxAfMillitesla))
        return "expected an AF field from 0 to " + text(MaxAfMillitesla) + " mT, found "
            + text(level) + ".";
    return std::nullopt;
}

std::optional<double> parseOptionalNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what)
{
    field = trimmed(field);
    const auto lower = [](char c) { return char(c | 0x20); };
    if (field.empty()
        || (field.size() == 3 && lower(field[0]) == 'n' && lower(field[1]) == 'a'
            && lower(field[2]) == 'n'))
        return std::nullopt;
    if (const std::optional<double> value = numberOrNothing(field))
        return value;
    lines.fail(index, "expected " + std::string(what) + ", found " + shownText(field) + ".");
}

double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, std::string_view what)
{
    if (const std::optional<double> value = parseOptionalNumber(field, lines, index, what))
        return *value;
    lines.fail(index, "expected " + std::string(what) + ", found an empty field.");
}

} // namespace Demagora
