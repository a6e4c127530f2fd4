#include "measurements/measurementreader.h"

#include "measurements/citreader.h"
#include "measurements/jr6reader.h"
#include "measurements/magicreader.h"
#include "measurements/measurementerror.h"
#include "measurements/puffinplotreader.h"
#include "measurements/readertext.h"
#include "measurements/twogreader.h"
#include "measurements/utrechtreader.h"

#include <algorithm>
#include <filesystem>

namespace Demagora {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t SniffBytes = 4096;

std::string extensionOf(const std::string &path)
{
    return lowerCase(fs::path(path).extension().string());
}

// Every .dat entry, whatever it is: one that is no regular file (a pipe, a dangling link) is
// refused when it is read rather than passed over, so that no file of the folder goes unread.
std::vector<std::string> twoGFilesIn(const std::string &folder)
{
    std::vector<std::string> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        if (extensionOf(entry.path().string()) == ".dat")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// A JR6 line: a name and step in fixed columns, then at least 14 numbers.
bool looksLikeJr6(const std::string &bytes)
{
    const TextLines lines("", bytes);
    if (lines.size() == 0 || lines.line(0).size() < 40)
        return false;
    const std::vector<std::string_view> rest = splitWhitespace(lines.line(0).substr(18));
    if (rest.size() < 14)
        return false;
    return std::all_of(rest.begin(), rest.begin() + 14,
        [](std::string_view field) { return numberOrNothing(field).has_value(); });
}

} // namespace

MeasurementFormat detectMeasurementFormat(const std::string &path)
{
    if (fs::is_directory(path)) {
        if (fs::exists(fs::path(path) / "measurements.txt")
            || fs::exists(fs::path(path) / "magic_measurements.txt"))
            return MeasurementFormat::Magic;
        if (!twoGFilesIn(path).empty())
            return MeasurementFormat::TwoG;
        throw MeasurementError(shownPath(path)
            + ": the folder holds no measurements.txt and no 2G .dat "
              "files.");
    }
    const std::string bytes = measurementFileStart(path, SniffBytes);
    const std::string extension = extensionOf(path);
    if (looksLikeMagic(bytes))
        return MeasurementFormat::Magic;
    if (bytes.starts_with("PuffinPlot file.") || extension == ".ppl")
        return MeasurementFormat::PuffinPlot;
    if (looksLikeTwoG(bytes) || (extension == ".dat" && bytes.find('\0') != std::string::npos))
        return MeasurementFormat::TwoG;
    if (extension == ".sam")
        return MeasurementFormat::Cit;
    if (extension == ".jr6" || looksLikeJr6(bytes))
        return MeasurementFormat::Jr6;
    if (extension == ".th" || extension == ".af" || bytes.starts_with("\""))
        return MeasurementFormat::Utrecht;
    throw MeasurementError(shownPath(path)
        + ": the format is not known; expected a MagIC table, a CIT "
          ".sam file, a JR6 file, a 2G .dat file, a PuffinPlot file or "
          "a Utrecht file.");
}

namespace {

MeasurementSet readFormat(const std::string &path, const ReadOptions &options)
{
    if (!fs::exists(path))
        throw MeasurementError(shownPath(path) + ": no such file or folder.");
    const MeasurementFormat format
        = options.format ? *options.format : detectMeasurementFormat(path);
    switch (format) {
    case MeasurementFormat::Magic:
        return readMagic(path, options);
    case MeasurementFormat::Cit:
        return readCit(path, options);
    case MeasurementFormat::Jr6:
        return readJr6(path, options);
    case MeasurementFormat::TwoG:
        return readTwoG(
            fs::is_directory(path) ? twoGFilesIn(path) : std::vector<std::string> { path },
            options);
    case MeasurementFormat::PuffinPlot:
        return readPuffinPlot(path, options);
    case MeasurementFormat::Utrecht:
        return readUtrecht(path, options);
    }
    throw MeasurementError(shownPath(path) + ": the format is not known.");
}

} // namespace

MeasurementSet readMeasurements(const std::string &path, const ReadOptions &options)
{
    try {
        return readFormat(path, options);
    } catch (const fs::filesystem_error &error) {
        // A loop of links, a name too long, a folder that cannot be listed: said in the
        // reader's words, naming the file it concerns.
        const std::string concerned = error.path1().empty() ? path : error.path1().string();
        throw MeasurementError(shownPath(concerned)
            + ": the file or folder cannot be read: " + lowerCase(error.code().message()) + ".");
    }
}

} // namespace Demagora
