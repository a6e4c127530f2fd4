#pragma once

#include "measurements/measurementset.h"

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace Demagora {

class SpecimenSource;

// What the program knows of one measurement format. The table of them is the one place that
// detection, the batch's --format, its usage text and the open dialog's filter all read.
struct MeasurementFormatInfo
{
    MeasurementFormat format;
    // The word of --format and of the read summary ("magic", "2g" ...).
    const char *name;
    // The format in lists of formats ("CIT .sam") and in a sentence ("a CIT .sam file").
    const char *title;
    const char *described;
    // The extensions of its files, lower case with the dot. Detection compares a file's
    // extension in lower case; the open dialog lists each in both cases.
    std::vector<std::string> extensions;
    // Whether a file is taken to be in this format, from its first bytes and whether its
    // extension is one of the format's.
    bool (*sniff)(const std::string &bytes, bool ownExtension);
    // Whether a folder holds files of this format to be read together; none where a format's
    // files are read one by one.
    bool (*holdsFolder)(const std::string &folder);
    // Reads a file or folder of this format; MeasurementError names the file and the line.
    MeasurementSet (*read)(const std::string &path, const ReadOptions &options);
    // Writes measured specimens as one file of this format; none where the program writes none.
    void (*write)(std::ostream &stream, const SpecimenSource &measured);
};

// Every format, in the order of MeasurementFormat, which is the order they are listed in.
std::span<const MeasurementFormatInfo> measurementFormats();
const MeasurementFormatInfo &measurementFormatInfo(MeasurementFormat format);
// Every format, in the order detection tries them on a file.
std::span<const MeasurementFormat> measurementDetectionOrder();

std::string measurementFormatName(MeasurementFormat format);
// The format named by a word of measurementFormatNames(); nothing for another word.
std::optional<MeasurementFormat> measurementFormatFromName(const std::string &name);
// "magic, cit, jr6, 2g, ppl or utrecht".
std::string measurementFormatNames();
// "MagIC, CIT .sam, JR6, 2G .dat, PuffinPlot .ppl, Utrecht".
std::string measurementFormatTitles();
// "a MagIC table, a CIT .sam file, ... or a Utrecht file".
std::string measurementFormatDescriptions();
// The open dialog's filter: one entry with every format's extensions, then all files.
std::string measurementFileFilter();

} // namespace Demagora
