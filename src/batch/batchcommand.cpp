#include "batch/batchcommand.h"

#include "analysis/analysiscsv.h"
#include "batch/analysisoutput.h"
#include "batch/batcherror.h"
#include "batch/batchoptions.h"
#include "batch/batchrun.h"
#include "batch/interpretationoutput.h"
#include "batch/measuredcommand.h"
#include "batch/measurementoutputs.h"
#include "batch/pngoutput.h"
#include "batch/reportoutput.h"
#include "analysis/interpretationbatch.h"
#include "batch/siteunmixoutput.h"
#include "batch/unmixoutput.h"
#include "document/scenario.h"
#include "files/outputfiles.h"
#include "model/randomsource.h"
#include "unmixing/twinscenario.h"
#include "unmixing/unmixingerror.h"

#include <new>
#include <optional>

namespace Demagora {

namespace {

// The seed on the command line wins over the scenario's; without either the clock gives one.
std::uint64_t chooseSeed(const BatchOptions &options, const Scenario &scenario)
{
    if (options.seed)
        return *options.seed;
    if (scenario.seed)
        return *scenario.seed;
    return MersenneTwisterSource::clockSeed();
}

// The fitted components as CSV, beside the entered ones, and the first specimen's twin.
void addUnmixOutputs(OutputFiles &files, const BatchOptions &options, const BatchRun &run,
    const std::vector<UnmixedSpecimen> &unmixed, const std::vector<UnmixedSite> &sites)
{
    const auto entered = [&run] {
        std::vector<TVector> components;
        for (const Population &population : run.populations)
            components.push_back(population.front());
        return components;
    };
    if (options.unmix.outPath) {
        files.add(
            *options.unmix.outPath, "the fitted components", [&, entered](std::ostream &stream) {
                if (options.unmix.siteRequested())
                    writeSiteSpecimensCsv(stream, sites, entered());
                else
                    writeUnmixCsv(stream, unmixed, entered());
            });
    }
    if (options.unmix.siteOutPath) {
        files.add(*options.unmix.siteOutPath, "the site's components",
            [&, entered](std::ostream &stream) { writeSiteUnmixCsv(stream, sites, entered()); });
    }
    if (options.unmix.twinPath) {
        files.add(*options.unmix.twinPath, "the twin scenario", [&](std::ostream &stream) {
            writeScenario(stream,
                twinScenario(
                    firstUnmixed(unmixed)->result.twin, options.measurements.settings.scaleAPerM));
        });
    }
}

// Registers every output asked for, so that each name is checked (against the scenario and
// against each other) before the run starts; nothing is written until the run is done.
void addOutputs(OutputFiles &files, const BatchOptions &options, const Scenario &scenario,
    const BatchRun &run, std::optional<ReportTable> &report, std::optional<RunAnalysis> &analysis,
    std::optional<BatchInterpretations> &interpretations,
    const std::vector<UnmixedSpecimen> &unmixed, const std::vector<UnmixedSite> &sites)
{
    addUnmixOutputs(files, options, run, unmixed, sites);
    if (options.seriesPath) {
        files.add(*options.seriesPath, "the series",
            [&](std::ostream &stream) { writeBatchSeries(stream, run); });
    }
    if (options.pngPath) {
        checkPictureSize(*options.pngPath, scenarioResultPoints(scenario));
        PictureRequest request = options.pngDrawing;
        request.path = *options.pngPath;
        request.width = options.pngWidth.value_or(700);
        request.labelInterval = options.pngLabels;
        checkPictureVector(request.singleVector, scenarioMembers(scenario));
        checkPictureWidth(request, scenarioResultPoints(scenario), scenarioMembers(scenario));
        files.add(*options.pngPath, "the picture",
            [&run, request](std::ostream &stream) { writePicture(stream, request, run); });
    }
    if (options.fitsPath && options.interpretationsPath) {
        files.add(*options.fitsPath, "the fits", [&](std::ostream &stream) {
            writeInterpretationFitsCsv(stream, interpretations->fits);
        });
    } else if (options.fitsPath) {
        files.add(*options.fitsPath, "the fits",
            [&](std::ostream &stream) { writeFitsCsv(stream, *analysis); });
    }
    if (options.siteMeansPath) {
        files.add(*options.siteMeansPath, "the site means",
            [&](std::ostream &stream) { writeSiteMeansCsv(stream, interpretations->sites); });
    }
    if (options.fisherPath) {
        files.add(*options.fisherPath, "the Fisher statistics",
            [&](std::ostream &stream) { writeFisherCsv(stream, *analysis); });
    }
    if (options.xlsPath) {
        checkWorksheetName(*options.xlsPath);
        files.addDescriptorWriter(worksheetFileName(*options.xlsPath), "the worksheet",
            [&](int fd) { return writeReportWorksheet(fd, *report); });
    } else if (options.report) {
        checkReportSize(*options.report, scenarioResultPoints(scenario));
        files.add(
            "-", "the report", [&](std::ostream &stream) { writeReportCsv(stream, *report); });
    }
}

} // namespace

int runBatchCommand(std::span<const std::string> arguments, std::ostream &out, std::ostream &err)
{
    if (isMeasuredCommand(arguments))
        return runMeasuredCommand(arguments, out, err);
    try {
        const BatchOptions options = parseBatchOptions(arguments);
        if (options.helpRequested) {
            out << batchUsage();
            return BatchSuccess;
        }
        if (options.versionRequested) {
            out << batchVersion();
            return BatchSuccess;
        }
        Scenario scenario = readScenarioFile(options.scenarioPath);
        // A seed given here draws every member anew, the components' own seeds included.
        if (options.seed)
            dropComponentSeeds(scenario);
        checkScenarioRun(scenario);
        BatchRun run;
        std::optional<ReportTable> report;
        std::optional<RunAnalysis> analysis;
        std::optional<BatchInterpretations> interpretations;
        InterpretationList interpretationList;
        std::vector<UnmixedSpecimen> unmixed;
        std::vector<UnmixedSite> sites;
        std::vector<std::string> inputs = { options.scenarioPath };
        if (options.interpretationsPath) {
            interpretationList = readBatchInterpretations(*options.interpretationsPath);
            inputs.push_back(*options.interpretationsPath);
        }
        OutputFiles files(inputs, &out);
        addOutputs(
            files, options, scenario, run, report, analysis, interpretations, unmixed, sites);
        MeasurementOutputs measurements(options.measurements);
        measurements.addFiles(files);
        if (files.empty() && !options.measurements.hasOutput())
            files.add(
                "-", "the series", [&](std::ostream &stream) { writeBatchSeries(stream, run); });

        const std::uint64_t seed = chooseSeed(options, scenario);
        // Reported only for a run that goes ahead, so that it can be repeated.
        if (!options.seed && !scenario.seed && needsSharedSeed(scenario)) {
            err << ProgramName << ": random seed " << seed << " taken from the clock; --seed "
                << seed << " repeats this run\n";
        }
        MersenneTwisterSource random(seed);
        // The series alone computes each curve as it writes its rows and keeps none of them.
        run = runScenario(
            scenario, random, options.seriesAlone() ? CurvesKept::No : CurvesKept::Yes);
        // The report is built and checked first, so that a refused worksheet leaves no other
        // output written either.
        if (options.report || options.xlsPath) {
            report = buildReportTable(run.populations, run.series, run.range.low, run.range.high,
                options.report.value_or(scenario.report.value_or(ReportKind::Initial)));
            if (options.xlsPath)
                checkReportWorksheet(*report, *options.xlsPath);
        }
        const std::uint64_t noiseSeed = options.noiseSeed.value_or(seed);
        measurements.measure(run.series, noiseSeed, highestBlockHigh(run.populations));
        measurements.addNewFolder(files);
        if (options.fit)
            analysis = analyseBatchRun(options, run, noiseSeed);
        if (options.interpretationsPath) {
            interpretations = interpretSpecimens(interpretationList,
                simulatedSpecimens(options, run, noiseSeed), *options.interpretationsPath);
            reportInterpretationList(err, *options.interpretationsPath, interpretationList,
                *interpretations, CoordinateSystem::Specimen);
        }
        if (options.unmix.siteRequested()) {
            // The members of a run are one site, named after the scenario file.
            const auto steps = measuredRunSteps(run.series, options.measurements.settings,
                noiseSeed, highestBlockHigh(run.populations));
            sites = unmixSites(
                { { measurementsName(options.scenarioPath), steps } }, options.unmix, seed);
        } else if (options.unmix.requested()) {
            unmixed = unmixSpecimens(measuredRunSteps(run.series, options.measurements.settings,
                                         noiseSeed, highestBlockHigh(run.populations)),
                options.unmix, seed);
            // The twin is built before anything is written, so that a refused one writes nothing.
            if (options.unmix.twinPath)
                twinScenario(
                    firstUnmixed(unmixed)->result.twin, options.measurements.settings.scaleAPerM);
        }
        files.commit();
        measurements.keep();
        reportUnmixRefusals(err, ProgramName, unmixed);
        reportTurningPaths(err, unmixed);
        reportSiteRefusals(err, ProgramName, sites);
        return BatchSuccess;
    } catch (const BatchError &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchBadInput;
    } catch (const UnmixingError &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchBadInput;
    } catch (const ScenarioError &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchBadInput;
    } catch (const OutputError &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchBadInput;
    } catch (const std::bad_alloc &) {
        err << ProgramName
            << ": not enough memory for this run; nothing was written. Make the run smaller "
               "(fewer random points or a narrower temperature range)\n";
        return BatchInternalFailure;
    } catch (const std::exception &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchInternalFailure;
    }
}

} // namespace Demagora
