#include "batch/measurementoutputs.h"

#include "batch/batcherror.h"
#include "measurements/measurementerror.h"

namespace Demagora {

namespace {

MeasurementTargets targetsOf(const MeasurementOptions &options)
{
    return { options.magicFolder, options.puffinPlotPath, options.utrechtPath };
}

} // namespace

MeasurementOutputs::MeasurementOutputs(const MeasurementOptions &options)
    : m_options(options)
    , m_files(targetsOf(options), options.settings.prefix)
{ }

void MeasurementOutputs::addFiles(OutputFiles &files)
{
    try {
        m_files.addFiles(files);
    } catch (const MeasurementError &error) {
        throw BatchError(std::string("--magic: ") + error.what());
    }
}

void MeasurementOutputs::measure(
    const ResultSeries &series, std::uint64_t seed, double removedAbove)
{
    if (!m_options.hasOutput())
        return;
    MeasurementSettings settings = m_options.settings;
    settings.noiseSeed = seed;
    try {
        m_files.measure(series, settings, removedAbove);
    } catch (const MeasurementError &error) {
        throw BatchError(error.what());
    }
}

void MeasurementOutputs::addNewFolder(OutputFiles &files)
{
    try {
        m_files.addNewFolder(files);
    } catch (const MeasurementError &error) {
        throw BatchError(std::string("--magic: ") + error.what());
    }
}

} // namespace Demagora
