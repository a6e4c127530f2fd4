#include "batch/interpretationoutput.h"

#include "analysis/analysiserror.h"
#include "analysis/runanalysis.h"
#include "batch/batcherror.h"
#include "measurements/measuredseries.h"
#include "measurements/measurementerror.h"
#include "measurements/readertext.h"

#include <sstream>
#include <unordered_set>

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

InterpretationList readBatchInterpretations(const std::string &path, CoordinateSystem frame)
{
    // Read as a measurement file is: a pipe or device is refused, never waited on.
    std::istringstream in;
    try {
        in.str(readMeasurementFile(path));
    } catch (const MeasurementError &error) {
        throw BatchError(std::string("--interpretations: ") + error.what());
    }
    try {
        return readInterpretationList(in, path, frame);
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

BatchInterpretations interpretSpecimens(const InterpretationList &list,
    const std::vector<NamedSteps> &specimens, const std::string &listPath)
{
    try {
        BatchInterpretations result;
        std::vector<InterpretationRequest> requests;
        if (list.table) {
            std::unordered_set<std::string> names;
            for (const NamedSteps &specimen : specimens)
                names.insert(specimen.name);
            for (const InterpretationRequest &request : list.requests) {
                if (names.contains(request.specimen))
                    requests.push_back(request);
                else
                    ++result.absentSpecimens;
            }
        }
        result.fits
            = fitInterpretations(list.table ? requests : list.requests, specimens, listPath);
        result.sites = siteMeans(result.fits);
        return result;
    } catch (const AnalysisError &error) {
        throw BatchError(std::string("--interpretations: ") + error.what());
    }
}

void reportInterpretationList(std::ostream &err, const std::string &listPath,
    const InterpretationList &list, const BatchInterpretations &fitted, CoordinateSystem frame)
{
    if (!list.table)
        return;
    err << ProgramName << ": " << listPath << ": " << interpretationListText(list, frame);
    if (fitted.absentSpecimens > 0) {
        err << "; " << fitted.absentSpecimens
            << " fits of specimens without measurements passed over";
    }
    err << '\n';
}

} // namespace Demagora
