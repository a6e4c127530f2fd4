#include "batch/batchcommand.h"
#include "support/filetext.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

namespace fs = std::filesystem;
using Testing::fileText;

struct CommandResult
{
    int status = -1;
    std::string err;
};

CommandResult run(const std::vector<std::string> &arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runBatchCommand(arguments, out, err);
    return { status, err.str() };
}

class MeasurementOutputsTest : public Testing::TemporaryFolderTest
{
protected:
    const std::string scattered = std::string(DEMAGORA_EXAMPLES_DIR) + "/scattered.json";
};

TEST_F(MeasurementOutputsTest, WritesEveryFormatAndRepeatsTheNoiseFromTheSeed)
{
    const std::vector<std::string> arguments { scattered, "--magic", path("lab"), "--ppl",
        path("run.ppl"), "--utrecht", path("run"), "--steps", "every:100", "--noise", "1e-5" };
    const CommandResult first = run(arguments);
    ASSERT_EQ(first.status, 0) << first.err;
    // 21 specimens at 150 (the NRM), 250, 350, 450, 550 and 580.
    const std::string measurements = fileText(m_folder / "lab" / "measurements.txt");
    EXPECT_EQ(std::count(measurements.begin(), measurements.end(), '\n'), 2 + 21 * 6);
    for (const char *table : { "locations", "sites", "samples", "specimens", "contribution" })
        EXPECT_TRUE(fs::is_regular_file(m_folder / "lab" / (std::string(table) + ".txt"))) << table;
    const std::string puffinPlot = fileText(m_folder / "run.ppl");
    const std::string utrecht = fileText(m_folder / "run.TH");
    EXPECT_TRUE(puffinPlot.starts_with("PuffinPlot file. Version 3\n"));
    EXPECT_TRUE(utrecht.ends_with("\nEND\n"));

    ASSERT_EQ(run(arguments).status, 0);
    EXPECT_EQ(fileText(m_folder / "run.ppl"), puffinPlot);
    EXPECT_EQ(fileText(m_folder / "lab" / "measurements.txt"), measurements);
    std::vector<std::string> reseeded = arguments;
    reseeded.insert(reseeded.end(), { "--seed", "43" });
    ASSERT_EQ(run(reseeded).status, 0);
    EXPECT_NE(fileText(m_folder / "run.ppl"), puffinPlot);
}

TEST_F(MeasurementOutputsTest, CreatesTheFolderOnlyWhenEveryCheckHasPassed)
{
    const std::string tooManyRows
        = std::string(DEMAGORA_BATCH_TESTS_DIR) + "/data-too-many-rows.json";
    std::ofstream(path("plain")) << "text";
    struct FolderCase
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const FolderCase folderCases[] = {
        { { scattered, "--magic", path("lab"), "--ppl", m_folder.string() }, m_folder.string() },
        // Refused only after the run.
        { { tooManyRows, "--magic", path("lab"), "--report", "resulting", "--xls",
              path("big.xls") },
            "70700 rows" },
        { { scattered, "--magic", path("missing/lab") },
            "--magic: the folder '" + path("missing/lab") + "' cannot be created: '"
                + path("missing") + "' is not a folder" },
        { { scattered, "--magic", path("plain") },
            "--magic: '" + path("plain") + "' is not a folder" },
    };
    for (const FolderCase &c : folderCases) {
        SCOPED_TRACE(c.message);
        const CommandResult result = run(c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(m_folder / "lab"));
        EXPECT_FALSE(fs::exists(m_folder / "missing"));
    }
    EXPECT_EQ(fileText(m_folder / "plain"), "text");
}

} // namespace
} // namespace Demagora
