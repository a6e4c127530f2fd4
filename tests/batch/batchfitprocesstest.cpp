#include "batch/batchtestruns.h"
#include "support/csvfields.h"
#include "support/filetext.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(BatchProcessTest, FitsAndFisherStatisticsOfTheScatteredExample)
{
    const std::filesystem::path folder = testing::TempDir();
    const std::string fits = (folder / "process-fits.csv").string();
    const std::string fisher = (folder / "process-fisher.csv").string();
    const ProcessResult result = runBatch(
        { example("scattered.json"), "--fit", "300:550", "--fits", fits, "--fisher", fisher });
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");

    std::istringstream fitsText(fileText(fits));
    std::string line;
    std::getline(fitsText, line);
    EXPECT_EQ(line,
        "member,type,from,to,n,declination,inclination,mad,dang,angle_to_component_1,"
        "angle_to_component_2");
    int rows = 0;
    while (std::getline(fitsText, line)) {
        const auto fields = splitFields(line);
        ASSERT_EQ(fields.size(), 11u) << line;
        EXPECT_EQ(fields[0], std::to_string(rows));
        EXPECT_EQ(fields[1], "free");
        EXPECT_EQ(fields[2] + ":" + fields[3] + " " + fields[4], "300:550 251");
        // The second component (170 / -40) holds the interval apart from its start.
        EXPECT_LT(std::stod(fields[10]), 20) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 21);

    std::istringstream fisherText(fileText(fisher));
    std::getline(fisherText, line);
    EXPECT_EQ(line, "set,n,declination,inclination,r,k,alpha95,angular_deviation");
    for (const char *set : { "fitted,20,", "component_1,20,", "component_2,20," }) {
        ASSERT_TRUE(std::getline(fisherText, line));
        EXPECT_TRUE(line.starts_with(set)) << line;
        EXPECT_EQ(splitFields(line).size(), 8u);
    }

    const std::string untouched = (folder / "process-fits-refused.csv").string();
    const ProcessResult refused = runBatch({ example("scattered.json"), "--fit", "300:301",
        "--fit-type", "plane", "--fits", untouched });
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
        "demagora-batch: --fit 300:301: the interval 300 to 301 holds 2 steps; a plane needs at "
        "least 3\n");
    EXPECT_FALSE(std::filesystem::exists(untouched));
}

TEST(BatchProcessTest, PolesOfPlanesAreAveragedAsAxes)
{
    // The fitted planes of the scattered example hold both components, so their poles lie
    // near the horizontal and fall on either side of it: averaged as vectors they give k 1.4.
    const std::string fisher
        = (std::filesystem::path(testing::TempDir()) / "process-poles.csv").string();
    const ProcessResult result = runBatch({ example("scattered.json"), "--fit", "150:579",
        "--fit-type", "plane", "--fisher", fisher });
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream text(fileText(fisher));
    std::string line;
    std::getline(text, line);
    std::getline(text, line);
    const auto fields = splitFields(line);
    ASSERT_EQ(fields.size(), 8u) << line;
    EXPECT_EQ(fields[0] + "," + fields[1], "fitted,20");
    EXPECT_NEAR(std::stod(fields[5]), 15.5, 0.05) << line;
    EXPECT_NEAR(std::stod(fields[6]), 8.6, 0.05) << line;
}

TEST(BatchProcessTest, FitsFollowTheMeasurementScheduleAndItsNoise)
{
    const std::filesystem::path folder = testing::TempDir();
    const auto fitRows = [&](const std::vector<std::string> &extra) {
        const std::string fits = (folder / "process-measured-fits.csv").string();
        std::vector<std::string> arguments
            = { example("scattered.json"), "--fit", "300:550", "--fits", fits };
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const ProcessResult result = runBatch(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        std::istringstream text(fileText(fits));
        std::vector<std::vector<std::string>> rows;
        for (std::string line; std::getline(text, line);)
            rows.push_back(splitFields(line));
        return rows;
    };
    const auto scheduled = fitRows({ "--steps", "0,300,400,500,550,580" });
    ASSERT_EQ(scheduled.size(), 22u);
    EXPECT_EQ(scheduled[5][2] + ":" + scheduled[5][3] + " " + scheduled[5][4], "300:550 4");
    const auto noisy = fitRows({ "--steps", "0,300,400,500,550,580", "--noise", "1e-4" });
    ASSERT_EQ(noisy.size(), 22u);
    EXPECT_EQ(noisy[5][4], "4");
    EXPECT_NE(noisy[5][5], scheduled[5][5]) << "the noise moves the fitted declination";
    EXPECT_EQ(noisy, fitRows({ "--noise", "1e-4", "--steps", "0,300,400,500,550,580" }))
        << "the run's seed gives the same noise every time";
    // The noise seed alone moves the noise and leaves the members as they are: the scenario's
    // seed (42) given as the noise seed is the default noise.
    const std::vector<std::string> measured
        = { "--steps", "0,300,400,500,550,580", "--noise", "1e-4" };
    const auto withNoiseSeed = [&](const char *seed) {
        std::vector<std::string> extra = measured;
        extra.insert(extra.end(), { "--noise-seed", seed });
        return fitRows(extra);
    };
    EXPECT_EQ(withNoiseSeed("42"), noisy);
    const auto reseeded = withNoiseSeed("43");
    ASSERT_EQ(reseeded.size(), 22u);
    EXPECT_NE(reseeded[5][5], noisy[5][5]);
    EXPECT_EQ(reseeded,
        fitRows({ "--seed", "42", "--noise-seed", "43", "--steps", "0,300,400,500,550,580",
            "--noise", "1e-4" }));
}
