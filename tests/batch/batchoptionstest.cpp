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
