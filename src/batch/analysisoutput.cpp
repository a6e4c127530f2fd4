#include "batch/analysisoutput.h"

#include "analysis/analysiserror.h"
#include "batch/batcherror.h"
#include "measurements/measuredseries.h"
#include "measurements/measurementerror.h"

#include <optional>

namespace Demagora {

RunAnalysis analyseBatchRun(const BatchOptions &options, const BatchRun &run, std::uint64_t seed)
{
    const FitInterval &interval = options.fit.value();
    // The steps are read one member at a time from where they lie, never copied whole.
    std::optional<MeasuredSeries> measured;
    try {
        if (options.fitsMeasurements()) {
            MeasurementSettings settings = options.measurements.settings;
            settings.noiseSeed = seed;
            measured.emplace(run.series, settings, highestBlockHigh(run.populations));
        }
    } catch (const MeasurementError &error) {
        throw BatchError(error.what());
    }
    const StepReader read = measured ? measuredStepReader(*measured) : seriesStepReader(run.series);
    const std::size_t members = measured ? measured->specimenCount() : run.series.size();
    try {
        return *analyseRun(members, read, run.populations, options.fitType.value_or(FitType::Free),
            interval.from, interval.to);
    } catch (const AnalysisError &error) {
        throw BatchError("--fit " + interval.text + ": " + error.what());
    } catch (const MeasurementError &error) {
        throw BatchError(error.what());
    }
}

} // namespace Demagora
