#include "batch/batchcommand.h"
#include "files/outputfiles.h"
#include "measurements/measurementfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

namespace fs = std::filesystem;

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

std::string readAll(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class MeasurementOutputsTest : public ::testing::Test
{
protected:
    MeasurementOutputsTest()
        : folder(fs::path(testing::TempDir())
            / ("measurement-outputs-"
                + std::string(testing::UnitTest::GetInstance()->current_test_info()->name())))
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~MeasurementOutputsTest() override { fs::remove_all(folder); }

    std::string path(const std::string &name) const { return (folder / name).string(); }

    const std::string scattered = std::string(DEMAGORA_EXAMPLES_DIR) + "/scattered.json";
    fs::path folder;
};

TEST_F(MeasurementOutputsTest, WritesEveryFormatAndRepeatsTheNoiseFromTheSeed)
{
    const std::vector<std::string> arguments { scattered, "--magic", path("lab"), "--ppl",
        path("run.ppl"), "--utrecht", path("run"), "--steps", "every:100", "--noise", "1e-5" };
    const CommandResult first = run(arguments);
    ASSERT_EQ(first.status, 0) << first.err;
    // 21 specimens at 150 (the NRM), 250, 350, 450, 550 and 580.
    const std::string measurements = readAll(folder / "lab" / "measurements.txt");
    EXPECT_EQ(std::count(measurements.begin(), measurements.end(), '\n'), 2 + 21 * 6);
    // The combined file is named after the location, so that no table reader takes it for
    // one of the tables (contribution.txt is MagIC's contribution table).
    for (const char *table : { "locations", "sites", "samples", "specimens", "sim_upload" })
        EXPECT_TRUE(fs::is_regular_file(folder / "lab" / (std::string(table) + ".txt"))) << table;
    EXPECT_FALSE(fs::exists(folder / "lab" / "contribution.txt"));
    const std::string puffinPlot = readAll(folder / "run.ppl");
    const std::string utrecht = readAll(folder / "run.TH");
    EXPECT_TRUE(puffinPlot.starts_with("PuffinPlot file. Version 3\n"));
    EXPECT_TRUE(utrecht.ends_with("\n9999\nEND\n"));

    ASSERT_EQ(run(arguments).status, 0);
    EXPECT_EQ(readAll(folder / "run.ppl"), puffinPlot);
    EXPECT_EQ(readAll(folder / "lab" / "measurements.txt"), measurements);
    std::vector<std::string> reseeded = arguments;
    reseeded.insert(reseeded.end(), { "--seed", "43" });
    ASSERT_EQ(run(reseeded).status, 0);
    EXPECT_NE(readAll(folder / "run.ppl"), puffinPlot);
}

TEST_F(MeasurementOutputsTest, CreatesTheFolderOnlyWhenEveryCheckHasPassed)
{
    const std::string tooManyRows
        = std::string(DEMAGORA_BATCH_TESTS_DIR) + "/data-too-many-rows.json";
    std::ofstream(path("plain")) << "text";
    fs::create_symlink("nowhere", path("dangling"));
    struct FolderCase
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const FolderCase folderCases[] = {
        { { scattered, "--magic", path("lab"), "--ppl", folder.string() }, folder.string() },
        // Refused only after the run.
        { { tooManyRows, "--magic", path("lab"), "--report", "resulting", "--xls",
              path("big.xls") },
            "70700 rows" },
        { { scattered, "--magic", path("missing/lab") },
            "--magic: the folder '" + path("missing/lab") + "' cannot be created: '"
                + path("missing") + "' is not a folder" },
        { { scattered, "--magic", path("plain") },
            "--magic: '" + path("plain") + "' is not a folder" },
        { { scattered, "--magic", path("dangling") },
            "--magic: '" + path("dangling")
                + "' is a symbolic link to 'nowhere', which does not "
                  "exist; give the folder itself" },
    };
    for (const FolderCase &c : folderCases) {
        SCOPED_TRACE(c.message);
        const CommandResult result = run(c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(folder / "lab"));
        EXPECT_FALSE(fs::exists(folder / "missing"));
    }
    EXPECT_EQ(readAll(folder / "plain"), "text");
    EXPECT_FALSE(fs::exists(folder / "nowhere"));

    // A trailing slash names the same new folder.
    const CommandResult slashed = run({ scattered, "--magic", path("lab") + "/" });
    EXPECT_EQ(slashed.status, 0) << slashed.err;
    EXPECT_TRUE(fs::is_regular_file(folder / "lab" / "measurements.txt"));
}

// SIGTERM (or SIGINT) while the files are written takes the new folder away with the
// temporary files in it; it used to stay behind, empty.
TEST_F(MeasurementOutputsTest, ATerminatedExportLeavesNoNewFolder)
{
    const ResultSeries series { { { 0, 1, 2, 3 }, { 10, 1, 1, 1 } } };
    MeasurementSettings settings;
    settings.schedule = parseSchedule("0,10");
    EXPECT_EXIT(
        {
            OutputFiles files;
            MeasurementFiles measurementFiles(
                { path("lab"), std::nullopt, std::nullopt }, settings.prefix);
            measurementFiles.addFiles(files);
            measurementFiles.measure(series, settings);
            measurementFiles.addNewFolder(files);
            // Written after the tables, whose temporary files are in the folder by then.
            files.add(path("last.txt"), "the last file", [](std::ostream &stream) {
                stream << "partial" << std::flush;
                std::raise(SIGTERM);
            });
            files.commit();
        },
        testing::KilledBySignal(SIGTERM), "");
    EXPECT_FALSE(fs::exists(folder / "lab"));
    EXPECT_FALSE(fs::exists(folder / "last.txt"));
    EXPECT_TRUE(fs::is_empty(folder));
}

} // namespace
} // namespace Demagora
