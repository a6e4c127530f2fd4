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
