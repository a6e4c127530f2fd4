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
        const MeasuredSeries measured(run.series, settings);
        MemberSteps steps(measured.specimenCount());
        for (std::size_t member = 0; member < steps.size(); ++member) {
            for (const MeasuredStep &step : measured.specimen(member)) {
                steps[member].push_back(
                    { static_cast<double>(step.temperature), { step.x, step.y, step.z } });
            }
        }
        return steps;
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
