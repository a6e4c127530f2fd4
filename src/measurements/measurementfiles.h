#pragma once

#include "measurements/measuredseries.h"
#include "measurements/measurementsettings.h"
#include "model/populations.h"

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Demagora {

class OutputFiles;

// Where the measurement files of one export go: any of the three formats.
struct MeasurementTargets
{
    std::optional<std::string> magicFolder; // the tables and <prefix>_upload.txt inside it
    std::optional<std::string> puffinPlotPath;
    std::optional<std::string> utrechtPath; // written as utrechtFileName(utrechtPath)

    bool any() const { return magicFolder || puffinPlotPath || utrechtPath; }
};

// The measurement files of one export in a set of outputs. The names are added first; a MagIC
// folder that does not exist yet is created only by addNewFolder, which the caller calls
// after every other check has passed and just before it writes the set. Unless keep() is
// called after the set was written, the destructor removes that folder again while it is
// empty, and so does SIGINT, SIGTERM, SIGHUP or SIGXFSZ meanwhile, so a refused, failed or
// interrupted export leaves nothing behind.
class MeasurementFiles
{
public:
    // location: the prefix of the settings, which names the MagIC upload file.
    MeasurementFiles(MeasurementTargets targets, std::string location);
    ~MeasurementFiles();
    MeasurementFiles(const MeasurementFiles &) = delete;
    MeasurementFiles &operator=(const MeasurementFiles &) = delete;

    // Adds the PuffinPlot and Utrecht files and the tables of an existing MagIC folder, and
    // checks that a new folder can be created. Throws MeasurementError or OutputError.
    void addFiles(OutputFiles &files);
    // Measures the run; series must outlive the set's commit. removedAbove as MeasuredSeries
    // takes it. Throws MeasurementError.
    void measure(const ResultSeries &series, const MeasurementSettings &settings,
        double removedAbove = std::numeric_limits<double>::infinity());
    // Or writes the specimens of another source, such as a measurement file read.
    void measure(std::unique_ptr<SpecimenSource> source) { m_measured = std::move(source); }
    // Creates the new MagIC folder and adds its tables. Throws MeasurementError or OutputError.
    void addNewFolder(OutputFiles &files);
    void keep();

private:
    void addMagicTables(OutputFiles &files);

    MeasurementTargets m_targets;
    std::string m_location;
    std::unique_ptr<SpecimenSource> m_measured;
    bool m_newFolder = false;
    std::string m_createdFolder;
    int m_folderSlot = -1;
};

// Writes one export on its own, all files or none (the main window's export); no file may be
// one of protectedInputs (the open scenario). Throws MeasurementError or OutputError.
void writeMeasurementFiles(const ResultSeries &series, const MeasurementSettings &settings,
    const MeasurementTargets &targets, const std::vector<std::string> &protectedInputs = {},
    double removedAbove = std::numeric_limits<double>::infinity());

// Every file an export to targets writes, each with what it holds as messages name it: the
// tables of a MagIC folder are listed whether the folder exists or not, with the upload file
// named after location.
std::vector<std::pair<std::string, std::string>> measurementFileNames(
    const MeasurementTargets &targets, const std::string &location);

} // namespace Demagora
