#include "batch/batchoptions.h"

#include "batch/batcherror.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace Demagora;

namespace {

BatchOptions parse(const std::vector<std::string> &arguments)
{
    return parseBatchOptions(arguments);
}

std::string refusal(const std::vector<std::string> &arguments)
{
    try {
        parse(arguments);
    } catch (const BatchError &error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(BatchOptionsTest, SeriesGoesToStandardOutputWhenNothingElseIsAsked)
{
    const BatchOptions options = parse({ "scenario.json" });
    EXPECT_EQ(options.scenarioPath, "scenario.json");
    EXPECT_EQ(options.seriesPath, "-");
    EXPECT_FALSE(options.seed.has_value());
}

TEST(BatchOptionsTest, ReadsSeedAndSeriesInAnyOrder)
{
    const BatchOptions options = parse({ "--series", "out.csv", "s.json", "--seed", "42" });
    EXPECT_EQ(options.scenarioPath, "s.json");
    EXPECT_EQ(options.seriesPath, "out.csv");
    EXPECT_EQ(options.seed, 42u);

    const BatchOptions joined = parse({ "s.json", "--seed=18446744073709551615", "--series=-" });
    EXPECT_EQ(joined.seed, 18446744073709551615u);
    EXPECT_EQ(joined.seriesPath, "-");
}

TEST(BatchOptionsTest, HelpNeedsNoScenario)
{
    EXPECT_TRUE(parse({ "--help" }).helpRequested);
    EXPECT_TRUE(parse({ "s.json", "-h" }).helpRequested);
    EXPECT_TRUE(parse({ "--version" }).versionRequested);
    EXPECT_TRUE(parse({ "s.json", "--version", "--bogus" }).versionRequested);
    EXPECT_FALSE(parse({ "s.json" }).versionRequested);
    EXPECT_NE(batchUsage().find("demagora-batch SCENARIO.json"), std::string::npos);
}

TEST(BatchOptionsTest, RefusesBadCommandLines)
{
    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::string seedRange = " is not a whole number from 0 to 18446744073709551615";
    const Case cases[] = {
        { {}, "no scenario file given (see --help)" },
        { { "--seed", "1" }, "no scenario file given (see --help)" },
        { { "a.json", "b.json" }, "only one scenario file can be given (also got 'b.json')" },
        { { "a.json", "--seed" }, "--seed needs a value" },
        { { "a.json", "--series" }, "--series needs a value" },
        { { "a.json", "--seed", "-1" }, "--seed: '-1'" + seedRange },
        { { "a.json", "--seed", "+1" }, "--seed: '+1'" + seedRange },
        { { "a.json", "--seed", "18446744073709551616" },
            "--seed: '18446744073709551616'" + seedRange },
        { { "a.json", "--seed", "1e3" }, "--seed: '1e3'" + seedRange },
        { { "a.json", "--seed", "" }, "--seed: ''" + seedRange },
        { { "a.json", "--noise-seed", "x1" }, "--noise-seed: 'x1'" + seedRange },
        { { "a.json", "--noise-seed", "1", "--noise-seed", "1" },
            "--noise-seed is given more than once" },
        { { "a.json", "--seed", "1", "--seed", "2" }, "--seed is given more than once" },
        { { "a.json", "--series", "a", "--series", "b" }, "--series is given more than once" },
        { { "a.json", "--frobnicate" }, "unknown option '--frobnicate' (see --help)" },
        { { "a.json", "-x" }, "unknown option '-x' (see --help)" },
        { { "" }, "the scenario file name is empty" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(refusal(c.arguments), c.message);
    }
}

TEST(BatchOptionsTest, RefusesToWriteOverTheScenario)
{
    const std::filesystem::path folder = testing::TempDir();
    const std::string scenario = (folder / "options-scenario.json").string();
    std::ofstream(scenario) << "{}";
    const std::string otherSpelling = (folder / "." / "options-scenario.json").string();

    EXPECT_EQ(refusal({ scenario, "--series", otherSpelling }),
        "--series: '" + otherSpelling
            + "' is the scenario file; writing it would destroy the scenario");
    EXPECT_EQ(refusal({ scenario, "--xls", scenario }),
        "--xls: '" + scenario + "' is the scenario file; writing it would destroy the scenario");
    EXPECT_EQ(parse({ scenario, "--series", scenario + ".csv" }).seriesPath, scenario + ".csv");
}

TEST(BatchOptionsTest, ReadsTheMeasurementFilesAndTheirSettings)
{
    const BatchOptions options = parse({ "s.json", "--magic", "lab", "--steps", "0,100,250",
        "--ppl=run.ppl", "--utrecht", "run", "--scale", "2e-3", "--volume", "8", "--noise", "1e-6",
        "--prefix", "dm", "--latitude", "-12.5", "--longitude", "40" });
    const MeasurementOptions &m = options.measurements;
    EXPECT_FALSE(options.seriesPath.has_value());
    EXPECT_EQ(m.magicFolder, "lab");
    EXPECT_EQ(m.puffinPlotPath, "run.ppl");
    EXPECT_EQ(m.utrechtPath, "run");
    EXPECT_EQ(m.settings.schedule.listedDegrees, (std::vector<std::int32_t> { 0, 100, 250 }));
    EXPECT_EQ(m.settings.scaleAPerM, 2e-3);
    EXPECT_EQ(m.settings.volumeCm3, 8);
    EXPECT_EQ(m.settings.noiseAPerM, 1e-6);
    EXPECT_EQ(m.settings.prefix, "dm");
    EXPECT_EQ(m.settings.latitude, -12.5);
    EXPECT_EQ(m.settings.longitude, 40);
    EXPECT_EQ(parse({ "s.json", "--ppl", "a" }).measurements.settings, MeasurementSettings {});
}

TEST(BatchOptionsTest, RefusesMeasurementOptionsThatCannotBeUsed)
{
    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        { { "a.json", "--steps", "every:50" },
            "--steps shapes the measurement files of --magic, --ppl or --utrecht, none of which "
            "is given" },
        { { "a.json", "--ppl", "a", "--steps", "every:x" },
            "--steps: measurement steps 'every:x': the step of every:N must be a whole number "
            "of degrees from 1 to 100000" },
        { { "a.json", "--ppl", "a", "--scale", "1,5" }, "--scale: '1,5' is not a number" },
        { { "a.json", "--ppl", "a", "--volume", "0" },
            "--volume: the specimen volume must be a positive number of cm3" },
        { { "a.json", "--ppl", "a", "--noise", "-1" },
            "--noise: the noise must be 0 or a positive number of A/m" },
        { { "a.json", "--ppl", "a", "--scale", "1e308" },
            "--scale: the scale 1e+308 A/m per unit is too large: the moments would overflow (at "
            "most 1e+100)" },
        { { "a.json", "--ppl", "a", "--volume", "1e308" },
            "--volume: the specimen volume 1e+308 cm3 is too large: the moments would overflow "
            "(at most 1e+100)" },
        { { "a.json", "--ppl", "a", "--prefix", "a b" },
            "--prefix: the specimen name prefix 'a b' may hold only letters, digits, '-', '_' "
            "and '.'" },
        { { "a.json", "--ppl", "a", "--ppl", "b" }, "--ppl is given more than once" },
        { { "a.json", "--utrecht", "-" },
            "--utrecht: give a name (measurement files cannot go to standard output)" },
        { { "a.json", "--magic", "" },
            "--magic: give a name (measurement files cannot go to standard output)" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(refusal(c.arguments), c.message);
    }
}

TEST(BatchOptionsTest, ReadsTheFitOptions)
{
    const BatchOptions options = parse(
        { "s.json", "--fit", "-20.5:550", "--fit-type=plane", "--fisher", "f.csv", "--fits", "-" });
    ASSERT_TRUE(options.fit);
    EXPECT_EQ(options.fit->from, -20.5);
    EXPECT_EQ(options.fit->to, 550);
    EXPECT_EQ(options.fitType, FitType::Plane);
    EXPECT_EQ(options.fitsPath, "-");
    EXPECT_EQ(options.fisherPath, "f.csv");
    EXPECT_FALSE(options.seriesPath);

    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::string notInterval = "' is not an interval LO:HI of two temperatures in degrees";
    const Case cases[] = {
        { { "a.json", "--fit", "300", "--fits", "f" }, "--fit: '300" + notInterval },
        { { "a.json", "--fit", "300:x", "--fits", "f" }, "--fit: '300:x" + notInterval },
        { { "a.json", "--fit", ":5", "--fits", "f" }, "--fit: ':5" + notInterval },
        { { "a.json", "--fit", "1:inf", "--fits", "f" }, "--fit: '1:inf" + notInterval },
        { { "a.json", "--fit", "500:300", "--fits", "f" },
            "--fit: the interval 500:300 ends below its start" },
        { { "a.json", "--fit", "1:2", "--fit-type", "curve", "--fits", "f" },
            "--fit-type: 'curve' is not a fit (free, anchored, origin or plane)" },
        { { "a.json", "--fits", "f" },
            "--fit-type, --fits and --fisher need the interval of --fit LO:HI" },
        { { "a.json", "--fit", "1:2" }, "--fit needs an output: --fits FILE or --fisher FILE" },
        { { "a.json", "--fit", "1:2", "--fits", "-", "--fisher", "-" },
            "only one output can go to standard output ('-')" },
        { { "a.json", "--fit", "1:2", "--fits", "-", "--series", "-" },
            "only one output can go to standard output ('-')" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(refusal(c.arguments), c.message);
    }
}

TEST(BatchOptionsTest, StepsAndNoiseShapeTheFitsWithoutMeasurementFiles)
{
    const BatchOptions options
        = parse({ "s.json", "--fit", "100:300", "--fits", "f.csv", "--steps", "every:50" });
    EXPECT_TRUE(options.fitsMeasurements());
    EXPECT_FALSE(options.measurements.hasOutput());
    EXPECT_FALSE(parse({ "s.json", "--fit", "1:2", "--fits", "f.csv" }).fitsMeasurements());
    EXPECT_EQ(refusal({ "a.json", "--fit", "1:2", "--fits", "f", "--noise", "1", "--prefix", "x" }),
        "--prefix shapes the measurement files of --magic, --ppl or --utrecht, none of which is "
        "given");
    EXPECT_EQ(refusal({ "a.json", "--steps", "every:50" }),
        "--steps shapes the measurement files of --magic, --ppl or --utrecht, none of which is "
        "given");
}
