#include "batch/analysisoutput.h"

#include "analysis/analysiserror.h"
#include "batch/batcherror.h"
#include "measurements/measuredseries.h"
#include "measurements/measurementerror.h"

namespace Demagora {

namespace {

MemberSteps measuredSteps(const BatchOptions &options, const BatchRun &run, std::uint64_t seed)
{
    MeasurementSettings settings = options.measurements.settings;
    settings.noiseSeed = seed;
    try {
        return stepsOfMeasurements(MeasuredSeries(run.series, settings));
    } catch (const MeasurementError &error) {
        throw BatchError(error.what());
    }
}

} // namespace

RunAnalysis analyseBatchRun(const BatchOptions &options, const BatchRun &run, std::uint64_t seed)
{
    const FitInterval &interval = options.fit.value();
    const MemberSteps steps = options.fitsMeasurements() ? measuredSteps(options, run, seed)
                                                         : stepsOfSeries(run.series);
    try {
        RunAnalysis analysis = analyseRun(steps, run.populations,
            options.fitType.value_or(FitType::Free), interval.from, interval.to);
        return analysis;
    } catch (const AnalysisError &error) {
        throw BatchError("--fit " + interval.text + ": " + error.what());
    }
}

} // namespace Demagora
