#include "batch/measuredcommand.h"

#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "files/outputfiles.h"
#include "measurements/measurementerror.h"
#include "measurements/measurementreader.h"
#include "measurements/specimencoordinates.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

namespace Demagora {

namespace {

constexpr const char *ProgramName = "demagora-batch";

struct MeasuredOptions
{
    std::string path;
    ReadOptions read;
    std::vector<std::string> specimens;
    CoordinateSystem coordinates = CoordinateSystem::Specimen;
    std::optional<std::string> stepsCsvPath;
};

MeasuredOptions parseMeasuredOptions(std::span<const std::string> arguments)
{
    MeasuredOptions options;
    std::vector<std::string> given;
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
                throw BatchError("--format: '" + format
                    + "' is not a measurement format (magic, cit, jr6, 2g, ppl or utrecht)");
        } else if (name == "--specimen") {
            options.specimens.push_back(value());
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
        } else {
            throw BatchError("'" + name + "' cannot be given with --measured (see --help)");
        }
    }
    if (options.path.empty())
        throw BatchError("--measured needs the path of a measurement file or folder");
    if (!options.stepsCsvPath)
        throw BatchError("--measured needs an output: --steps-csv FILE");
    return options;
}

std::string number(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

const char *treatmentName(Treatment treatment)
{
    switch (treatment) {
    case Treatment::Nrm:
        return "nrm";
    case Treatment::Thermal:
        return "thermal";
    case Treatment::AlternatingField:
        return "af";
    case Treatment::Other:
        return "other";
    }
    return "other";
}

void writeStepsCsv(
    std::ostream &stream, const std::vector<const Specimen *> &specimens, CoordinateSystem system)
{
    stream << "specimen,treatment,level,x,y,z,unit,declination,inclination,intensity\n";
    for (const Specimen *specimen : specimens) {
        const char *unit = specimen->unit == MomentUnit::AmpereSquareMetre ? "Am2" : "A/m";
        for (const SpecimenStep &step : specimen->steps) {
            const Moment3 moment = stepMoment(*specimen, step, system);
            stream << specimen->name << ',' << treatmentName(step.treatment) << ','
                   << number(step.level) << ',' << number(moment[0]) << ',' << number(moment[1])
                   << ',' << number(moment[2]) << ',' << unit << ','
                   << number(declinationOf(moment)) << ',' << number(inclinationOf(moment)) << ','
                   << number(intensityOf(moment)) << '\n';
        }
    }
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

void reportSummary(std::ostream &err, const MeasuredOptions &options, const MeasurementSet &set)
{
    const ReadSummary &s = set.summary;
    err << ProgramName << ": " << options.path << " (" << measurementFormatName(s.format)
        << "): " << set.specimens.size() << " specimens; left out: " << s.otherExperiments
        << " rows of other experiments, " << s.otherDemagnetization
        << " rows of the other demagnetization, " << s.flaggedBad << " flagged bad, "
        << s.missingMoment << " without a moment, " << s.specimensWithoutSteps
        << " specimens without steps; repeats: " << s.repeatsMerged << " merged, " << s.repeatsKept
        << " kept\n";
    for (const std::string &note : s.notes)
        err << ProgramName << ": " << note << '\n';
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
        const MeasurementSet set = readMeasurements(options.path, options.read);
        const std::vector<const Specimen *> specimens = chosenSpecimens(set, options);
        OutputFiles files({ options.path }, &out);
        files.add(*options.stepsCsvPath, "the steps",
            [&](std::ostream &stream) { writeStepsCsv(stream, specimens, options.coordinates); });
        files.commit();
        reportSummary(err, options, set);
        return BatchSuccess;
    } catch (const BatchError &error) {
        err << ProgramName << ": " << error.what() << '\n';
    } catch (const MeasurementError &error) {
        err << ProgramName << ": " << error.what() << '\n';
    } catch (const OutputError &error) {
        err << ProgramName << ": " << error.what() << '\n';
    }
    return BatchBadInput;
}

std::string measuredUsage()
{
    return "  --measured PATH  reads a measurement file or folder in place of a scenario\n"
           "                   (MagIC, CIT .sam, JR6, 2G .dat, PuffinPlot .ppl, Utrecht)\n"
           "  --format F       magic, cit, jr6, 2g, ppl or utrecht (default: detected)\n"
           "  --specimen NAME  only this specimen (may be repeated)\n"
           "  --coordinates C  specimen (default), geographic or tilt\n"
           "  --demag D        thermal (default) or af steps besides the NRM\n"
           "  --repeats R      repeated steps: average (default), last or all\n"
           "  --steps-csv FILE writes every kept step as CSV ('-': standard output)\n";
}

} // namespace Demagora
