#include "batch/interpretationoutput.h"

#include "analysis/analysiserror.h"
#include "analysis/runanalysis.h"
#include "batch/batcherror.h"
#include "measurements/measuredseries.h"
#include "measurements/measurementerror.h"
#include "measurements/readertext.h"

#include <sstream>

namespace Demagora {

namespace {

// The name the measurement files give a member: the prefix and the index, zero-padded to the
// width of the highest index.
std::string memberName(const std::string &prefix, std::size_t member, std::size_t count)
{
    const std::size_t width = std::to_string(count - 1).size();
    std::string index = std::to_string(member);
    if (index.size() < width)
        index.insert(0, width - index.size(), '0');
    return prefix + index;
}

} // namespace

std::vector<InterpretationRequest> readBatchInterpretations(const std::string &path)
{
    // Read as a measurement file is: a pipe or device is refused, never waited on.
    std::istringstream in;
    try {
        in.str(readMeasurementFile(path));
    } catch (const MeasurementError &error) {
        throw BatchError(std::string("--interpretations: ") + error.what());
    }
    try {
        return readInterpretationList(in, path);
    } catch (const AnalysisError &error) {
        throw BatchError(std::string("--interpretations: ") + error.what());
    }
}

std::vector<NamedSteps> simulatedSpecimens(
    const BatchOptions &options, const BatchRun &run, std::uint64_t seed)
{
    MeasurementSettings settings = options.measurements.settings;
    settings.noiseSeed = seed;
    MemberSteps steps;
    try {
        steps = options.fitsMeasurements() ? stepsOfMeasurements(
                    MeasuredSeries(run.series, settings, highestBlockHigh(run.populations)))
                                           : stepsOfSeries(run.series);
    } catch (const MeasurementError &error) {
        throw BatchError(error.what());
    }
    std::vector<NamedSteps> specimens;
    specimens.reserve(steps.size());
    for (std::size_t member = 0; member < steps.size(); ++member) {
        specimens.push_back({ memberName(settings.prefix, member, steps.size()), settings.prefix,
            std::move(steps[member]) });
    }
    return specimens;
}

BatchInterpretations interpretSpecimens(const std::vector<InterpretationRequest> &list,
    const std::vector<NamedSteps> &specimens, const std::string &listPath)
{
    try {
        BatchInterpretations result;
        result.fits = fitInterpretations(list, specimens, listPath);
        result.sites = siteMeans(result.fits);
        return result;
    } catch (const AnalysisError &error) {
        throw BatchError(std::string("--interpretations: ") + error.what());
    }
}

} // namespace Demagora
