#include "batch/batchcommand.h"

#include "analysis/analysiscsv.h"
#include "batch/analysisoutput.h"
#include "batch/batcherror.h"
#include "batch/batchoptions.h"
#include "batch/batchrun.h"
#include "batch/outputfile.h"
#include "batch/pngoutput.h"
#include "batch/reportoutput.h"
#include "batch/scenario.h"
#include "batch/seriescsv.h"
#include "model/randomsource.h"

#include <new>

namespace Demagora {

namespace {

constexpr const char *ProgramName = "demagora-batch";

// The seed on the command line wins over the scenario's; without either the clock gives
// one, which is reported so that a scattered run can be repeated.
std::uint64_t chooseSeed(const BatchOptions &options, const Scenario &scenario, std::ostream &err)
{
    if (options.seed)
        return *options.seed;
    if (scenario.seed)
        return *scenario.seed;
    const std::uint64_t seed = MersenneTwisterSource::clockSeed();
    if (scenario.population) {
        err << ProgramName << ": random seed " << seed << " taken from the clock; --seed " << seed
            << " repeats this run\n";
    }
    return seed;
}

void writeOutputs(const BatchOptions &options, const BatchRun &run, std::ostream &out)
{
    // The report is built and checked first, so that a refused worksheet leaves no other
    // output written either.
    std::optional<ReportTable> report;
    if (options.report || options.xlsPath) {
        report = buildReportTable(run.populations, run.series, run.range.low, run.range.high,
            options.report.value_or(ReportKind::Initial));
        if (options.xlsPath)
            checkReportWorksheet(*report, *options.xlsPath);
    }
    std::optional<RunAnalysis> analysis;
    if (options.fit)
        analysis = analyseBatchRun(options, run);
    if (options.seriesPath) {
        writeTextOutput(*options.seriesPath, out, "the series",
            [&](std::ostream &stream) { writeSeriesCsv(stream, run.series); });
    }
    if (options.pngPath) {
        writePictureOutput(
            { *options.pngPath, options.pngWidth.value_or(700), options.pngLabels }, run);
    }
    if (options.fitsPath) {
        writeTextOutput(*options.fitsPath, out, "the fits",
            [&](std::ostream &stream) { writeFitsCsv(stream, *analysis); });
    }
    if (options.fisherPath) {
        writeTextOutput(*options.fisherPath, out, "the Fisher statistics",
            [&](std::ostream &stream) { writeFisherCsv(stream, *analysis); });
    }
    if (options.xlsPath) {
        writeReportWorksheet(*report, *options.xlsPath);
    } else if (report) {
        writeTextOutput(
            "-", out, "the report", [&](std::ostream &stream) { writeReportCsv(stream, *report); });
    }
}

} // namespace

int runBatchCommand(std::span<const std::string> arguments, std::ostream &out, std::ostream &err)
{
    try {
        const BatchOptions options = parseBatchOptions(arguments);
        if (options.helpRequested) {
            out << batchUsage();
            return BatchSuccess;
        }
        const Scenario scenario = readScenarioFile(options.scenarioPath);
        MersenneTwisterSource random(chooseSeed(options, scenario, err));
        const BatchRun run = runScenario(scenario, random);
        writeOutputs(options, run, out);
        return BatchSuccess;
    } catch (const BatchError &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchBadInput;
    } catch (const std::bad_alloc &) {
        err << ProgramName << ": not enough memory for this run\n";
        return BatchInternalFailure;
    } catch (const std::exception &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchInternalFailure;
    }
}

} // namespace Demagora
