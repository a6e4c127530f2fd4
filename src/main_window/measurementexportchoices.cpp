#include "main_window/measurementexportchoices.h"

#include "measurements/measurementerror.h"
#include "text/numbertext.h"

#include <charconv>

namespace Demagora {

namespace {

std::uint64_t readSeed(const std::string &text)
{
    std::uint64_t seed = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, seed);
    if (text.empty() || error != std::errc() || end != last) {
        throw MeasurementError(
            "the noise seed '" + text + "' is not a whole number from 0 to 18446744073709551615");
    }
    return seed;
}

// A number of the dialog; a text that is none is refused naming the field as the dialog does.
double readNumber(const char *field, const std::string &text, const std::string &decimalSeparator)
{
    try {
        return parseDecimal(text, decimalSeparator);
    } catch (const ConversionError &) {
        throw MeasurementError(std::string(field) + ": '" + text + "' is not a number");
    }
}

} // namespace

MeasurementSettings readMeasurementChoices(
    const MeasurementExportChoices &choices, const std::string &decimalSeparator)
{
    MeasurementSettings settings;
    settings.schedule = parseSchedule(choices.steps);
    settings.scaleAPerM = readNumber("scale", choices.scale, decimalSeparator);
    settings.volumeCm3 = readNumber("specimen volume", choices.volume, decimalSeparator);
    settings.noiseAPerM = readNumber("noise", choices.noise, decimalSeparator);
    settings.noiseSeed = readSeed(choices.noiseSeed);
    settings.prefix = choices.prefix;
    settings.latitude = readNumber("site latitude", choices.latitude, decimalSeparator);
    settings.longitude = readNumber("site longitude", choices.longitude, decimalSeparator);
    checkMeasurementSettings(settings);
    return settings;
}

MeasurementTargets measurementTargets(const MeasurementExportChoices &choices)
{
    if (choices.target.empty())
        throw MeasurementError("choose where the measurements go");
    MeasurementTargets targets;
    switch (choices.format) {
    case ExportFormat::Magic:
        targets.magicFolder = choices.target;
        break;
    case ExportFormat::PuffinPlot:
        targets.puffinPlotPath = choices.target;
        break;
    case ExportFormat::Utrecht:
        targets.utrechtPath = choices.target;
        break;
    }
    return targets;
}

} // namespace Demagora
