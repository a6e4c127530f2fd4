#include "measurements/jr6reader.h"

#include "measurements/readertext.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Demagora {

namespace {

constexpr std::size_t NameWidth = 10;
constexpr std::size_t StepWidth = 8;
constexpr std::size_t AxisWidth = 6;
constexpr std::size_t ExponentWidth = 4;
// The powers of ten a magnetization in A/m can take, far beyond either end of what a
// magnetometer measures: past them the exponent is a misread column.
constexpr double MaxExponent = 20;

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.')
            return false;
    return true;
}

std::string_view columns(std::string_view line, std::size_t start, std::size_t width)
{
    return start < line.size() ? line.substr(start, width) : std::string_view();
}

// The x axis from the azimuth and dip as the orientation parameters say they were measured.
// P1 = 12 is the azimuth of the x axis itself; P2 = 90 a dip measured of the core axis, so the
// x axis dips 90 degrees less, P2 = 0 the dip of the x axis.
std::optional<SpecimenOrientation> orientationFrom(double azimuth, double dip, int p1, int p2)
{
    if (p1 != 12 || (p2 != 0 && p2 != 90))
        return std::nullopt;
    return SpecimenOrientation { azimuth, p2 == 90 ? dip - 90 : dip };
}

} // namespace

std::optional<RawStep> jr6Step(std::string_view spelling)
{
    RawStep step;
    std::string text = lowerCase(trimmed(spelling));
    if (text.ends_with("c"))
        text = std::string(trimmed(std::string_view(text).substr(0, text.size() - 1)));
    if (text == "nrm") {
        step.treatment = Treatment::Nrm;
        return step;
    }
    std::string_view rest = text;
    step.treatment = Treatment::Thermal;
    if (rest.starts_with("td") || rest.starts_with("th")) {
        rest.remove_prefix(2);
    } else if (rest.starts_with("t")) {
        rest.remove_prefix(1);
    } else if (rest.starts_with("af") || rest.starts_with("ad")) {
        rest.remove_prefix(2);
        step.treatment = Treatment::AlternatingField;
    } else if (rest.starts_with("a") || rest.starts_with("m")) {
        rest.remove_prefix(1);
        step.treatment = Treatment::AlternatingField;
    }
    if (!allDigits(rest)) {
        step.treatment = Treatment::Other;
        return step;
    }
    const std::optional<double> level = numberOrNothing(rest);
    if (!level)
        return std::nullopt;
    step.level = *level;
    return step;
}

bool looksLikeJr6(const std::string &bytes)
{
    const TextLines lines = measurementLines("", bytes);
    if (lines.size() == 0 || lines.line(0).size() < 40)
        return false;
    const std::vector<std::string_view> rest = splitWhitespace(lines.line(0).substr(18));
    if (rest.size() < 14)
        return false;
    return std::all_of(rest.begin(), rest.begin() + 14,
        [](std::string_view field) { return numberOrNothing(field).has_value(); });
}

MeasurementSet readJr6(const std::string &path, const ReadOptions &options)
{
    const TextLines lines = measurementLines(path, readMeasurementFile(path));
    MeasurementSet set;
    set.summary.format = MeasurementFormat::Jr6;
    SpecimenCollector collector(options, set.summary);
    bool noteOrientation = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines.line(i);
        if (trimmed(line).empty())
            continue;
        const std::string name(trimmed(columns(line, 0, NameWidth)));
        if (name.empty())
            lines.fail(i, "expected a specimen name in the first 10 columns.");
        const std::string_view spelling = columns(line, NameWidth, StepWidth);
        std::optional<RawStep> read = jr6Step(spelling);
        if (!read)
            lines.fail(i,
                "columns 11-18: expected a step such as NRM, T250 or A30, found "
                    + shownText(trimmed(spelling)) + ".");
        RawStep step = *read;
        if (const std::optional<std::string> refusal = levelRefusal(step.treatment, step.level))
            lines.fail(i, "columns 11-18: " + *refusal);
        std::size_t at = NameWidth + StepWidth;
        double axes[3] = {};
        const char *axisNames[3] = { "X", "Y", "Z" };
        bool missing = false;
        for (int k = 0; k < 3; ++k, at += AxisWidth) {
            const std::optional<double> value
                = parseOptionalNumber(columns(line, at, AxisWidth), lines, i,
                    std::string("the ") + axisNames[k] + " component in columns "
                        + std::to_string(at + 1) + "-" + std::to_string(at + AxisWidth));
            missing = missing || !value;
            axes[k] = value.value_or(0);
        }
        const std::optional<double> exponent
            = parseOptionalNumber(columns(line, at, ExponentWidth), lines, i, "the exponent");
        if (exponent && std::fabs(*exponent) > MaxExponent)
            lines.fail(i,
                "expected an exponent from -20 to 20 in columns " + std::to_string(at + 1) + "-"
                    + std::to_string(at + ExponentWidth) + ", found "
                    + shownText(trimmed(columns(line, at, ExponentWidth))) + ".");
        at += ExponentWidth;
        const std::vector<std::string_view> rest = splitWhitespace(columns(line, at, line.size()));
        if (rest.size() < 10)
            lines.fail(i,
                "the line ends after " + std::to_string(rest.size())
                    + " values past the exponent; expected azimuth, dip, four bedding values "
                      "and the orientation parameters P1-P4.");
        const double azimuth = parseNumber(rest[0], lines, i, "the azimuth in degrees");
        const double dip = parseNumber(rest[1], lines, i, "the dip in degrees");
        const double bedDirection = parseNumber(rest[2], lines, i, "the bedding dip direction");
        const double bedDip = parseNumber(rest[3], lines, i, "the bedding dip");
        const double p1 = parseNumber(rest[6], lines, i, "the orientation parameter P1");
        const double p2 = parseNumber(rest[7], lines, i, "the orientation parameter P2");
        const double p3 = parseNumber(rest[8], lines, i, "the orientation parameter P3");
        step.missingMoment = missing || !exponent;
        const double scale = std::pow(10.0, exponent.value_or(0));
        step.x = axes[0] * scale;
        step.y = axes[1] * scale;
        step.z = axes[2] * scale;
        Specimen &specimen = collector.specimen(name);
        specimen.unit = MomentUnit::AmperePerMetre;
        specimen.orientation = orientationFrom(azimuth, dip, int(p1), int(p2));
        noteOrientation = noteOrientation || !specimen.orientation;
        // P3 = 12: the first bedding pair is the dip direction and dip.
        if (int(p3) == 12)
            specimen.bedding = Bedding { bedDirection, bedDip };
        else
            specimen.bedding.reset();
        collector.add(name, step);
    }
    set.specimens = collector.finish();
    set.files = { path };
    if (std::optional<std::string> note = unendedLastLineNote(lines))
        set.summary.notes.push_back(std::move(*note));
    if (noteOrientation)
        set.summary.notes.push_back("Orientation parameters other than P1 = 12 with P2 = 0 or "
                                    "90 are not read: those specimens have no orientation.");
    return set;
}

} // namespace Demagora
