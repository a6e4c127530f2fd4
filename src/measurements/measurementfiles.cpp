#include "measurements/measurementfiles.h"

#include "files/outputfiles.h"
#include "files/temporaryfiles.h"
#include "measurements/magictables.h"
#include "measurements/measurementerror.h"
#include "measurements/puffinplotfile.h"
#include "measurements/utrechtfile.h"

#include <filesystem>

namespace Demagora {

namespace {

namespace fs = std::filesystem;

// The folder without the slashes a name may end with ("lab/" is the folder "lab").
std::string withoutTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// A folder that exists, or a new one whose parent folder does. Returns whether it is new.
bool checkMagicFolder(const std::string &folder)
{
    if (folder.empty())
        throw MeasurementError("no folder given for the MagIC tables");
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (fs::exists(status)) {
        if (!fs::is_directory(status))
            throw MeasurementError("'" + folder + "' is not a folder");
        return false;
    }
    if (fs::is_symlink(fs::symlink_status(folder, error))) {
        const fs::path target = fs::read_symlink(folder, error);
        throw MeasurementError("'" + folder + "' is a symbolic link to '" + target.string()
            + "', which does not exist; give the folder itself");
    }
    const fs::path parent = fs::path(folder).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, error)) {
        throw MeasurementError("the folder '" + folder + "' cannot be created: '" + parent.string()
            + "' is not a folder");
    }
    return true;
}

std::string magicTablePath(const fs::path &folder, MagicTable table)
{
    return (folder / (magicTableName(table) + ".txt")).string();
}

} // namespace

MeasurementFiles::MeasurementFiles(MeasurementTargets targets, std::string location)
    : m_targets(std::move(targets))
    , m_location(std::move(location))
{
    if (m_targets.magicFolder)
        m_targets.magicFolder = withoutTrailingSlashes(*m_targets.magicFolder);
}

MeasurementFiles::~MeasurementFiles()
{
    // Only an empty folder is removed: nothing the user put there is ever lost.
    unregisterTemporaryFile(m_folderSlot);
    if (!m_createdFolder.empty()) {
        std::error_code error;
        fs::remove(m_createdFolder, error);
    }
}

void MeasurementFiles::keep()
{
    unregisterTemporaryFile(m_folderSlot);
    m_folderSlot = -1;
    m_createdFolder.clear();
}

void MeasurementFiles::addFiles(OutputFiles &files)
{
    // The writers run when the set is written, after measure().
    if (m_targets.puffinPlotPath) {
        files.add(*m_targets.puffinPlotPath, "the PuffinPlot file",
            [this](std::ostream &stream) { writePuffinPlotFile(stream, *m_measured); });
    }
    if (m_targets.utrechtPath) {
        files.add(utrechtFileName(*m_targets.utrechtPath), "the Utrecht file",
            [this](std::ostream &stream) { writeUtrechtFile(stream, *m_measured); });
    }
    if (m_targets.magicFolder) {
        m_newFolder = checkMagicFolder(*m_targets.magicFolder);
        if (!m_newFolder)
            addMagicTables(files);
    }
}

void MeasurementFiles::measure(
    const ResultSeries &series, const MeasurementSettings &settings, double removedAbove)
{
    m_measured = std::make_unique<MeasuredSeries>(series, settings, removedAbove);
}

void MeasurementFiles::addNewFolder(OutputFiles &files)
{
    if (!m_newFolder)
        return;
    const std::string &folder = *m_targets.magicFolder;
    std::error_code error;
    if (!fs::create_directory(folder, error) && error) {
        throw MeasurementError("the folder '" + folder + "' cannot be created: " + error.message());
    }
    m_createdFolder = folder;
    // SIGINT, SIGTERM, SIGHUP or SIGXFSZ before the set is written takes the folder away too.
    m_folderSlot = registerTemporaryFolder(folder);
    m_newFolder = false;
    addMagicTables(files);
}

void MeasurementFiles::addMagicTables(OutputFiles &files)
{
    const fs::path folder = *m_targets.magicFolder;
    for (const MagicTable table : MagicTables) {
        const std::string name = magicTableName(table);
        files.add(magicTablePath(folder, table), "the MagIC " + name + " table",
            [this, table](std::ostream &stream) { writeMagicTable(stream, *m_measured, table); });
    }
    files.add((folder / magicUploadFileName(m_location)).string(), "the MagIC upload file",
        [this](std::ostream &stream) { writeMagicContribution(stream, *m_measured); });
}

void writeMeasurementFiles(const ResultSeries &series, const MeasurementSettings &settings,
    const MeasurementTargets &targets, const std::vector<std::string> &protectedInputs,
    double removedAbove)
{
    OutputFiles files(protectedInputs);
    MeasurementFiles measurementFiles(targets, settings.prefix);
    measurementFiles.measure(series, settings, removedAbove);
    measurementFiles.addFiles(files);
    measurementFiles.addNewFolder(files);
    files.commit();
    measurementFiles.keep();
}

std::vector<std::pair<std::string, std::string>> measurementFileNames(
    const MeasurementTargets &targets, const std::string &location)
{
    std::vector<std::pair<std::string, std::string>> names;
    if (targets.puffinPlotPath)
        names.emplace_back(*targets.puffinPlotPath, "the PuffinPlot file");
    if (targets.utrechtPath)
        names.emplace_back(utrechtFileName(*targets.utrechtPath), "the Utrecht file");
    if (targets.magicFolder) {
        const fs::path folder = *targets.magicFolder;
        for (const MagicTable table : MagicTables)
            names.emplace_back(
                magicTablePath(folder, table), "the MagIC " + magicTableName(table) + " table");
        names.emplace_back(
            (folder / magicUploadFileName(location)).string(), "the MagIC upload file");
    }
    return names;
}

} // namespace Demagora
