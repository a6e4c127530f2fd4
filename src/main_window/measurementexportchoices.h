#pragma once

#include "measurements/measurementfiles.h"
#include "measurements/measurementsettings.h"

#include <string>

namespace Demagora {

// The formats the export dialog offers, in the order of its list.
enum class ExportFormat { Magic = 0, PuffinPlot = 1, Utrecht = 2 };

// The export dialog's fields as typed. The defaults are the program's defaults.
struct MeasurementExportChoices
{
    std::string steps = "every:50";
    ExportFormat format = ExportFormat::Magic;
    std::string scale = "0.001"; // A/m per unit
    std::string volume = "10"; // cm3
    std::string noise = "0"; // A/m
    std::string noiseSeed = "1";
    std::string prefix = "sim";
    std::string latitude = "0"; // degrees, of the site and location
    std::string longitude = "0";
    std::string target; // a folder for MagIC, a file otherwise

    bool operator==(const MeasurementExportChoices &) const = default;
};

// Reads the numbers with the decimal separator of the user's locale. Throws MeasurementError
// or ConversionError with the user's message.
MeasurementSettings readMeasurementChoices(
    const MeasurementExportChoices &choices, const std::string &decimalSeparator);

// The one target of the chosen format. Throws MeasurementError when none is given.
MeasurementTargets measurementTargets(const MeasurementExportChoices &choices);

} // namespace Demagora
