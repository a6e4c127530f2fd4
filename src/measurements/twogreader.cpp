#include "measurements/twogreader.h"

#include "measurements/measurementerror.h"
#include "measurements/readertext.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>

namespace Demagora {

namespace {

constexpr double AmpereSquareMetresPerEmu = 1e-3;
// Label, three declination and inclination pairs, intensity and its error, three axes of four
// values (value, spread, count, signal to noise), three more values, the axis sign and the date.
constexpr std::size_t RecordFields = 26;
// The header is the fourth chunk of the file.
constexpr std::size_t HeaderChunk = 3;
constexpr std::size_t HeaderFieldsAfterDate = 7;

struct Token
{
    std::size_t offset;
    std::string text;
};

std::vector<Token> textRuns(const std::string &bytes, std::size_t from, std::size_t to)
{
    std::vector<Token> runs;
    std::size_t i = from;
    while (i < to) {
        while (i < to && (bytes[i] < 0x20 || bytes[i] > 0x7e))
            ++i;
        const std::size_t start = i;
        while (i < to && bytes[i] >= 0x20 && bytes[i] <= 0x7e)
            ++i;
        if (i > start)
            runs.push_back({ start, bytes.substr(start, i - start) });
    }
    return runs;
}

// The file is a chain of chunks, each a 16-bit little-endian length and that many bytes: three
// short chunks, the header, then per step its number and its record. The chain is walked, not
// kept: a file of empty chunks would otherwise take 8 times its size.
struct Chunk
{
    std::size_t offset;
    std::size_t size;
};

// The chunk at `at`, which then moves past it; nothing when the chain breaks off there.
std::optional<Chunk> nextChunk(const std::string &bytes, std::size_t &at)
{
    if (at + 2 > bytes.size())
        return std::nullopt;
    const std::size_t size = std::size_t(static_cast<unsigned char>(bytes[at]))
        | std::size_t(static_cast<unsigned char>(bytes[at + 1])) << 8;
    if (at + 2 + size > bytes.size())
        return std::nullopt;
    const Chunk chunk { at + 2, size };
    at += 2 + size;
    return chunk;
}

// How many chunks the file holds; nothing when the chain does not end exactly at its end.
std::optional<std::size_t> chunkCount(const std::string &bytes)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes.size(); ++count)
        if (!nextChunk(bytes, at))
            return std::nullopt;
    return count;
}

// "Mon dd yyyy" and anything after it: a capital and two small letters, spaces, one or two
// digits, spaces and four digits. Scanned by hand: a regular expression overflowed the stack
// on a header run of some ten thousand characters.
bool isDate(std::string_view text)
{
    std::size_t at = 0;
    const auto count = [&](auto accepted, std::size_t most) {
        std::size_t n = 0;
        while (at < text.size() && n < most && accepted(static_cast<unsigned char>(text[at]))) {
            ++at;
            ++n;
        }
        return n;
    };
    const auto upper = [](unsigned char c) { return c >= 'A' && c <= 'Z'; };
    const auto lower = [](unsigned char c) { return c >= 'a' && c <= 'z'; };
    const auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    const auto space = [](unsigned char c) { return c == ' '; };
    const std::size_t none = std::string_view::npos;
    if (count(upper, 1) != 1 || count(lower, 2) != 2 || count(space, none) == 0)
        return false;
    if (count(digit, 2) == 0 || (at < text.size() && digit(text[at])))
        return false;
    return count(space, none) > 0 && count(digit, 4) == 4;
}

[[noreturn]] void fail(const std::string &path, const std::string &where, const std::string &what)
{
    throw MeasurementError(shownPath(path) + ", " + where + ": " + what);
}

double number(
    const std::string &path, const std::string &where, const Token &token, const std::string &what)
{
    if (const std::optional<double> value = numberOrNothing(token.text))
        return *value;
    fail(path, where, "expected " + what + ", found " + shownText(token.text) + ".");
}

RawStep stepFromLabel(const std::string &label)
{
    RawStep step;
    std::string text = lowerCase(trimmed(label));
    if (text == "nrm")
        return step;
    step.treatment = Treatment::Other;
    std::string unit;
    while (!text.empty() && std::isalpha(static_cast<unsigned char>(text.back()))) {
        unit.insert(unit.begin(), text.back());
        text.pop_back();
    }
    std::string prefix;
    while (!text.empty() && std::isalpha(static_cast<unsigned char>(text.front()))) {
        prefix += text.front();
        text.erase(text.begin());
    }
    const std::optional<double> level = numberOrNothing(text);
    if (!level)
        return step;
    if (unit == "c" && prefix.empty()) {
        step.treatment = Treatment::Thermal;
        step.level = *level;
    } else if (unit == "mt" || prefix == "af") {
        step.treatment = Treatment::AlternatingField;
        step.level = *level;
    }
    return step;
}

void readFile(const std::string &path, SpecimenCollector &collector, FilesRead &files)
{
    const std::string bytes = files.read(path);
    const std::optional<std::size_t> count = chunkCount(bytes);
    if (!count || *count < HeaderChunk + 1 || (*count - HeaderChunk - 1) % 2)
        fail(path, "byte 0",
            "expected a 2G binary file: a header and step records, each with its length; the "
            "file is truncated or of another kind.");
    std::size_t at = 0;
    for (std::size_t c = 0; c < HeaderChunk; ++c)
        nextChunk(bytes, at);
    const Chunk head = *nextChunk(bytes, at);
    const std::vector<Token> header = textRuns(bytes, head.offset, head.offset + head.size);
    std::size_t date = 0;
    while (date < header.size() && !isDate(header[date].text))
        ++date;
    if (date < 2 || date + HeaderFieldsAfterDate >= header.size())
        fail(path, "header",
            "expected the specimen name, volume and date, then core azimuth, "
            "core dip, bedding dip direction, bedding dip and declination "
            "correction.");
    const std::string name(trimmed(header[date - 2].text));
    Specimen &specimen = collector.specimen(name);
    const std::string where = "header";
    const double volume = number(path, where, header[date - 1], "a volume in cm3");
    const double azimuth = number(path, where, header[date + 1], "the core azimuth");
    const double dip = number(path, where, header[date + 2], "the core dip");
    const double bedDirection = number(path, where, header[date + 3], "the bedding dip direction");
    const double bedDip = number(path, where, header[date + 4], "the bedding dip");
    const double declination = number(path, where, header[date + 7], "the declination correction");
    specimen.volumeCubicMetres = volume * 1e-6;
    specimen.orientation = SpecimenOrientation { azimuth + declination, dip - 90 };
    specimen.bedding = Bedding { bedDirection + declination, bedDip };
    for (std::size_t r = 1; at < bytes.size(); ++r) {
        // The step's number, then its record: the count above holds them in pairs.
        nextChunk(bytes, at);
        const Chunk record = *nextChunk(bytes, at);
        const std::string where
            = "record " + std::to_string(r) + " (byte " + std::to_string(record.offset) + ")";
        const std::vector<Token> fields
            = textRuns(bytes, record.offset, record.offset + record.size);
        if (fields.size() < RecordFields)
            fail(path, where,
                "the record ends after " + std::to_string(fields.size()) + " values; expected "
                    + std::to_string(RecordFields) + ".");
        RawStep step = stepFromLabel(fields[0].text);
        if (const std::optional<std::string> refusal = levelRefusal(step.treatment, step.level))
            fail(path, where, *refusal);
        step.x = number(path, where, fields[9], "the X moment in emu") * AmpereSquareMetresPerEmu;
        step.y = number(path, where, fields[13], "the Y moment in emu") * AmpereSquareMetresPerEmu;
        step.z = number(path, where, fields[17], "the Z moment in emu") * AmpereSquareMetresPerEmu;
        collector.add(name, step);
    }
}

} // namespace

bool looksLikeTwoG(const std::string &bytes)
{
    // The first chunk is short text ("-1"), the header's length follows two more.
    return bytes.size() > 8 && bytes[1] == '\0' && static_cast<unsigned char>(bytes[0]) < 16
        && bytes.find('\0', 2) != std::string::npos && bytes.find("\xcd") != std::string::npos;
}

std::vector<std::string> twoGFilesIn(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        if (lowerCase(entry.path().extension().string()) == ".dat")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

MeasurementSet readTwoG(const std::vector<std::string> &paths, const ReadOptions &options)
{
    MeasurementSet set;
    set.summary.format = MeasurementFormat::TwoG;
    SpecimenCollector collector(options, set.summary);
    FilesRead files;
    for (const std::string &path : paths)
        readFile(path, collector, files);
    set.specimens = collector.finish();
    set.files = files.paths();
    return set;
}

} // namespace Demagora
