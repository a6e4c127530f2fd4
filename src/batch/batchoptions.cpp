#include "batch/batchoptions.h"

#include "batch/batcherror.h"
#include "batch/pngoutput.h"
#include "batch/reportoutput.h"
#include "version/version.h"

#include <charconv>
#include <filesystem>

namespace Demagora {

namespace {

std::uint64_t parseSeed(const std::string &text)
{
    std::uint64_t seed = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, seed);
    if (text.empty() || error != std::errc() || end != last) {
        throw BatchError(
            "--seed: '" + text + "' is not a whole number from 0 to 18446744073709551615");
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

void setOnce(std::optional<std::string> &target, const std::string &option, std::string value)
{
    if (target)
        throw BatchError(option + " is given more than once");
    target = std::move(value);
}

} // namespace

BatchOptions parseBatchOptions(std::span<const std::string> arguments)
{
    BatchOptions options;
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

        if (name == "--seed") {
            if (options.seed)
                throw BatchError("--seed is given more than once");
            options.seed = parseSeed(value());
        } else if (name == "--series") {
            setOnce(options.seriesPath, name, value());
        } else if (name == "--report") {
            if (options.report)
                throw BatchError("--report is given more than once");
            const std::string kind = value();
            options.report = reportKindNamed(kind);
            if (!options.report)
                throw BatchError("--report: '" + kind + "' is not a report (initial or resulting)");
        } else if (name == "--xls") {
            setOnce(options.xlsPath, name, value());
        } else if (name == "--png") {
            setOnce(options.pngPath, name, value());
        } else if (name == "--width") {
            if (options.pngWidth)
                throw BatchError("--width is given more than once");
            options.pngWidth = parsePictureWidth(value());
        } else if (name == "--labels") {
            if (options.pngLabels)
                throw BatchError("--labels is given more than once");
            options.pngLabels = parsePictureLabels(value());
        } else if (!readMeasurementOption(name, value, options.measurements)) {
            throw BatchError("unknown option '" + name + "' (see --help)");
        }
    }

    if (!scenarioSeen)
        throw BatchError("no scenario file given (see --help)");
    if (options.scenarioPath.empty())
        throw BatchError("the scenario file name is empty");
    refuseScenarioAsOutput(options.scenarioPath, "--series", options.seriesPath);
    refuseScenarioAsOutput(options.scenarioPath, "--xls", options.xlsPath);
    refuseScenarioAsOutput(options.scenarioPath, "--png", options.pngPath);
    checkMeasurementOptions(options.measurements, options.scenarioPath);
    if ((options.pngWidth || options.pngLabels) && !options.pngPath)
        throw BatchError("--width and --labels shape the picture of --png, which is not given");
    if (options.pngPath == "-")
        throw BatchError("--png: the picture cannot go to standard output; give a file name");
    if (options.reportOnStandardOutput() && options.seriesPath == "-")
        throw BatchError("--series - and --report would both write to standard output");
    if (!options.hasOutput())
        options.seriesPath = "-";
    return options;
}

std::string batchUsage()
{
    return "usage: demagora-batch SCENARIO.json [--seed N] [--series FILE]\n"
           "                      [--report initial|resulting] [--xls FILE]\n"
           "                      [--png FILE [--width W] [--labels N]]\n"
           "                      [--magic DIR] [--ppl FILE] [--utrecht FILE.TH]\n"
           "                      [--steps LIST|every:N] [--scale A_PER_M] [--volume CM3]\n"
           "                      [--noise A_PER_M] [--prefix NAME]\n"
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
           "                   curves, as PNG (SVG when FILE ends in .svg)\n"
           "  --width W        width of the picture in pixels (370 to 8000, default 700);\n"
           "                   its height is W + 24\n"
           "  --labels N       temperature labels every N degrees (steps on the vector\n"
           "                   diagram and the stereogram)\n"
        + measurementUsage()
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
