#include "batch/analysisoutput.h"

#include "analysis/analysiserror.h"
#include "batch/batcherror.h"

namespace Demagora {

RunAnalysis analyseBatchRun(const BatchOptions &options, const BatchRun &run)
{
    const FitInterval &interval = options.fit.value();
    try {
        RunAnalysis analysis = analyseRun(stepsOfSeries(run.series), run.populations,
            options.fitType.value_or(FitType::Free), interval.from, interval.to);
        return analysis;
    } catch (const AnalysisError &error) {
        throw BatchError("--fit " + interval.text + ": " + error.what());
    }
}

} // namespace Demagora
