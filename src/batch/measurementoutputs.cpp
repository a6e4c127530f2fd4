#include "batch/measurementoutputs.h"

#include "batch/batcherror.h"
#include "files/outputfiles.h"
#include "measurements/magictables.h"
#include "measurements/measurementerror.h"
#include "measurements/puffinplotfile.h"
#include "measurements/utrechtfile.h"

#include <filesystem>

namespace Demagora {

namespace {

namespace fs = std::filesystem;

// A folder that exists, or a new one whose parent folder does. Returns whether it is new.
bool checkMagicFolder(const std::string &folder)
{
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (fs::exists(status)) {
        if (!fs::is_directory(status))
            throw BatchError("--magic: '" + folder + "' is not a folder");
        return false;
    }
    const fs::path parent = fs::path(folder).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, error)) {
        throw BatchError("--magic: the folder '" + folder + "' cannot be created: '"
            + parent.string() + "' is not a folder");
    }
    return true;
}

} // namespace

MeasurementOutputs::MeasurementOutputs(const MeasurementOptions &options)
    : m_options(options)
{ }

MeasurementOutputs::~MeasurementOutputs()
{
    // Only an empty folder is removed: nothing the user put there is ever lost.
    if (!m_createdFolder.empty()) {
        std::error_code error;
        fs::remove(m_createdFolder, error);
    }
}

void MeasurementOutputs::addFiles(OutputFiles &files)
{
    // The writers run at commit, after measure().
    if (m_options.puffinPlotPath) {
        files.add(*m_options.puffinPlotPath, "the PuffinPlot file",
            [this](std::ostream &stream) { writePuffinPlotFile(stream, *m_measured); });
    }
    if (m_options.utrechtPath) {
        files.add(utrechtFileName(*m_options.utrechtPath), "the Utrecht file",
            [this](std::ostream &stream) { writeUtrechtFile(stream, *m_measured); });
    }
    if (m_options.magicFolder) {
        m_newFolder = checkMagicFolder(*m_options.magicFolder);
        if (!m_newFolder)
            addMagicTables(files);
    }
}

void MeasurementOutputs::measure(const ResultSeries &series, std::uint64_t seed)
{
    if (!m_options.hasOutput())
        return;
    MeasurementSettings settings = m_options.settings;
    settings.noiseSeed = seed;
    try {
        m_measured = std::make_unique<MeasuredSeries>(series, std::move(settings));
    } catch (const MeasurementError &error) {
        throw BatchError(error.what());
    }
}

void MeasurementOutputs::addNewFolder(OutputFiles &files)
{
    if (!m_newFolder)
        return;
    const std::string &folder = *m_options.magicFolder;
    std::error_code error;
    if (!fs::create_directory(folder, error) && error) {
        throw BatchError(
            "--magic: the folder '" + folder + "' cannot be created: " + error.message());
    }
    m_createdFolder = folder;
    addMagicTables(files);
}

void MeasurementOutputs::addMagicTables(OutputFiles &files)
{
    const fs::path folder = *m_options.magicFolder;
    for (const MagicTable table : MagicTables) {
        const std::string name = magicTableName(table);
        files.add((folder / (name + ".txt")).string(), "the MagIC " + name + " table",
            [this, table](std::ostream &stream) { writeMagicTable(stream, *m_measured, table); });
    }
    files.add((folder / MagicContributionFileName).string(), "the MagIC contribution",
        [this](std::ostream &stream) { writeMagicContribution(stream, *m_measured); });
}

} // namespace Demagora
