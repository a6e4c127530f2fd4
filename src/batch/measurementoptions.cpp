#include "batch/measurementoptions.h"

#include "batch/batcherror.h"
#include "measurements/measurementerror.h"
#include "measurements/utrechtfile.h"
#include "text/numbertext.h"

#include <filesystem>

namespace Demagora {

namespace {

double readNumber(const std::string &name, const std::string &text)
{
    try {
        return parseDecimal(text);
    } catch (const ConversionError &) {
        throw BatchError(name + ": '" + text + "' is not a number");
    }
}

// The settings are checked as soon as they are read, so the message names the option.
void checkSetting(const std::string &name, const MeasurementSettings &settings)
{
    try {
        checkMeasurementSettings(settings);
    } catch (const MeasurementError &error) {
        throw BatchError(name + ": " + error.what());
    }
}

// path is the name as given, target the name written.
void refuseUnusable(const std::string &option, const std::string &path, const std::string &target,
    const std::string &scenarioPath)
{
    if (path == "-" || path.empty()) {
        throw BatchError(option + ": give a name (measurement files cannot go to standard output)");
    }
    std::error_code error;
    if (std::filesystem::equivalent(scenarioPath, target, error)) {
        throw BatchError(option + ": '" + target
            + "' is the scenario file; writing it would destroy the scenario");
    }
}

} // namespace

bool readMeasurementOption(
    const std::string &name, const std::function<std::string()> &value, MeasurementOptions &options)
{
    static const std::set<std::string> Names = { "--steps", "--magic", "--ppl", "--utrecht",
        "--scale", "--volume", "--noise", "--prefix", "--latitude", "--longitude" };
    if (!Names.contains(name))
        return false;
    if (!options.given.insert(name).second)
        throw BatchError(name + " is given more than once");
    const std::string text = value();
    MeasurementSettings &settings = options.settings;
    if (name == "--steps") {
        try {
            settings.schedule = parseSchedule(text);
        } catch (const MeasurementError &error) {
            throw BatchError(std::string("--steps: ") + error.what());
        }
    } else if (name == "--magic") {
        options.magicFolder = text;
    } else if (name == "--ppl") {
        options.puffinPlotPath = text;
    } else if (name == "--utrecht") {
        options.utrechtPath = text;
    } else if (name == "--prefix") {
        settings.prefix = text;
    } else {
        const double number = readNumber(name, text);
        if (name == "--scale")
            settings.scaleAPerM = number;
        else if (name == "--volume")
            settings.volumeCm3 = number;
        else if (name == "--noise")
            settings.noiseAPerM = number;
        else if (name == "--latitude")
            settings.latitude = number;
        else
            settings.longitude = number;
    }
    checkSetting(name, settings);
    return true;
}

void checkMeasurementOptions(const MeasurementOptions &options, const std::string &scenarioPath)
{
    if (!options.hasOutput() && !options.given.empty()) {
        throw BatchError(*options.given.begin()
            + " shapes the measurement files of --magic, --ppl or --utrecht, none of which is "
              "given");
    }
    if (options.magicFolder) {
        refuseUnusable("--magic", *options.magicFolder, *options.magicFolder, scenarioPath);
    }
    if (options.puffinPlotPath) {
        refuseUnusable("--ppl", *options.puffinPlotPath, *options.puffinPlotPath, scenarioPath);
    }
    if (options.utrechtPath) {
        refuseUnusable(
            "--utrecht", *options.utrechtPath, utrechtFileName(*options.utrechtPath), scenarioPath);
    }
}

std::string measurementUsage()
{
    return "  --magic DIR      writes simulated measurements as MagIC 3.0 tables into the\n"
           "                   folder DIR (created when missing), with all of them in\n"
           "                   NAME_upload.txt (NAME: the prefix)\n"
           "  --ppl FILE       writes them as a PuffinPlot file\n"
           "  --utrecht FILE   writes them in the Utrecht format (.TH is added when missing)\n"
           "  --steps LIST     measured temperatures: 0,100,150,... or every:N (default\n"
           "                   every:50 from the run's start, its last step included)\n"
           "  --scale A_PER_M  A/m per unit of magnetization (default 0.001)\n"
           "  --volume CM3     specimen volume in cm3 (default 10)\n"
           "  --noise A_PER_M  standard deviation of the measurement noise per axis\n"
           "                   (default 0: none); drawn from the run's seed\n"
           "  --noise-seed N   seed of the noise alone (0 to 18446744073709551615), as the\n"
           "                   analysis window shows it\n"
           "  --prefix NAME    specimen names NAME00, NAME01, ... (default sim)\n"
           "  --latitude DEG, --longitude DEG  site and location (default 0)\n";
}

} // namespace Demagora
