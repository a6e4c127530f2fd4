#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "batch/unmixoutput.h"
#include "document/scenario.h"

#include "support/csvfields.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> lines(const fs::path &path)
{
    std::ifstream file(path);
    std::vector<std::string> result;
    for (std::string line; std::getline(file, line);)
        result.push_back(line);
    return result;
}

// A run of two Gauss components measured every 25 degrees with a little noise: the fitted
// directions lie close to the entered ones, and the twin is a scenario the tool reads back.
TEST(UnmixOutputTest, WritesFittedComponentsBesideTheEnteredOnes)
{
    const fs::path folder = fs::path(testing::TempDir()) / "unmix-output";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path scenario = folder / "two.json";
    std::ofstream(scenario) << R"({"components": [
        {"declination": 20, "inclination": 40, "height": 10, "blockLow": 100, "blockHigh": 450, "shape": "gauss"},
        {"declination": 200, "inclination": -30, "height": 8, "blockLow": 350, "blockHigh": 600, "shape": "gauss"}]})";
    const fs::path csv = folder / "fitted.csv";
    const fs::path twin = folder / "twin.json";
    const std::vector<std::string> arguments = { scenario.string(), "--seed", "3", "--steps",
        "0,25,50,75,100,125,150,175,200,225,250,275,300,325,350,375,400,425,450,475,500,525,"
        "550,575,600,625",
        "--noise", "0.0002", "--unmix", "auto", "--bootstrap", "20", "--unmix-out", csv.string(),
        "--twin", twin.string() };
    std::ostringstream out, err;
    ASSERT_EQ(runBatchCommand(arguments, out, err), BatchSuccess) << err.str();

    const auto rows = lines(csv);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
        "specimen,components,component,shape,declination,inclination,alpha95,height,height_lo,"
        "height_hi,low,low_lo,low_hi,high,high_lo,high_hi,rms,bic,noise,misfit,stable,"
        "angle_to_component_1,angle_to_component_2");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        SCOPED_TRACE(rows[r]);
        const auto fields = Testing::splitFields(rows[r]);
        ASSERT_EQ(fields.size(), 23u);
        EXPECT_EQ(fields[0], "sim0");
        EXPECT_EQ(fields[1], "2");
        EXPECT_EQ(fields[3], "gauss");
        // Each fitted component lies within a degree of one entered component.
        const double nearest = std::min(std::stod(fields[21]), std::stod(fields[22]));
        EXPECT_LT(nearest, 1.0);
        EXPECT_GT(std::stod(fields[6]), 0) << "alpha95 from the bootstrap";
        // The noise from the residuals, near the 0.0002 A/m drawn; no errors, no misfit.
        EXPECT_NEAR(std::stod(fields[18]), 0.0002, 0.00005);
        EXPECT_EQ(fields[19], "");
        EXPECT_EQ(fields[20], "true");
    }
    const Scenario read = readScenarioFile(twin.string());
    ASSERT_EQ(read.components.size(), 2u);
    // Heights come back in the model's unit: the measured A/m divided by the default scale.
    EXPECT_NEAR(read.components[0].Height + read.components[1].Height, 18, 0.1);
    fs::remove_all(folder);
}

// A run whose ten components turn through 180 degrees is said, on standard error, to turn along
// its whole path, naming the member; a run of two components is not.
TEST(UnmixOutputTest, SaysWhichSpecimensTurnAlongTheWholePath)
{
    const fs::path folder = fs::path(testing::TempDir()) / "unmix-turning";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string turning = R"({"components": [)";
    for (int i = 0; i < 10; ++i)
        turning += std::string(i > 0 ? "," : "") + R"({"declination": )" + std::to_string(20 * i)
            + R"(, "inclination": 0, "height": 3, "blockLow": )" + std::to_string(100 + 40 * i)
            + R"(, "blockHigh": )" + std::to_string(250 + 40 * i) + R"(, "shape": "gauss"})";
    turning += "]}";
    const struct
    {
        const char *name;
        std::string scenario;
        bool turns;
    } cases[] = {
        { "turning", turning, true },
        { "two components",
            R"({"components": [
        {"declination": 20, "inclination": 40, "height": 10, "blockLow": 100, "blockHigh": 450, "shape": "gauss"},
        {"declination": 200, "inclination": -30, "height": 8, "blockLow": 350, "blockHigh": 600, "shape": "gauss"}]})",
            false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path scenario = folder / (std::string(c.name) + ".json");
        std::ofstream(scenario) << c.scenario;
        const std::vector<std::string> arguments = { scenario.string(), "--seed", "3", "--steps",
            "0,25,50,75,100,125,150,175,200,225,250,275,300,325,350,375,400,425,450,475,500,525,"
            "550,575,600,625,650",
            "--noise", "0.0002", "--unmix", "auto", "--bootstrap", "0", "--unmix-out",
            (folder / "fitted.csv").string() };
        std::ostringstream out, err;
        ASSERT_EQ(runBatchCommand(arguments, out, err), BatchSuccess) << err.str();
        const std::string line
            = "sim0: the direction turns along the whole path; the components describe the path\n";
        EXPECT_EQ(err.str().find(line) != std::string::npos, c.turns) << err.str();
    }
    fs::remove_all(folder);
}

TEST(UnmixOutputTest, RefusesIncompleteOptions)
{
    const struct
    {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        { { "s.json", "--unmix", "2" },
            "demagora-batch: --unmix needs an output: --unmix-out FILE.csv\n" },
        { { "s.json", "--unmix", "5", "--unmix-out", "x.csv" },
            "demagora-batch: --unmix: '5' is not auto or a number of components from 1 to 4\n" },
        { { "s.json", "--bootstrap", "10", "--series", "x.csv" },
            "demagora-batch: --bootstrap belongs to --unmix, which is not given\n" },
        { { "s.json", "--unmix", "auto", "--unmix-out", "x.csv", "--unmix-shapes", "round" },
            "demagora-batch: --unmix-shapes: 'round' is not gauss, rectangular or any\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        std::ostringstream out, err;
        EXPECT_EQ(runBatchCommand(c.arguments, out, err), BatchBadInput);
        EXPECT_EQ(err.str(), c.message);
    }
}

// The fits of a run are bounded before the first: specimens times (refits + 1).
TEST(UnmixOutputTest, RunsOfTooManyFitsAreRefusedBeforeTheFirst)
{
    const std::vector<UnmixSpecimenSteps> two(2, UnmixSpecimenSteps { "S", {} });
    UnmixBatchOptions options;
    options.bootstrap = 50000;
    try {
        unmixSpecimens(two, options, 1);
        ADD_FAILURE() << "not refused";
    } catch (const BatchError &error) {
        EXPECT_EQ(std::string(error.what()),
            "--bootstrap: 2 specimens with 50000 refits each (and one per step left out) make "
            "100002 fits, more than the 100000 a run makes; give a smaller --bootstrap or fewer "
            "specimens (--specimen)");
    }
    // Within the bound the specimens go to the fit (which refuses these for want of steps).
    options.bootstrap = 49999;
    try {
        unmixSpecimens(two, options, 1);
        ADD_FAILURE() << "not refused";
    } catch (const BatchError &error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("--unmix: S: 0 steps")) << error.what();
    }
}

} // namespace
} // namespace Demagora
