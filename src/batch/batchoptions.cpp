#include "batch/batchoptions.h"

#include "batch/batcherror.h"
#include "batch/measuredcommand.h"
#include "batch/pngoutput.h"
#include "batch/reportoutput.h"
#include "version/version.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <set>

namespace Demagora {

namespace {

std::uint64_t parseSeed(const std::string &option, const std::string &text)
{
    std::uint64_t seed = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, seed);
    if (text.empty() || error != std::errc() || end != last) {
        throw BatchError(
            option + ": '" + text + "' is not a whole number from 0 to 18446744073709551615");
    }
    return seed;
}

// An output named like the scenario file, under any spelling of its path, would destroy it.
void refuseScenarioAsOutput(const std::string &scenarioPath, const std::string &option,
    const std::optional<std::string> &path)
{
    std::error_code error;
    if (path && *path != "-" && std::filesystem::equivalent(scenarioPath, *path, error)) {
        throw BatchError(option + ": '" + *path
            + "' is the scenario file; writing it would destroy the scenario");
    }
}

double parseFitTemperature(const std::string &text, const std::string &interval)
{
    double value = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || !std::isfinite(value)) {
        throw BatchError(
            "--fit: '" + interval + "' is not an interval LO:HI of two temperatures in degrees");
    }
    return value;
}

FitInterval parseFitInterval(const std::string &text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        throw BatchError(
            "--fit: '" + text + "' is not an interval LO:HI of two temperatures in degrees");
    }
    FitInterval interval { parseFitTemperature(text.substr(0, colon), text),
        parseFitTemperature(text.substr(colon + 1), text), text };
    if (interval.from > interval.to)
        throw BatchError("--fit: the interval " + text + " ends below its start");
    return interval;
}

// --steps, --scale and --noise shape the steps that --fit and --interpretations fit as well:
// without a measurement file they are there for the fits alone.
void checkFitMeasurementOptions(const BatchOptions &options)
{
    MeasurementOptions measurements = options.measurements;
    if ((options.fit || options.interpretationsPath || options.unmix.requested())
        && !measurements.hasOutput()) {
        for (const char *name : { "--steps", "--scale", "--noise" })
            measurements.given.erase(name);
        // The prefix names the specimens of the interpretation list.
        if (options.interpretationsPath)
            measurements.given.erase("--prefix");
    }
    checkMeasurementOptions(measurements, options.scenarioPath);
}

// --interpretations fits its own list: the interval options have nothing to do with it.
void checkInterpretationOptions(const BatchOptions &options)
{
    if (options.siteMeansPath && !options.interpretationsPath)
        throw BatchError("--site-means needs the list of --interpretations FILE");
    if (!options.interpretationsPath)
        return;
    if (options.fit || options.fitType || options.fisherPath) {
        throw BatchError("--interpretations fits the intervals of its list; --fit, --fit-type and "
                         "--fisher cannot go with it");
    }
    if (!options.fitsPath && !options.siteMeansPath)
        throw BatchError("--interpretations needs an output: --fits FILE or --site-means FILE");
}

// The options that name a file, each given once. output: a file written, which may not be
// the scenario (--interpretations names one read).
struct PathOption
{
    const char *name;
    std::optional<std::string> BatchOptions::*path;
    bool output;
};

constexpr PathOption PathOptions[] = {
    { "--series", &BatchOptions::seriesPath, true },
    { "--xls", &BatchOptions::xlsPath, true },
    { "--png", &BatchOptions::pngPath, true },
    { "--fits", &BatchOptions::fitsPath, true },
    { "--fisher", &BatchOptions::fisherPath, true },
    { "--interpretations", &BatchOptions::interpretationsPath, false },
    { "--site-means", &BatchOptions::siteMeansPath, true },
};

// The options whose value is read into a setting, each given once; a repeat is refused
// before its value is read.
struct ValueOption
{
    const char *name;
    void (*read)(BatchOptions &options, const std::string &name, const std::string &text);
};

constexpr ValueOption ValueOptions[] = {
    { "--seed",
        [](BatchOptions &options, const std::string &name, const std::string &text) {
            options.seed = parseSeed(name, text);
        } },
    { "--noise-seed",
        [](BatchOptions &options, const std::string &name, const std::string &text) {
            options.noiseSeed = parseSeed(name, text);
        } },
    { "--report",
        [](BatchOptions &options, const std::string &, const std::string &text) {
            options.report = reportKindNamed(text);
            if (!options.report)
                throw BatchError("--report: '" + text + "' is not a report (initial or resulting)");
        } },
    { "--width",
        [](BatchOptions &options, const std::string &, const std::string &text) {
            options.pngWidth = parsePictureWidth(text);
        } },
    { "--labels",
        [](BatchOptions &options, const std::string &, const std::string &text) {
            options.pngLabels = parsePictureLabels(text);
        } },
    { "--fit",
        [](BatchOptions &options, const std::string &, const std::string &text) {
            options.fit = parseFitInterval(text);
        } },
    { "--fit-type",
        [](BatchOptions &options, const std::string &, const std::string &text) {
            options.fitType = fitTypeNamed(text);
            // The vector mean is read from other programs' tables, never asked for.
            if (!options.fitType || *options.fitType == FitType::VectorMean) {
                throw BatchError(
                    "--fit-type: '" + text + "' is not a fit (free, anchored, origin or plane)");
            }
        } },
};

template <typename Option, std::size_t Count>
const Option *optionNamed(const Option (&table)[Count], const std::string &name)
{
    const auto found = std::find_if(std::begin(table), std::end(table),
        [&](const Option &option) { return name == option.name; });
    return found == std::end(table) ? nullptr : found;
}

} // namespace

BatchOptions parseBatchOptions(std::span<const std::string> arguments)
{
    BatchOptions options;
    std::set<std::string> valuesGiven;
    bool scenarioSeen = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.helpRequested = true;
            return options;
        }
        if (argument == "--version") {
            options.versionRequested = true;
            return options;
        }
        if (!argument.starts_with("-") || argument == "-") {
            if (scenarioSeen)
                throw BatchError(
                    "only one scenario file can be given (also got '" + argument + "')");
            options.scenarioPath = argument;
            scenarioSeen = true;
            continue;
        }

        // Options take their value from the next argument or after "=".
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (const auto equals = argument.find('='); equals != std::string::npos) {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        }
        const auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= arguments.size())
                throw BatchError(name + " needs a value");
            return arguments[++i];
        };

        if (const PathOption *option = optionNamed(PathOptions, name)) {
            // The file name is read before a repeat is refused: a repeat at the end of the
            // line without its file name is told that it needs one.
            std::string path = value();
            if (options.*option->path)
                throw BatchError(name + " is given more than once");
            options.*option->path = std::move(path);
        } else if (const ValueOption *option = optionNamed(ValueOptions, name)) {
            if (!valuesGiven.insert(name).second)
                throw BatchError(name + " is given more than once");
            option->read(options, name, value());
        } else if (readPictureOption(name, value, inlineValue.has_value(), options.pngDrawing)) {
            if (std::find(options.pngOptionsGiven.begin(), options.pngOptionsGiven.end(), name)
                != options.pngOptionsGiven.end())
                throw BatchError(name + " is given more than once");
            options.pngOptionsGiven.push_back(name);
        } else if (readUnmixOption(name, value, options.unmix)) {
        } else if (!readMeasurementOption(name, value, options.measurements)) {
            throw BatchError("unknown option '" + name + "' (see --help)");
        }
    }

    if (!scenarioSeen)
        throw BatchError("no scenario file given (see --help)");
    if (options.scenarioPath.empty())
        throw BatchError("the scenario file name is empty");
    for (const PathOption &option : PathOptions) {
        if (option.output)
            refuseScenarioAsOutput(options.scenarioPath, option.name, options.*option.path);
    }
    refuseScenarioAsOutput(options.scenarioPath, "--unmix-out", options.unmix.outPath);
    refuseScenarioAsOutput(options.scenarioPath, "--twin", options.unmix.twinPath);
    refuseScenarioAsOutput(options.scenarioPath, "--unmix-site-out", options.unmix.siteOutPath);
    checkFitMeasurementOptions(options);
    checkInterpretationOptions(options);
    checkUnmixOptions(options.unmix);
    if ((options.fitType || options.fitsPath || options.fisherPath) && !options.fit
        && !options.interpretationsPath)
        throw BatchError("--fit-type, --fits and --fisher need the interval of --fit LO:HI");
    if (options.fit && !options.fitsPath && !options.fisherPath)
        throw BatchError("--fit needs an output: --fits FILE or --fisher FILE");
    if ((options.pngWidth || options.pngLabels) && !options.pngPath)
        throw BatchError("--width and --labels shape the picture of --png, which is not given");
    if (!options.pngOptionsGiven.empty() && !options.pngPath) {
        throw BatchError(
            options.pngOptionsGiven.front() + " shapes the picture of --png, which is not given");
    }
    if (options.pngPath == "-")
        throw BatchError("--png: the picture cannot go to standard output; give a file name");
    if (options.reportOnStandardOutput() && options.seriesPath == "-")
        throw BatchError("--series - and --report would both write to standard output");
    const int onStandardOutput = (options.reportOnStandardOutput() ? 1 : 0)
        + (options.seriesPath == "-" ? 1 : 0) + (options.fitsPath == "-" ? 1 : 0)
        + (options.fisherPath == "-" ? 1 : 0) + (options.siteMeansPath == "-" ? 1 : 0)
        + (options.unmix.outPath == "-" ? 1 : 0) + (options.unmix.siteOutPath == "-" ? 1 : 0);
    if (onStandardOutput > 1)
        throw BatchError("only one output can go to standard output ('-')");
    if (!options.hasOutput())
        options.seriesPath = "-";
    return options;
}

std::string batchUsage()
{
    return "usage: demagora-batch SCENARIO.json [--seed N] [--series FILE]\n"
           "                      [--report initial|resulting] [--xls FILE]\n"
           "                      [--png FILE [--width W] [--labels N]\n"
           "                        [--net specified|equal-area] [--labels-in steps|degrees]\n"
           "                        [--projection north|east|both] [--panel spectra|decay]\n"
           "                        [--single N] [--legend] [--fill-hemispheres]\n"
           "                        [--clear-labels] [--edge-room] [--axis-titles]]\n"
           "                      [--magic DIR] [--ppl FILE] [--utrecht FILE.TH]\n"
           "                      [--steps LIST|every:N] [--scale A_PER_M] [--volume CM3]\n"
           "                      [--noise A_PER_M] [--prefix NAME]\n"
           "                      [--fit LO:HI [--fit-type TYPE] [--fits FILE] [--fisher FILE]]\n"
           "                      [--interpretations FILE [--fits FILE] [--site-means FILE]]\n"
           "                      [--unmix auto|K [--unmix-shapes S] [--bootstrap N]\n"
           "                        --unmix-out FILE [--twin FILE.json]]\n"
           "                      [--unmix-site auto|K --unmix-site-out FILE [--unmix-out FILE]]\n"
           "   or: demagora-batch --measured PATH [--format F] [--specimen NAME]...\n"
           "                      [--coordinates C] [--demag D] [--repeats R]\n"
           "                      [--steps-csv FILE] [--png FILE [--width W] [--projection P]]\n"
           "                      [--fit LO:HI ...] [--interpretations FILE ...]\n"
           "                      [--unmix auto|K ... | --unmix-site auto|K ...] [--seed N]\n"
           "                      [--magic DIR] [--ppl FILE] [--utrecht FILE]\n"
           "   or: demagora-batch --help | --version\n"
           "Runs the thermal demagnetization of the scenario SCENARIO.json without a window\n"
           "and writes the outputs asked for.\n"
           "\n"
           "  --seed N         seed of the random numbers (0 to 18446744073709551615);\n"
           "                   wins over the scenario's seed, else the clock gives one\n"
           "  --series FILE    writes every member's curve as CSV ('-': standard output,\n"
           "                   the default when no other output is asked for)\n"
           "  --report KIND    prints the initial or resulting report table as CSV\n"
           "  --xls FILE       writes the report table (initial unless --report says\n"
           "                   otherwise) as a worksheet; a name not ending in .xls gets .XLS\n"
           "  --png FILE       draws the diagrams as the diagram window shows them with all\n"
           "                   curves, as PNG (SVG or PDF when FILE ends in .svg or .pdf)\n"
           "  --width W        width of the picture in pixels (370 to 8000, default 700);\n"
           "                   its height is W + 24\n"
           "  --labels N       temperature labels every N degrees (steps on the vector\n"
           "                   diagram and the stereogram)\n"
           "  --net NET        the stereograms' net: specified (linear in inclination, the\n"
           "                   default) or equal-area (Schmidt, lower hemisphere)\n"
           "  --labels-in UNIT labels of the vector diagram and the stereogram in steps\n"
           "                   (the default) or degrees\n"
           "  --projection P   vertical projection of the vector diagram: north (north-down,\n"
           "                   the default), east (east-down) or both\n"
           "  --panel PANEL    upper right panel: spectra (blocking spectra, the default) or\n"
           "                   decay (J/J0 of the resulting vectors)\n"
           "  --single N       draws resulting vector N alone (0 is the first)\n"
           "  --legend         draws the legend words\n"
           "  --fill-hemispheres  upward directions open, downward ones filled, in one\n"
           "                   colour instead of green and red\n"
           "  --clear-labels   labels without a background box, drawn over the lines and\n"
           "                   symbols; a label that would overlap another is left out\n"
           "  --edge-room      a margin inside the nets and the vector diagram, so that\n"
           "                   symbols and texts on the edge are whole\n"
           "  --axis-titles    the intensity panel's title and its unit (degrees C),\n"
           "                   with or without the legend\n"
           "  --fit LO:HI      fits every member's steps from LO to HI degrees (inclusive):\n"
           "                   every whole degree, or the measurements of --steps and\n"
           "                   --noise when either is given\n"
           "  --fit-type TYPE  free (default), anchored or origin line, or plane\n"
           "  --fits FILE      writes the fit of every member as CSV\n"
           "  --fisher FILE    writes the Fisher statistics of the fitted directions and of\n"
           "                   each component's drawn initial directions as CSV\n"
           "  --interpretations FILE  fits the interpretations of FILE, a CSV list\n"
           "                   specimen,type,from,to (degrees, both included) or a MagIC\n"
           "                   specimens table, over every member as a specimen named as\n"
           "                   the measurement files name it; --fits then writes one row\n"
           "                   per interpretation, in the list's order\n"
           "  --site-means FILE  writes the mean of the lines and great circles of each site\n"
           "                   (McFadden & McElhinny) as CSV, per component when the list\n"
           "                   names its components (a MagIC specimens table)\n"
        + measurementUsage() + unmixUsage() + measuredUsage()
        + "  -h, --help       prints this help and exits\n"
          "      --version    prints the version and exits\n"
          "\n"
          "Exit status:\n"
          "  0  success\n"
          "  1  an internal failure, such as too little memory for the run\n"
          "  2  bad input: options, the scenario file, or an output that cannot be\n"
          "     written; one line on standard error says what and where\n";
}

std::string batchVersion()
{
    return std::string("demagora-batch (Demagora) ") + ProgramVersion + "\n";
}

} // namespace Demagora
