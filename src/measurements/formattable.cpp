#include "measurements/formattable.h"

#include "measurements/citreader.h"
#include "measurements/jr6reader.h"
#include "measurements/magicreader.h"
#include "measurements/magictables.h"
#include "measurements/puffinplotfile.h"
#include "measurements/puffinplotreader.h"
#include "measurements/twogreader.h"
#include "measurements/utrechtfile.h"
#include "measurements/utrechtreader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace Demagora {

namespace {

MeasurementSet readTwoGFileOrFolder(const std::string &path, const ReadOptions &options)
{
    return readTwoG(
        std::filesystem::is_directory(path) ? twoGFilesIn(path) : std::vector<std::string> { path },
        options);
}

// A MagIC table says so in its first line, whatever the file is called: .txt is no proof.
bool sniffMagic(const std::string &bytes, bool)
{
    return looksLikeMagic(bytes);
}

// A .sam file, or a specimen file of a CIT study opened alone (known by its lines).
bool sniffCit(const std::string &bytes, bool ownExtension)
{
    return ownExtension || looksLikeCitSpecimen(bytes);
}

bool sniffJr6(const std::string &bytes, bool ownExtension)
{
    return ownExtension || looksLikeJr6(bytes);
}

// A .dat file is 2G's only where it is binary: other programs write text .dat files.
bool sniffTwoG(const std::string &bytes, bool ownExtension)
{
    return looksLikeTwoG(bytes) || (ownExtension && bytes.find('\0') != std::string::npos);
}

bool sniffPuffinPlot(const std::string &bytes, bool ownExtension)
{
    return ownExtension || bytes.starts_with("PuffinPlot file.");
}

// A Utrecht file starts with its comment line, which other programs quote.
bool sniffUtrecht(const std::string &bytes, bool ownExtension)
{
    return ownExtension || bytes.starts_with("\"");
}

bool holdsMagic(const std::string &folder)
{
    return !magicMeasurementFilesIn(folder).empty();
}

bool holdsTwoG(const std::string &folder)
{
    return !twoGFilesIn(folder).empty();
}

const std::array<MeasurementFormatInfo, 6> &formatTable()
{
    static const std::array<MeasurementFormatInfo, 6> table { {
        { MeasurementFormat::Magic, "magic", "MagIC", "a MagIC table", { ".txt" }, sniffMagic,
            holdsMagic, readMagic, writeMagicContribution },
        { MeasurementFormat::Cit, "cit", "CIT .sam", "a CIT .sam file", { ".sam" }, sniffCit,
            nullptr, readCit, nullptr },
        { MeasurementFormat::Jr6, "jr6", "JR6", "a JR6 file", { ".jr6" }, sniffJr6, nullptr,
            readJr6, nullptr },
        { MeasurementFormat::TwoG, "2g", "2G .dat", "a 2G .dat file", { ".dat" }, sniffTwoG,
            holdsTwoG, readTwoGFileOrFolder, nullptr },
        { MeasurementFormat::PuffinPlot, "ppl", "PuffinPlot .ppl", "a PuffinPlot file", { ".ppl" },
            sniffPuffinPlot, nullptr, readPuffinPlot, writePuffinPlotFile },
        { MeasurementFormat::Utrecht, "utrecht", "Utrecht", "a Utrecht file", { ".th", ".af" },
            sniffUtrecht, nullptr, readUtrecht, writeUtrechtFile },
    } };
    return table;
}

// What a file's content says comes first: a MagIC table, PuffinPlot's first line and 2G's
// binary records are known whatever the file is called (and a folder with a measurements table
// is MagIC's even where 2G files lie beside it). Then the names CIT and JR6 files are
// known by (a .sam file is CIT's even where its first line would pass for JR6), and Utrecht's
// quoted first line last, as many a text file starts with a quote.
constexpr std::array<MeasurementFormat, 6> DetectionOrder { MeasurementFormat::Magic,
    MeasurementFormat::PuffinPlot, MeasurementFormat::TwoG, MeasurementFormat::Cit,
    MeasurementFormat::Jr6, MeasurementFormat::Utrecht };

// "a, b, c or d", or with the last separator given.
template <class Part> std::string listed(Part part, const char *last)
{
    std::string text;
    const std::span<const MeasurementFormatInfo> formats = measurementFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (i > 0)
            text += i + 1 == formats.size() ? last : ", ";
        text += part(formats[i]);
    }
    return text;
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

} // namespace

std::span<const MeasurementFormatInfo> measurementFormats()
{
    return formatTable();
}

const MeasurementFormatInfo &measurementFormatInfo(MeasurementFormat format)
{
    for (const MeasurementFormatInfo &info : formatTable())
        if (info.format == format)
            return info;
    return formatTable().front();
}

std::span<const MeasurementFormat> measurementDetectionOrder()
{
    return DetectionOrder;
}

std::string measurementFormatName(MeasurementFormat format)
{
    return measurementFormatInfo(format).name;
}

std::optional<MeasurementFormat> measurementFormatFromName(const std::string &name)
{
    for (const MeasurementFormatInfo &info : formatTable())
        if (name == info.name)
            return info.format;
    return std::nullopt;
}

std::string measurementFormatNames()
{
    return listed([](const MeasurementFormatInfo &info) { return info.name; }, " or ");
}

std::string measurementFormatTitles()
{
    return listed([](const MeasurementFormatInfo &info) { return info.title; }, ", ");
}

std::string measurementFormatDescriptions()
{
    return listed([](const MeasurementFormatInfo &info) { return info.described; }, " or ");
}

std::string measurementFileFilter()
{
    std::string patterns;
    for (const MeasurementFormatInfo &info : formatTable())
        for (const std::string &extension : info.extensions)
            for (const std::string &spelling : { extension, upperCase(extension) })
                patterns += (patterns.empty() ? "*" : " *") + spelling;
    return "Measurement files (" + patterns + ");;All files (*)";
}

} // namespace Demagora
