#include "batch/measuredcommand.h"

#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "batch/batchoptions.h"
#include "files/outputfiles.h"
#include "analysis/analysiserror.h"
#include "analysis/interpretationfiles.h"
#include "batch/interpretationoutput.h"
#include "batch/measuredoutputs.h"
#include "batch/measuredspecimens.h"
#include "measurements/formattable.h"
#include "measurements/measurementerror.h"
#include "measurements/measurementfiles.h"
#include "measurements/measurementreader.h"
#include "measurements/readertext.h"
#include "measurements/specimencoordinates.h"
#include "measurements/stepscsv.h"
#include "unmixing/twinscenario.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace Demagora {

namespace {

// The bootstrap of --unmix draws from this seed unless --seed gives one, so that the same file
// gives the same intervals.
constexpr std::uint64_t DefaultUnmixSeed = 0;

struct MeasuredOptions
{
    std::string path;
    ReadOptions read;
    std::vector<std::string> specimens;
    CoordinateSystem coordinates = CoordinateSystem::Specimen;
    std::optional<std::string> stepsCsvPath;
    // The outputs a run has as well (--png, --fit, --interpretations, --unmix, the measurement
    // files), read by the run's own parser.
    BatchOptions batch;
    bool batchOutput = false;
};

// The run's options that mean nothing for measured specimens, with the reason.
std::optional<std::string> refusalReason(const std::string &name, bool unmixing)
{
    static const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        { { "--series", "--report", "--xls" }, "it is an output of a simulated run" },
        { { "--steps", "--scale", "--noise", "--volume", "--prefix" },
            "it shapes the measurements of a simulated run; the file's own are written" },
        { { "--labels", "--net", "--labels-in", "--panel", "--single", "--legend",
              "--fill-hemispheres", "--clear-labels", "--edge-room" },
            "it shapes the picture of a run; a measured specimen is drawn as the specimens "
            "window draws it" },
    };
    if (name == "--seed" && !unmixing)
        return "nothing is drawn at random (only the bootstrap of --unmix takes a seed)";
    for (const auto &[names, reason] : refused)
        if (std::find(names.begin(), names.end(), name) != names.end())
            return reason;
    return std::nullopt;
}

// The outputs of a run, parsed by the run's parser over the options gathered for it. No
// scenario is read: the placeholder path, with a character no path holds, names no file, so
// that no output is refused as the scenario.
void parseRunOutputs(std::vector<std::string> runArguments, MeasuredOptions &options)
{
    runArguments.push_back(std::string(1, '\0'));
    options.batch = parseBatchOptions(runArguments);
    // Without an output of its own, the run's parser asks for the series on standard output.
    options.batchOutput = !options.batch.seriesPath.has_value();
    if (!options.batchOutput)
        options.batch.seriesPath.reset();
    if (options.read.demag == DemagKind::AlternatingField
        && (options.batch.interpretationsPath || options.batch.unmix.requested())) {
        throw BatchError(
            std::string(options.batch.interpretationsPath ? "--interpretations" : "--unmix")
            + " fits thermal steps; it cannot go with --demag af");
    }
}

MeasuredOptions parseMeasuredOptions(std::span<const std::string> arguments)
{
    MeasuredOptions options;
    std::vector<std::string> given;
    std::vector<std::string> runArguments;
    const bool unmixing = std::any_of(arguments.begin(), arguments.end(),
        [](const std::string &argument) { return argument.starts_with("--unmix"); });
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (!name.starts_with("--"))
            throw BatchError("--measured reads a measurement file in place of a scenario; '" + name
                + "' cannot be given with it");
        const auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= arguments.size())
                throw BatchError(name + " needs a value");
            return arguments[++i];
        };
        if (name != "--specimen") {
            if (std::find(given.begin(), given.end(), name) != given.end())
                throw BatchError(name + " is given more than once");
            given.push_back(name);
        }
        if (name == "--measured") {
            options.path = value();
        } else if (name == "--format") {
            const std::string format = value();
            options.read.format = measurementFormatFromName(format);
            if (!options.read.format)
                throw BatchError("--format: '" + format + "' is not a measurement format ("
                    + measurementFormatNames() + ")");
        } else if (name == "--specimen") {
            // A specimen named twice would count twice in every mean of the run.
            std::string specimen = value();
            if (std::find(options.specimens.begin(), options.specimens.end(), specimen)
                != options.specimens.end())
                throw BatchError("--specimen '" + specimen
                    + "' is given more than once; each specimen is taken once");
            options.specimens.push_back(std::move(specimen));
        } else if (name == "--coordinates") {
            const std::string system = value();
            const std::optional<CoordinateSystem> chosen = coordinateSystemFromName(system);
            if (!chosen)
                throw BatchError("--coordinates: '" + system
                    + "' is not a coordinate system (specimen, geographic or tilt)");
            options.coordinates = *chosen;
        } else if (name == "--demag") {
            const std::string kind = value();
            if (kind != "thermal" && kind != "af")
                throw BatchError("--demag: '" + kind + "' is not thermal or af");
            options.read.demag = kind == "af" ? DemagKind::AlternatingField : DemagKind::Thermal;
        } else if (name == "--repeats") {
            const std::string rule = value();
            if (rule == "average")
                options.read.repeats = RepeatRule::Average;
            else if (rule == "last")
                options.read.repeats = RepeatRule::Last;
            else if (rule == "all")
                options.read.repeats = RepeatRule::All;
            else
                throw BatchError("--repeats: '" + rule + "' is not average, last or all");
        } else if (name == "--steps-csv") {
            options.stepsCsvPath = value();
        } else if (const auto reason = refusalReason(name, unmixing)) {
            throw BatchError("'" + name + "' cannot be given with --measured: " + *reason);
        } else if (name == "--help" || name == "--version") {
            throw BatchError("'" + name + "' cannot be given with --measured (see --help)");
        } else {
            // Every other option of a run takes a value; the run's parser reads it.
            runArguments.push_back(arguments[i]);
            if (!inlineValue && i + 1 < arguments.size())
                runArguments.push_back(arguments[++i]);
        }
    }
    if (options.path.empty())
        throw BatchError("--measured needs the path of a measurement file or folder");
    parseRunOutputs(std::move(runArguments), options);
    if (!options.stepsCsvPath && !options.batchOutput) {
        throw BatchError("--measured needs an output: --steps-csv FILE, --png FILE, --fits FILE, "
                         "--site-means FILE, --unmix-out FILE, --magic DIR, --ppl FILE or "
                         "--utrecht FILE");
    }
    return options;
}

std::vector<const Specimen *> chosenSpecimens(
    const MeasurementSet &set, const MeasuredOptions &options)
{
    std::vector<const Specimen *> chosen;
    if (options.specimens.empty()) {
        for (const Specimen &specimen : set.specimens)
            chosen.push_back(&specimen);
    }
    for (const std::string &name : options.specimens) {
        const auto it = std::find_if(set.specimens.begin(), set.specimens.end(),
            [&](const Specimen &specimen) { return specimen.name == name; });
        if (it == set.specimens.end())
            throw BatchError(
                "--specimen: no specimen '" + name + "' with kept steps in " + options.path);
        chosen.push_back(&*it);
    }
    for (const Specimen *specimen : chosen)
        if (!hasCoordinates(*specimen, options.coordinates))
            stepMoment(*specimen, specimen->steps.front(), options.coordinates);
    return chosen;
}

// What the outputs of a run hold for the specimens, computed before anything is written so that
// a refused fit writes nothing at all.
MeasuredResults computeResults(const MeasuredOptions &options, const std::vector<Specimen> &framed,
    const InterpretationList &list)
{
    const BatchOptions &batch = options.batch;
    MeasuredResults results;
    if (batch.fit) {
        try {
            results.analysis = analyseSpecimens(measuredFitSteps(framed),
                batch.fitType.value_or(FitType::Free), batch.fit->from, batch.fit->to);
        } catch (const AnalysisError &error) {
            throw BatchError("--fit " + batch.fit->text + ": " + error.what());
        }
    }
    if (batch.interpretationsPath) {
        results.interpretations = interpretSpecimens(
            list, namedSteps(framed, measurementsName(options.path)), *batch.interpretationsPath);
    }
    if (batch.unmix.siteRequested() && options.coordinates == CoordinateSystem::Specimen) {
        // Each specimen's own axes point their own way: its directions mean nothing beside
        // another's.
        throw BatchError("--unmix-site ties the directions of a site's specimens together, "
                         "which specimen coordinates cannot: give --coordinates geographic or "
                         "tilt");
    }
    if (batch.unmix.siteRequested()) {
        // The sites as the interpretations name them: the file's, else the sample, else the
        // file's own name.
        std::vector<std::string> sites;
        for (const Specimen &specimen : framed)
            sites.push_back(siteOf(specimen, measurementsName(options.path)));
        try {
            results.sites = unmixSites(groupBySite(measuredUnmixSteps(framed), sites), batch.unmix,
                batch.seed.value_or(DefaultUnmixSeed));
        } catch (const BatchError &error) {
            throw BatchError(options.path + ": " + error.what());
        }
    } else if (batch.unmix.requested()) {
        try {
            results.unmixed = unmixSpecimens(
                measuredUnmixSteps(framed), batch.unmix, batch.seed.value_or(DefaultUnmixSeed));
        } catch (const BatchError &error) {
            // No specimen could be unmixed: the refusal names the specimen and step, and the
            // file is named here.
            throw BatchError(options.path + ": " + error.what());
        }
        if (batch.unmix.twinPath)
            results.twin = twinScenario(firstUnmixed(results.unmixed)->result.twin, 1.0);
    }
    return results;
}

// The longest word of a message printed whole: a longer one is a name or field read from a
// file, cut so that a hostile file cannot fill the terminal.
constexpr std::size_t MaxMessageWord = 1000;

// A message as one line on standard error: control characters (line ends too) escaped, and a
// word longer than MaxMessageWord cut with its length said.
std::string messageLine(std::string_view message)
{
    std::string line;
    for (std::size_t at = 0; at <= message.size();) {
        const std::size_t end = std::min(message.find(' ', at), message.size());
        const std::string_view word = message.substr(at, end - at);
        line += shownPath(word.substr(0, MaxMessageWord));
        if (word.size() > MaxMessageWord)
            line += "... (cut; " + std::to_string(word.size()) + " characters in all)";
        if (end < message.size())
            line += ' ';
        at = end + 1;
    }
    return line;
}

// What the reader left out, as the summary and the refusal of an empty run both say it.
std::string leftOutText(const ReadSummary &s)
{
    return "left out: " + std::to_string(s.otherExperiments) + " rows of other experiments, "
        + std::to_string(s.otherDemagnetization) + " rows of the other demagnetization, "
        + std::to_string(s.flaggedBad) + " flagged bad, " + std::to_string(s.missingMoment)
        + " without a moment, " + std::to_string(s.specimensWithoutSteps)
        + " specimens without steps";
}

void reportSummary(std::ostream &err, const MeasuredOptions &options, const MeasurementSet &set)
{
    const ReadSummary &s = set.summary;
    err << ProgramName << ": " << options.path << " (" << measurementFormatName(s.format)
        << "): " << set.specimens.size() << " specimens; " << leftOutText(s)
        << "; repeats: " << s.repeatsMerged << " merged, " << s.repeatsKept << " kept\n";
    for (const std::string &note : s.notes)
        err << ProgramName << ": " << messageLine(note) << '\n';
}

// A run without a specimen has nothing to write: every output would be empty or a header.
void refuseEmptyRun(const MeasuredOptions &options, const MeasurementSet &set)
{
    const std::string demag = options.read.demag == DemagKind::AlternatingField ? "af" : "thermal";
    throw BatchError(options.path + " (" + measurementFormatName(set.summary.format)
        + "): no specimen has a kept step (--demag " + demag + "); " + leftOutText(set.summary)
        + "; nothing was written");
}

} // namespace

bool isMeasuredCommand(std::span<const std::string> arguments)
{
    return std::any_of(arguments.begin(), arguments.end(), [](const std::string &argument) {
        return argument == "--measured" || argument.starts_with("--measured=");
    });
}

int runMeasuredCommand(std::span<const std::string> arguments, std::ostream &out, std::ostream &err)
{
    try {
        const MeasuredOptions options = parseMeasuredOptions(arguments);
        const BatchOptions &batch = options.batch;
        std::vector<std::string> inputs = { options.path };
        InterpretationList list;
        const CoordinateSystem frame = options.coordinates;
        if (batch.interpretationsPath) {
            list = readBatchInterpretations(*batch.interpretationsPath, frame);
            inputs.push_back(*batch.interpretationsPath);
        }
        const MeasurementSet set = readMeasurements(options.path, options.read);
        // Every file the reader opened is an input as well: its siblings, the specimen files
        // of a .sam file, the files of a folder.
        inputs.insert(inputs.end(), set.files.begin(), set.files.end());
        if (set.specimens.empty())
            refuseEmptyRun(options, set);
        std::vector<const Specimen *> specimens;
        std::vector<Specimen> framed;
        try {
            specimens = chosenSpecimens(set, options);
            for (const Specimen *specimen : specimens)
                framed.push_back(specimenInFrame(*specimen, options.coordinates));
        } catch (const MeasurementError &error) {
            // A specimen the frame cannot take is named by the reader; the file is named here.
            throw BatchError(options.path + ": " + error.what());
        }
        MeasuredResults results = computeResults(options, framed, list);
        if (results.interpretations) {
            reportInterpretationList(
                err, *batch.interpretationsPath, list, *results.interpretations, frame);
        }
        OutputFiles files(inputs, &out);
        if (options.stepsCsvPath) {
            files.add(*options.stepsCsvPath, "the steps", [&](std::ostream &stream) {
                writeStepsCsv(stream, specimens, options.coordinates);
            });
        }
        addMeasuredOutputs(files, batch, options.coordinates, framed, results);
        // The converted files' location, which names the upload file as well, is the one the
        // tables are written with: the first specimen's site (else sample), safe and short,
        // whatever the file held there.
        std::unique_ptr<SpecimenSource> converted = batch.measurements.hasOutput()
            ? measuredSpecimenSource(framed, batch.measurements.settings)
            : nullptr;
        MeasurementFiles conversions(
            { batch.measurements.magicFolder, batch.measurements.puffinPlotPath,
                batch.measurements.utrechtPath },
            converted ? converted->settings().prefix : std::string());
        if (batch.measurements.hasOutput()) {
            conversions.addFiles(files);
            conversions.measure(std::move(converted));
            conversions.addNewFolder(files);
        }
        files.commit();
        conversions.keep();
        reportSummary(err, options, set);
        std::ostringstream refusals;
        reportUnmixRefusals(refusals, ProgramName, results.unmixed, options.path);
        reportTurningPaths(refusals, results.unmixed);
        reportSiteRefusals(refusals, ProgramName, results.sites, options.path);
        std::istringstream refused(refusals.str());
        for (std::string line; std::getline(refused, line);)
            err << messageLine(line) << '\n';
        return BatchSuccess;
    } catch (const BatchError &error) {
        err << ProgramName << ": " << messageLine(error.what()) << '\n';
    } catch (const MeasurementError &error) {
        err << ProgramName << ": " << messageLine(error.what()) << '\n';
    } catch (const OutputError &error) {
        err << ProgramName << ": " << messageLine(error.what()) << '\n';
    } catch (const UnmixingError &error) {
        err << ProgramName << ": " << messageLine(error.what()) << '\n';
    } catch (const std::bad_alloc &) {
        err << ProgramName << ": not enough memory for these specimens; nothing was written\n";
    } catch (const std::filesystem::filesystem_error &error) {
        // A name the system cannot follow is bad input: said in one line, with the name.
        err << ProgramName << ": "
            << messageLine(error.path1().string() + ": " + error.code().message())
            << "; nothing was written\n";
    } catch (const std::exception &error) {
        err << ProgramName << ": " << error.what() << '\n';
        return BatchInternalFailure;
    }
    return BatchBadInput;
}

std::string measuredUsage()
{
    return "  --measured PATH  reads a measurement file or folder in place of a scenario\n"
           "                   ("
        + measurementFormatTitles()
        + ")\n"
          "  --format F       "
        + measurementFormatNames()
        + " (default: detected)\n"
          "  --specimen NAME  only this specimen (may be repeated)\n"
          "  --coordinates C  specimen (default), geographic or tilt\n"
          "  --demag D        thermal (default) or af steps besides the NRM\n"
          "  --repeats R      repeated steps: average (default), last or all\n"
          "  --steps-csv FILE writes every kept step as CSV ('-': standard output)\n"
          "  With --measured, --png draws the first specimen (or the first --specimen) as\n"
          "  the specimens window does (--projection north, east or both as its View\n"
          "  menu), --fit LO:HI fits every specimen's steps from LO to HI (degrees, or mT\n"
          "  with --demag af) and --fits names them, --interpretations fits the list\n"
          "  with sites from the file (else the sample, else the file name), and --unmix\n"
          "  fits the NRM and thermal steps (--seed N: the bootstrap's seed, default 0;\n"
          "  the twin's heights are the file's unit per degree, scale 1); all in the\n"
          "  frame of --coordinates. --magic, --ppl and --utrecht convert the specimens\n"
          "  (with --latitude, --longitude). --seed (without --unmix), --series,\n"
          "  --report, --xls, --steps, --scale, --noise, --volume, --prefix and the\n"
          "  other options that shape a run's picture are refused. --unmix-site fits each\n"
          "  site's specimens together, its sites named as for --interpretations.\n";
}

} // namespace Demagora
