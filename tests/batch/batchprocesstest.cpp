#include "batch/batchtestruns.h"
#include "support/csvfields.h"
#include "support/filetext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Demagora::Testing::example;
using Demagora::Testing::fileText;
using Demagora::Testing::splitFields;
using Demagora::Testing::writeScenario;

using ProcessResult = Demagora::Testing::CommandResult;
const auto runBatch = Demagora::Testing::runBatchProcess;

std::string tenDigits(const std::string &field)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9e", std::strtod(field.c_str(), nullptr));
    return buffer;
}

} // namespace

TEST(BatchProcessTest, TwoComponentExamplePrintsTheWorkedTable)
{
    const ProcessResult result = runBatch({ example("two-components.json") });
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    std::istringstream lines(result.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "member,step,temperature,x,y,z,length,declination,inclination");

    // temperature, then x, y, z, length, declination, inclination to ten digits.
    const std::vector<std::vector<std::string>> table = {
        { "100", "416.6545573", "500.5", "0", "651.2305813", "50.22340933", "0" },
        { "150", "208.8272786", "500.5", "0", "542.3182482", "67.35228136", "0" },
        { "175", "27.51429540", "375.5", "0", "376.5066885", "85.80921249", "0" },
        { "200", "0", "250.5", "0", "250.5", "90", "0" },
        { "249", "0", "5.5", "0", "5.5", "90", "0" },
        { "250", "0", "0", "0", "0", "0", "0" },
    };
    int rows = 0;
    std::size_t matched = 0;
    while (std::getline(lines, line)) {
        const std::vector<std::string> row = splitFields(line);
        ASSERT_EQ(row.size(), 9u) << line;
        EXPECT_EQ(row[0], "0");
        EXPECT_EQ(row[1], std::to_string(rows));
        EXPECT_EQ(row[2], std::to_string(100 + rows));
        ++rows;
        for (const std::vector<std::string> &expected : table) {
            if (row[2] != expected[0])
                continue;
            SCOPED_TRACE(line);
            ++matched;
            for (std::size_t i = 1; i < expected.size(); ++i)
                EXPECT_EQ(tenDigits(row[i + 2]), tenDigits(expected[i]));
            if (expected[1] == "0") {
                EXPECT_EQ(row[3], "0");
            }
        }
    }
    EXPECT_EQ(rows, 151);
    EXPECT_EQ(matched, table.size());
}

TEST(BatchProcessTest, SeriesFileAndSeedGiveRepeatableRuns)
{
    const std::filesystem::path folder = testing::TempDir();
    const std::string first = (folder / "scattered-first.csv").string();
    const std::string second = (folder / "scattered-second.csv").string();
    const std::string other = (folder / "scattered-other.csv").string();

    const ProcessResult a = runBatch({ example("scattered.json"), "--series", first });
    const ProcessResult b
        = runBatch({ "--seed", "42", "--series", second, example("scattered.json") });
    const ProcessResult c
        = runBatch({ example("scattered.json"), "--seed", "43", "--series", other });
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(a.out, "");
    EXPECT_EQ(a.err, "");

    const std::string text = fileText(first);
    EXPECT_TRUE(text.starts_with("member,step,temperature,"));
    // The example's own seed is 42: the command-line seed 42 repeats it, 43 does not.
    EXPECT_EQ(text, fileText(second));
    EXPECT_NE(text, fileText(other));
    EXPECT_NE(text.find("\n20,0,"), std::string::npos);
    EXPECT_EQ(text.find("\n21,0,"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(first + ".partial"));
}

TEST(BatchProcessTest, BadInputExitsWithTwoAndOneLine)
{
    const std::string good = R"({"declination": 0, "inclination": 0, "height": 10,
        "blockLow": 100, "blockHigh": 200, "shape": "gauss"})";
    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::string badShape = writeScenario("bad-shape.json",
        R"({"components": [{"declination": 0, "inclination": 0, "height": 10, "blockLow": 100,
        "blockHigh": 200, "shape": "triangle"}]})");
    const std::string badK = writeScenario("bad-k.json",
        R"({"components": [)" + good
            + R"(], "population": {"randomPoints": 3, "fisherK": -1, "differentLengths": false,
        "heightStdDev": 3}})");
    const std::string malformed = writeScenario("malformed.json", "{\"components\": [");
    const std::string goodFile = writeScenario("good.json", R"({"components": [)" + good + "]}");
    const std::string missing
        = (std::filesystem::path(testing::TempDir()) / "missing.json").string();
    const Case cases[] = {
        { {}, "demagora-batch: no scenario file given (see --help)\n" },
        { { missing },
            "demagora-batch: " + missing
                + ": cannot open the scenario file: No such file or directory\n" },
        { { badShape },
            "demagora-batch: " + badShape
                + ": components[0].shape: unknown shape \"triangle\" (expected \"gauss\" or "
                  "\"rectangular\")\n" },
        { { badK },
            "demagora-batch: " + badK
                + ": population.fisherK: Fisher's k must be greater than 0 (it is -1)\n" },
        { { goodFile, "--seed", "-5" },
            "demagora-batch: --seed: '-5' is not a whole number from "
            "0 to 18446744073709551615\n" },
        { { goodFile, "--colour" }, "demagora-batch: unknown option '--colour' (see --help)\n" },
        { { goodFile, "--series", "/nonexistent-folder/out.csv" },
            "demagora-batch: cannot write the series to /nonexistent-folder/out.csv: No such "
            "file or directory\n" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        const ProcessResult result = runBatch(c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out, "");
    }

    const ProcessResult bad = runBatch({ malformed });
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.starts_with("demagora-batch: " + malformed + ": malformed JSON: "));
    EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1);
}

TEST(BatchProcessTest, ClockSeedIsReportedForScatteredRuns)
{
    const std::string scenario = writeScenario("clock.json",
        R"({"components": [{"declination": 0, "inclination": 0, "height": 10, "blockLow": 100,
        "blockHigh": 110, "shape": "gauss"}], "population": {"randomPoints": 2, "fisherK": 30,
        "differentLengths": false, "heightStdDev": 3}})");
    const ProcessResult result = runBatch({ scenario });
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.starts_with("demagora-batch: random seed ")) << result.err;

    // The reported seed repeats the run.
    const std::string marker = "--seed ";
    const std::size_t at = result.err.find(marker);
    ASSERT_NE(at, std::string::npos);
    const std::string seed = result.err.substr(
        at + marker.size(), result.err.find(' ', at + marker.size()) - at - marker.size());
    const ProcessResult repeated = runBatch({ scenario, "--seed", seed });
    ASSERT_EQ(repeated.status, 0) << repeated.err;
    EXPECT_EQ(repeated.out, result.out);
    EXPECT_EQ(repeated.err, "");
}

TEST(BatchProcessTest, ComponentSeedsNeedNoClockAndGiveWayToTheCommandLineSeed)
{
    const std::string scenario = writeScenario("own-seeds.json",
        R"({"version": 2, "components": [{"declination": 0, "inclination": 0, "height": 10,
        "blockLow": 100, "blockHigh": 110, "shape": "gauss", "seed": 7}], "population":
        {"randomPoints": 2, "fisherK": 30, "differentLengths": false, "heightStdDev": 3},
        "report": "resulting"})");
    const ProcessResult first = runBatch({ scenario });
    const ProcessResult second = runBatch({ scenario });
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.out, second.out);
    const ProcessResult seeded = runBatch({ scenario, "--seed", "7" });
    const ProcessResult other = runBatch({ scenario, "--seed", "8" });
    // --seed 7 draws from the same generator state as the component's own seed 7.
    EXPECT_EQ(seeded.out, first.out);
    EXPECT_NE(other.out, first.out);

    // The scenario's report kind is the worksheet's unless --report says otherwise.
    const std::filesystem::path folder = testing::TempDir();
    const std::string own = (folder / "own-report.xls").string();
    const std::string resulting = (folder / "resulting-report.xls").string();
    const std::string initial = (folder / "initial-report.xls").string();
    ASSERT_EQ(runBatch({ scenario, "--xls", own }).status, 0);
    ASSERT_EQ(runBatch({ scenario, "--xls", resulting, "--report", "resulting" }).status, 0);
    ASSERT_EQ(runBatch({ scenario, "--xls", initial, "--report", "initial" }).status, 0);
    EXPECT_EQ(fileText(own), fileText(resulting));
    EXPECT_NE(fileText(own), fileText(initial));
}

TEST(BatchProcessTest, HelpPrintsUsage)
{
    const ProcessResult result = runBatch({ "--help" });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with("usage: demagora-batch SCENARIO.json"));
    EXPECT_NE(result.out.find("Exit status:"), std::string::npos);
}

TEST(BatchProcessTest, VersionPrintsTheProjectVersion)
{
    const ProcessResult result = runBatch({ "--version" });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(
        result.out, std::string("demagora-batch (Demagora) ") + DEMAGORA_PROJECT_VERSION + "\n");
    EXPECT_EQ(result.err, "");
}

TEST(BatchProcessTest, ASpectrumTooNarrowToEvaluateRemainsNothing)
{
    const std::string path = writeScenario("narrow.json",
        R"({"components": [{"declination": 0, "inclination": 0, "height": 5,
        "blockLow": -1e-310, "blockHigh": 1e-310, "shape": "gauss"},
        {"declination": 90, "inclination": 0, "height": 1, "blockLow": 0, "blockHigh": 2,
        "shape": "rectangular"}]})");
    for (const std::vector<std::string> &extra :
        { std::vector<std::string> {}, { "--report", "resulting" }, { "--report", "initial" } }) {
        std::vector<std::string> arguments { path };
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const ProcessResult result = runBatch(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        for (const char *bad : { "nan", "NAN", "inf", "INF" })
            EXPECT_EQ(result.out.find(bad), std::string::npos) << result.out;
    }
}
