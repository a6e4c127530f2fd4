#include "measurements/measurementreader.h"

#include "measurements/formattable.h"
#include "measurements/measurementerror.h"
#include "measurements/readertext.h"

#include <algorithm>
#include <filesystem>

namespace Demagora {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t SniffBytes = 4096;

MeasurementSet readFormat(const std::string &path, const ReadOptions &options)
{
    if (!fs::exists(path))
        throw MeasurementError(shownPath(path) + ": no such file or folder.");
    const MeasurementFormat format
        = options.format ? *options.format : detectMeasurementFormat(path);
    return measurementFormatInfo(format).read(path, options);
}

} // namespace

MeasurementFormat detectMeasurementFormat(const std::string &path)
{
    if (fs::is_directory(path)) {
        for (const MeasurementFormat format : measurementDetectionOrder()) {
            const MeasurementFormatInfo &info = measurementFormatInfo(format);
            if (info.holdsFolder && info.holdsFolder(path))
                return format;
        }
        throw MeasurementError(shownPath(path)
            + ": the folder holds no measurements.txt and no 2G .dat "
              "files.");
    }
    const std::string bytes = measurementFileStart(path, SniffBytes);
    const std::string extension = lowerCase(fs::path(path).extension().string());
    for (const MeasurementFormat format : measurementDetectionOrder()) {
        const MeasurementFormatInfo &info = measurementFormatInfo(format);
        const bool ownExtension
            = std::find(info.extensions.begin(), info.extensions.end(), extension)
            != info.extensions.end();
        if (info.sniff(bytes, ownExtension))
            return format;
    }
    throw MeasurementError(shownPath(path) + ": the format is not known; expected "
        + measurementFormatDescriptions() + ".");
}

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
