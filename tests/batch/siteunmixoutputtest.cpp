#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "batch/siteunmixoutput.h"

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

// Five members (the entered one and four drawn) of two Gauss components scattered with k = 200,
// measured every 25 degrees with a little noise: one site, named after the scenario file, whose
// directions lie near the entered ones; each member's components follow with the site named last.
TEST(SiteUnmixOutputTest, WritesTheSitesComponentsAndEachSpecimensPart)
{
    const fs::path folder = fs::path(testing::TempDir()) / "site-unmix-output";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path scenario = folder / "site.json";
    std::ofstream(scenario) << R"({"components": [
        {"declination": 20, "inclination": 40, "height": 10, "blockLow": 100, "blockHigh": 600, "shape": "gauss"},
        {"declination": 200, "inclination": -30, "height": 20, "blockLow": 300, "blockHigh": 450, "shape": "gauss"}],
        "population": {"randomPoints": 4, "fisherK": 200, "differentLengths": false, "heightStdDev": 0}})";
    const fs::path siteCsv = folder / "site.csv";
    const fs::path specimensCsv = folder / "specimens.csv";
    const std::vector<std::string> arguments = { scenario.string(), "--seed", "3", "--steps",
        "every:25", "--noise", "0.0002", "--unmix-site", "2", "--bootstrap", "10",
        "--unmix-site-out", siteCsv.string(), "--unmix-out", specimensCsv.string() };
    std::ostringstream out, err;
    ASSERT_EQ(runBatchCommand(arguments, out, err), BatchSuccess) << err.str();

    const auto rows = lines(siteCsv);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
        "site,components,component,declination,inclination,alpha95,k,k_lo,k_hi,n_specimens,low,"
        "high,rms,bic,angle_to_component_1,angle_to_component_2");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        SCOPED_TRACE(rows[r]);
        const auto fields = Testing::splitFields(rows[r]);
        ASSERT_EQ(fields.size(), 16u);
        EXPECT_EQ(fields[0], "site.json");
        EXPECT_EQ(fields[1], "2");
        EXPECT_EQ(fields[2], std::to_string(r));
        EXPECT_GT(std::stod(fields[5]), 0) << "alpha95 from the bootstrap";
        EXPECT_LE(std::stod(fields[7]), std::stod(fields[8])) << "k's interval";
        EXPECT_EQ(fields[9], "5") << "the entered member and the four drawn";
        // Four directions drawn with k = 200 scatter a few degrees about the entered one.
        EXPECT_LT(std::min(std::stod(fields[14]), std::stod(fields[15])), 8.0);
    }

    const auto specimens = lines(specimensCsv);
    ASSERT_EQ(specimens.size(), 11u);
    EXPECT_TRUE(specimens[0].ends_with(",angle_to_component_1,angle_to_component_2,site"));
    for (std::size_t r = 1; r < specimens.size(); ++r) {
        SCOPED_TRACE(specimens[r]);
        const auto fields = Testing::splitFields(specimens[r]);
        ASSERT_EQ(fields.size(), 24u);
        EXPECT_EQ(fields[0], "sim" + std::to_string((r - 1) / 2));
        EXPECT_EQ(fields[2], std::to_string((r - 1) % 2 + 1));
        EXPECT_EQ(fields[8], "") << "no height interval from the site's bootstrap";
        EXPECT_EQ(fields[23], "site.json");
    }
    fs::remove_all(folder);
}

TEST(SiteUnmixOutputTest, RefusesIncompleteOrConflictingOptions)
{
    const struct
    {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        { { "s.json", "--unmix-site", "2" },
            "demagora-batch: --unmix-site needs an output: --unmix-site-out FILE.csv\n" },
        { { "s.json", "--unmix-site", "0", "--unmix-site-out", "y.csv" },
            "demagora-batch: --unmix-site: '0' is not auto or a number of components from 1 to "
            "4\n" },
        { { "s.json", "--unmix", "2", "--unmix-out", "x.csv", "--unmix-site", "2",
              "--unmix-site-out", "y.csv" },
            "demagora-batch: --unmix and --unmix-site: give one; with --unmix-site, --unmix-out "
            "writes each specimen's part of its site's fit\n" },
        { { "s.json", "--unmix-site-out", "y.csv", "--series", "x.csv" },
            "demagora-batch: --unmix-site-out belongs to --unmix-site, which is not given\n" },
        { { "s.json", "--unmix-site", "auto", "--unmix-site-out", "y.csv", "--twin", "t.json" },
            "demagora-batch: --twin belongs to --unmix; a site's fit has no one specimen to "
            "copy\n" },
        { { "s.json", "--unmix-site", "auto", "--unmix-site-out", "-", "--unmix-out", "-" },
            "demagora-batch: only one output can go to standard output ('-')\n" },
        { { "--measured", DEMAGORA_TEST_FIXTURES_DIR "/cit-small/SM1-.sam", "--unmix-site", "1",
              "--unmix-site-out", "y.csv" },
            "demagora-batch: --unmix-site ties the directions of a site's specimens together, "
            "which specimen coordinates cannot: give --coordinates geographic or tilt\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        std::ostringstream out, err;
        EXPECT_EQ(runBatchCommand(c.arguments, out, err), BatchBadInput);
        EXPECT_EQ(err.str(), c.message);
    }
}

// Specimens keep the order they were read in, each site where its first specimen stands.
TEST(SiteUnmixOutputTest, GroupsSpecimensBySiteInTheOrderFirstMet)
{
    const std::vector<UnmixSpecimenSteps> specimens
        = { { "a1", {} }, { "b1", {} }, { "a2", {} }, { "c1", {} }, { "b2", {} } };
    const auto sites = groupBySite(specimens, { "A", "B", "A", "C", "B" });
    ASSERT_EQ(sites.size(), 3u);
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected
        = { { "A", { "a1", "a2" } }, { "B", { "b1", "b2" } }, { "C", { "c1" } } };
    for (std::size_t i = 0; i < sites.size(); ++i) {
        EXPECT_EQ(sites[i].site, expected[i].first);
        std::vector<std::string> names;
        for (const auto &s : sites[i].specimens)
            names.push_back(s.name);
        EXPECT_EQ(names, expected[i].second);
    }
}

} // namespace
} // namespace Demagora
