#include "measurements/magictables.h"

#include "measurements/measurementtext.h"

#include <initializer_list>

namespace Demagora {

namespace {

constexpr const char *Citation = "This study";
// Degrees Celsius to kelvin as the tables count them: whole degrees plus 273.
constexpr int KelvinOffset = 273;

void writeRow(std::ostream &stream, std::initializer_list<std::string> fields)
{
    bool first = true;
    for (const std::string &field : fields) {
        if (!first)
            stream << '\t';
        stream << field;
        first = false;
    }
    stream << '\n';
}

std::string text(double value)
{
    return formatMeasuredValue(value);
}

// The controlled-vocabulary word for what a simulation does not know.
constexpr const char *NotSpecified = "Not Specified";

// Longitudes in the tables run from 0 to 360 degrees east: a west longitude is 360 minus it.
std::string eastLongitude(double degrees)
{
    return text(degrees < 0 ? degrees + 360 : degrees);
}

void writeLocations(std::ostream &stream, const SpecimenSource &measured)
{
    const MeasurementSettings &s = measured.settings();
    const std::string longitude = eastLongitude(s.longitude);
    writeRow(stream,
        { "location", "location_type", "geologic_classes", "lithologies", "lat_s", "lat_n", "lon_w",
            "lon_e", "age", "age_low", "age_high", "age_unit", "citations" });
    writeRow(stream,
        { s.prefix, "Outcrop", NotSpecified, NotSpecified, text(s.latitude), text(s.latitude),
            longitude, longitude, "0", "0", "0", "Ma", Citation });
}

void writeSites(std::ostream &stream, const SpecimenSource &measured)
{
    const MeasurementSettings &s = measured.settings();
    writeRow(stream,
        { "site", "location", "method_codes", "citations", "geologic_classes", "geologic_types",
            "lithologies", "lat", "lon", "age", "age_unit" });
    // GM-NO: no geochronology; the age 0 is a placeholder the tables require.
    writeRow(stream,
        { s.prefix, s.prefix, "GM-NO", Citation, NotSpecified, NotSpecified, NotSpecified,
            text(s.latitude), eastLongitude(s.longitude), "0", "Ma" });
}

void writeSamples(std::ostream &stream, const SpecimenSource &measured)
{
    // Azimuth 0 and dip 0: the specimen frame is the geographic one. SO-NO: not oriented in
    // the field, which a simulated specimen never was.
    writeRow(stream, { "sample", "site", "method_codes", "citations", "azimuth", "dip" });
    for (std::size_t member = 0; member < measured.specimenCount(); ++member)
        writeRow(stream,
            { measured.specimenName(member), measured.settings().prefix, "SO-NO", Citation, "0",
                "0" });
}

void writeSpecimens(std::ostream &stream, const SpecimenSource &measured)
{
    const std::string volumeM3 = text(measured.settings().volumeCm3 * 1e-6);
    writeRow(
        stream, { "specimen", "sample", "method_codes", "citations", "volume", "meas_step_unit" });
    for (std::size_t member = 0; member < measured.specimenCount(); ++member) {
        const std::string name = measured.specimenName(member);
        writeRow(stream, { name, name, "LP-DIR-T", Citation, volumeM3, "K" });
    }
}

void writeMeasurements(std::ostream &stream, const SpecimenSource &measured)
{
    writeRow(stream,
        { "measurement", "experiment", "specimen", "sequence", "quality", "standard",
            "method_codes", "citations", "treat_temp", "treat_ac_field", "treat_dc_field",
            "meas_temp", "dir_dec", "dir_inc", "magn_moment", "magn_volume" });
    const double cubicMetres = measured.settings().volumeCm3 * 1e-6;
    std::size_t sequence = 0;
    for (std::size_t member = 0; member < measured.specimenCount(); ++member) {
        const std::string name = measured.specimenName(member);
        const std::vector<MeasuredStep> steps = measured.specimen(member);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const MeasuredStep &step = steps[i];
            ++sequence;
            const bool nrm = i == 0;
            const int kelvin = nrm ? KelvinOffset : step.temperature + KelvinOffset;
            writeRow(stream,
                { name + "-" + std::to_string(i + 1), name + "-LP-DIR-T", name,
                    std::to_string(sequence), "g", "u", nrm ? "LT-NO:LP-DIR-T" : "LT-T-Z:LP-DIR-T",
                    Citation, std::to_string(kelvin), "0", "0", std::to_string(KelvinOffset),
                    formatDeclination(step.declination()), formatInclination(step.inclination()),
                    text(step.intensity() * cubicMetres), text(step.intensity()) });
        }
    }
}

} // namespace

std::string magicUploadFileName(const std::string &location)
{
    // A location read from a file may hold any character; the file name keeps the safe ones.
    std::string name;
    for (const char c : location) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '-' || c == '_' || c == '.';
        name += safe ? c : '_';
    }
    if (name.empty() || name.front() == '.')
        name.insert(name.begin(), 'x');
    return name + "_upload.txt";
}

std::string magicTableName(MagicTable table)
{
    switch (table) {
    case MagicTable::Locations:
        return "locations";
    case MagicTable::Sites:
        return "sites";
    case MagicTable::Samples:
        return "samples";
    case MagicTable::Specimens:
        return "specimens";
    case MagicTable::Measurements:
        return "measurements";
    }
    return {};
}

void writeMagicTable(std::ostream &stream, const SpecimenSource &measured, MagicTable table)
{
    stream << "tab\t" << magicTableName(table) << '\n';
    switch (table) {
    case MagicTable::Locations:
        writeLocations(stream, measured);
        break;
    case MagicTable::Sites:
        writeSites(stream, measured);
        break;
    case MagicTable::Samples:
        writeSamples(stream, measured);
        break;
    case MagicTable::Specimens:
        writeSpecimens(stream, measured);
        break;
    case MagicTable::Measurements:
        writeMeasurements(stream, measured);
        break;
    }
}

void writeMagicContribution(std::ostream &stream, const SpecimenSource &measured)
{
    stream << "tab\tcontribution\ndata_model_version\n3.0\n";
    // The order lets a reader resolve each row's parent before it meets the row.
    for (const MagicTable table : MagicTables) {
        stream << ">>>>>>>>>>\n";
        writeMagicTable(stream, measured, table);
    }
}

} // namespace Demagora
