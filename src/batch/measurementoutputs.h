#pragma once

#include "batch/measurementoptions.h"
#include "measurements/measurementfiles.h"
#include "model/populations.h"

#include <cstdint>

namespace Demagora {

class OutputFiles;

// The measurement files of a batch run, with the messages naming the options. The steps
// follow MeasurementFiles: names added before the run, a new MagIC folder created only after
// every check, just before the set is written.
class MeasurementOutputs
{
public:
    explicit MeasurementOutputs(const MeasurementOptions &options);

    // Each throws BatchError or OutputError.
    void addFiles(OutputFiles &files);
    // The noise is drawn from the run's seed; removedAbove is highestBlockHigh of its populations.
    void measure(const ResultSeries &series, std::uint64_t seed, double removedAbove);
    void addNewFolder(OutputFiles &files);
    // The set was written: the created folder stays.
    void keep() { m_files.keep(); }

private:
    const MeasurementOptions &m_options;
    MeasurementFiles m_files;
};

} // namespace Demagora
