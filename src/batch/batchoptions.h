#pragma once

#include "analysis/fits.h"
#include "batch/measurementoptions.h"
#include "batch/pngoutput.h"
#include "batch/unmixoptions.h"
#include "results/reporttable.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Demagora {

// The temperatures of --fit, with the text given for them.
struct FitInterval
{
    double from = 0;
    double to = 0;
    std::string text;
};

// The command line of demagora-batch. Each output is one optional path; "-" stands for
// standard output.
struct BatchOptions
{
    std::string scenarioPath;
    std::optional<std::uint64_t> seed;
    // The seed of the measurement noise; without it the run's seed.
    std::optional<std::uint64_t> noiseSeed;
    std::optional<std::string> seriesPath;
    // The report table: as CSV on standard output, or as a worksheet when xlsPath is given
    // (the Initial report unless report says otherwise).
    std::optional<ReportKind> report;
    std::optional<std::string> xlsPath;
    // The diagram picture (PNG, or SVG for a name ending in .svg), its width in pixels and
    // the interval of its temperature labels.
    std::optional<std::string> pngPath;
    std::optional<int> pngWidth;
    std::optional<std::int64_t> pngLabels;
    // The drawing options of the picture (--net, --projection, ...), as a request without
    // its path and size; pngOptionsGiven names the ones given.
    PictureRequest pngDrawing;
    std::vector<std::string> pngOptionsGiven;
    // The line or plane fits of every member over an interval (--fit LO:HI, inclusive), as
    // CSV of the fits and of their Fisher statistics.
    std::optional<FitInterval> fit;
    std::optional<FitType> fitType;
    std::optional<std::string> fitsPath;
    std::optional<std::string> fisherPath;
    // The interpretations of a list (--interpretations FILE) fitted over every member as a
    // specimen: their fits go to fitsPath, the site means to siteMeansPath.
    std::optional<std::string> interpretationsPath;
    std::optional<std::string> siteMeansPath;
    // Simulated measurements in the formats of analysis programs.
    MeasurementOptions measurements;
    // Components fitted to the measured steps (--unmix and its options).
    UnmixBatchOptions unmix;
    bool helpRequested = false;
    bool versionRequested = false;

    // Whether any output was asked for; without one the series goes to standard output.
    bool hasOutput() const
    {
        return seriesPath || report || xlsPath || pngPath || fitsPath || fisherPath || siteMeansPath
            || measurements.hasOutput() || unmix.outPath || unmix.siteOutPath;
    }
    // Whether --fit or --interpretations fits the measured steps (--steps, --noise) instead of
    // every whole degree.
    bool fitsMeasurements() const
    {
        return (fit || interpretationsPath)
            && (measurements.given.contains("--steps") || measurements.given.contains("--noise"));
    }
    bool reportOnStandardOutput() const { return report && !xlsPath; }
    // Whether the series is the only output, so that every curve is needed once, when its
    // rows are written (with no output at all, the series goes to standard output).
    bool seriesAlone() const
    {
        return !(report || xlsPath || pngPath || fitsPath || fisherPath || fit
            || interpretationsPath || measurements.hasOutput() || unmix.requested());
    }
};

// Reads the arguments after the program name. Throws BatchError naming the offending
// argument: unknown options, missing values, a seed that is not an unsigned 64-bit number.
BatchOptions parseBatchOptions(std::span<const std::string> arguments);

// The usage text printed for --help: synopsis, options and exit statuses.
std::string batchUsage();

// The text printed for --version: program, package and the project's version.
std::string batchVersion();

} // namespace Demagora
