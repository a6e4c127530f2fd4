#include "measurements/citreader.h"

#include "measurements/magicreader.h"
#include "measurements/measurementerror.h"
#include "measurements/readertext.h"
#include "measurements/specimencoordinates.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>

namespace Demagora {

namespace {

constexpr double AmpereSquareMetresPerEmu = 1e-3;

// The step's kind from the code in its first two columns, the level from the next four.
void readStepKind(std::string_view line, const TextLines &lines, std::size_t index, RawStep &step)
{
    if (line.starts_with("NRM")) {
        step.treatment = Treatment::Nrm;
        return;
    }
    const std::string code = lowerCase(trimmed(line.substr(0, 2)));
    if (code == "tt" || code == "t" || code == "th")
        step.treatment = Treatment::Thermal;
    else if (code == "af")
        step.treatment = Treatment::AlternatingField;
    else
        step.treatment = Treatment::Other;
    const std::string_view level = trimmed(line.substr(2, 4));
    if (step.treatment != Treatment::Other)
        step.level = parseNumber(level, lines, index, "a step level after the step code");
    if (const std::optional<std::string> refusal = levelRefusal(step.treatment, step.level))
        lines.fail(index, *refusal);
}

// The values of a step line after its code and level, each in the columns the format gives
// it (counted from 0, end excluded): a value out of place would move every value after it.
struct StepColumn
{
    std::size_t start;
    std::size_t end;
    const char *what;
};
constexpr StepColumn StepColumns[] = {
    { 6, 12, "the geographic declination" },
    { 12, 18, "the geographic inclination" },
    { 18, 24, "the tilt-corrected declination" },
    { 24, 30, "the tilt-corrected inclination" },
    { 30, 39, "the moment in emu" },
    { 39, 45, "the error angle" },
    { 45, 51, "the specimen declination" },
    { 51, 57, "the specimen inclination" },
};
constexpr std::size_t StepValues = std::size(StepColumns);

// The eight values of a step line, each checked to stand in its columns.
std::array<std::string_view, StepValues> stepValues(
    std::string_view line, const TextLines &lines, std::size_t index)
{
    std::array<std::string_view, StepValues> values;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t at = StepColumns[0].start;
    for (std::size_t k = 0; k < StepValues; ++k) {
        while (at < line.size() && blank(line[at]))
            ++at;
        if (at >= line.size())
            lines.fail(index,
                "the line ends after " + std::to_string(k)
                    + " values; expected 8 (geographic and tilt-corrected directions, moment, "
                      "error angle, specimen direction).");
        const std::size_t start = at;
        while (at < line.size() && !blank(line[at]))
            ++at;
        const StepColumn &column = StepColumns[k];
        values[k] = line.substr(start, at - start);
        if (start < column.start || at > column.end)
            lines.fail(index,
                "expected " + std::string(column.what) + " in columns "
                    + std::to_string(column.start + 1) + "-" + std::to_string(column.end)
                    + ", found " + shownText(values[k]) + " in columns " + std::to_string(start + 1)
                    + "-" + std::to_string(at)
                    + " (a value missing or added moves the ones after it).");
    }
    return values;
}

void readSpecimenFile(const std::string &path, const std::string &name, double declination,
    SpecimenCollector &collector, FilesRead &files, std::vector<std::string> &notes)
{
    const TextLines lines = measurementLines(path, files.read(path));
    if (std::optional<std::string> note = unendedLastLineNote(lines))
        notes.push_back(std::move(*note));
    if (lines.size() < 2)
        lines.fail(lines.size() == 0 ? 0 : 1,
            "expected a header line and an orientation line (level, core strike, core dip, "
            "bedding strike, bedding dip, volume).");
    const std::vector<std::string_view> orientation = splitWhitespace(lines.line(1));
    if (orientation.size() < 5)
        lines.fail(1,
            "expected the orientation line: level, core strike, core dip, bedding "
            "strike, bedding dip.");
    const double strike = parseNumber(orientation[1], lines, 1, "the core strike in degrees");
    const double dip = parseNumber(orientation[2], lines, 1, "the core dip in degrees");
    const double bedStrike = parseNumber(orientation[3], lines, 1, "the bedding strike");
    const double bedDip = parseNumber(orientation[4], lines, 1, "the bedding dip");
    // The sixth field, the core's volume in cm3, is left out by some files.
    std::optional<double> volume;
    if (orientation.size() > 5)
        volume = parseOptionalNumber(orientation[5], lines, 1, "the core volume in cm3");
    if (volume && !(*volume > 0))
        lines.fail(1, "expected the core volume in cm3 as a number above 0, not "
                + std::string(orientation[5]) + ".");
    Specimen &specimen = collector.specimen(name);
    specimen.unit = MomentUnit::AmpereSquareMetre;
    if (volume)
        specimen.volumeCubicMetres = *volume * 1e-6;
    specimen.orientation = SpecimenOrientation { strike + declination - 90, -dip };
    specimen.bedding = Bedding { bedStrike + declination + 90, bedDip };
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines.line(i);
        if (trimmed(line).empty())
            continue;
        if (line.size() < 7)
            lines.fail(i, "expected a step: a code and level, then directions and a moment.");
        RawStep step;
        readStepKind(line, lines, i, step);
        const std::array<std::string_view, StepValues> fields = stepValues(line, lines, i);
        const std::optional<double> moment
            = parseOptionalNumber(fields[4], lines, i, "a moment in emu");
        step.errorDegrees = parseOptionalNumber(fields[5], lines, i, "an error angle in degrees");
        const std::optional<double> dec
            = parseOptionalNumber(fields[6], lines, i, "the specimen declination");
        const std::optional<double> inc
            = parseOptionalNumber(fields[7], lines, i, "the specimen inclination");
        if (moment && dec && inc) {
            const Vector3 v = vectorFromDirection(*dec, *inc, *moment * AmpereSquareMetresPerEmu);
            step.x = v.x;
            step.y = v.y;
            step.z = v.z;
        } else {
            step.missingMoment = true;
        }
        collector.add(name, step);
    }
}

// Whether text is a number as the files write them.
bool isNumber(std::string_view text)
{
    if (text.empty())
        return false;
    const std::string copy(text);
    char *end = nullptr;
    std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size();
}

// The site and declination of the .sam file beside a specimen file that lists it, when one
// does; .sam files that cannot be read or do not list it are passed over.
struct SamOfSpecimen
{
    std::string path;
    std::string site;
    double declination = 0;
};

std::optional<SamOfSpecimen> samListing(const std::filesystem::path &specimenFile)
{
    namespace fs = std::filesystem;
    const std::string name = specimenFile.filename().string();
    std::error_code error;
    fs::directory_iterator entries(specimenFile.parent_path(), error);
    if (error)
        return std::nullopt;
    // A folder of a study holds one .sam file or a few; a folder of thousands is not searched.
    int samFiles = 0;
    for (const fs::directory_entry &entry : entries) {
        if (lowerCase(entry.path().extension().string()) != ".sam" || ++samFiles > 64)
            continue;
        try {
            FilesRead files;
            const TextLines sam = measurementLines(entry.path().string(), files.read(entry.path().string()));
            if (sam.size() < 3)
                continue;
            for (std::size_t i = 2; i < sam.size(); ++i) {
                if (trimmed(sam.line(i)) != name)
                    continue;
                SamOfSpecimen found { entry.path().string(), std::string(trimmed(sam.line(0))), 0 };
                const std::vector<std::string_view> place = splitWhitespace(sam.line(1));
                if (place.size() >= 3)
                    found.declination = parseNumber(place[2], sam, 1, "the magnetic declination");
                return found;
            }
        } catch (const MeasurementError &) {
        }
    }
    return std::nullopt;
}

MeasurementSet readCitSpecimen(const std::string &path, const ReadOptions &options)
{
    namespace fs = std::filesystem;
    const std::string name = fs::path(path).filename().string();
    MeasurementSet set;
    set.summary.format = MeasurementFormat::Cit;
    SpecimenCollector collector(options, set.summary);
    FilesRead files;
    const std::optional<SamOfSpecimen> sam = samListing(fs::path(path));
    readSpecimenFile(path, name, sam ? sam->declination : 0, collector, files, set.summary.notes);
    if (sam) {
        collector.specimen(name).site = sam->site;
        files.read(sam->path);
    } else {
        set.summary.notes.push_back(shownPath(path)
            + ": a CIT specimen file read alone; no .sam file beside it lists it, so its "
              "orientation has no magnetic declination added.");
    }
    set.specimens = collector.finish();
    set.files = files.paths();
    return set;
}

} // namespace

bool looksLikeCitSpecimen(const std::string &bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (lines.size() < 3 && start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(std::string_view(bytes).substr(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[end] == '\r' && bytes[start] == '\n')
            ++start;
    }
    if (lines.size() < 3)
        return false;
    const std::vector<std::string_view> orientation = splitWhitespace(lines[1]);
    if (orientation.size() < 5 || orientation.size() > 8
        || !std::all_of(orientation.begin(), orientation.end(), isNumber))
        return false;
    const std::string_view step = lines[2];
    if (step.size() < 57)
        return false;
    const std::string code = lowerCase(trimmed(step.substr(0, 2)));
    if (!step.starts_with("NRM") && code != "tt" && code != "t" && code != "th" && code != "af")
        return false;
    const std::vector<std::string_view> values = splitWhitespace(step.substr(6));
    return values.size() >= StepValues
        && std::all_of(values.begin(), values.begin() + StepValues, isNumber);
}

MeasurementSet readCit(const std::string &samPath, const ReadOptions &options)
{
    namespace fs = std::filesystem;
    if (lowerCase(fs::path(samPath).extension().string()) != ".sam")
        return readCitSpecimen(samPath, options);
    FilesRead files;
    const TextLines sam = measurementLines(samPath, files.read(samPath));
    if (sam.size() < 3)
        sam.fail(sam.size(),
            "expected the site, a line of latitude, longitude and declination, "
            "and at least one specimen name.");
    const std::string site(trimmed(sam.line(0)));
    const std::vector<std::string_view> place = splitWhitespace(sam.line(1));
    double declination = 0;
    if (place.size() >= 3)
        declination = parseNumber(place[2], sam, 1, "the magnetic declination in degrees");
    MeasurementSet set;
    set.summary.format = MeasurementFormat::Cit;
    SpecimenCollector collector(options, set.summary);
    const fs::path folder = fs::path(samPath).parent_path();
    for (std::size_t i = 2; i < sam.size(); ++i) {
        const std::string name(trimmed(sam.line(i)));
        if (name.empty())
            continue;
        const fs::path file = folder / name;
        std::error_code error;
        const fs::file_status status = fs::status(file, error);
        if (status.type() == fs::file_type::not_found)
            sam.fail(i, "expected a specimen file " + shownText(name) + " beside the .sam file.");
        if (error)
            sam.fail(i,
                "the specimen file " + shownText(name)
                    + " cannot be read: " + lowerCase(error.message()) + ".");
        if (!fs::is_regular_file(status))
            sam.fail(i,
                "the specimen file " + shownText(name)
                    + " is not a regular file (a folder, pipe, device or socket is never read).");
        readSpecimenFile(file.string(), name, declination, collector, files, set.summary.notes);
        collector.specimen(name).site = site;
    }
    set.specimens = collector.finish();
    // The .sam file's first line names the locality; the laboratory's own tables beside it,
    // where there are any, name each specimen's sample and site.
    takeNamesFromTablesBeside(folder.string(), set.specimens, files, set.summary.notes);
    set.files = files.paths();
    return set;
}

} // namespace Demagora
