#pragma once

#include "batch/measurementoptions.h"
#include "measurements/measuredseries.h"
#include "model/populations.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Demagora {

class OutputFiles;

// The measurement files of one batch run in the run's set of outputs. The names are added
// before the run; a MagIC folder that does not exist yet is created only after the run has
// passed every check, just before the set is written, and removed again (while still empty)
// when the set is not written.
class MeasurementOutputs
{
public:
    explicit MeasurementOutputs(const MeasurementOptions &options);
    ~MeasurementOutputs();
    MeasurementOutputs(const MeasurementOutputs &) = delete;
    MeasurementOutputs &operator=(const MeasurementOutputs &) = delete;

    // Adds the PuffinPlot and Utrecht files and the tables of an existing MagIC folder; checks
    // that a new folder can be created. Throws BatchError or OutputError.
    void addFiles(OutputFiles &files);
    // Measures the finished run, the noise drawn from its seed. Throws BatchError when the
    // settings cannot measure it (too many measurements).
    void measure(const ResultSeries &series, std::uint64_t seed);
    // Creates the new MagIC folder and adds its tables. Throws BatchError or OutputError.
    void addNewFolder(OutputFiles &files);
    // The set was written: the created folder stays.
    void keep() { m_createdFolder.clear(); }

private:
    void addMagicTables(OutputFiles &files);

    const MeasurementOptions &m_options;
    std::unique_ptr<MeasuredSeries> m_measured;
    bool m_newFolder = false;
    std::string m_createdFolder;
};

} // namespace Demagora
