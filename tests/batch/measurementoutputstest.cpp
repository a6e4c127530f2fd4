#include "batch/batchcommand.h"
#include "batch/batchtestruns.h"
#include "files/outputfiles.h"
#include "measurements/measurementfiles.h"
#include "support/filetext.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace Demagora {
namespace {

namespace fs = std::filesystem;
using Testing::fileText;

using Testing::CommandResult;
using Testing::quoted;
const auto run = Testing::runCommand;

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
    // The combined file is named after the location, so that no table reader takes it for
    // one of the tables (contribution.txt is MagIC's contribution table).
    for (const char *table : { "locations", "sites", "samples", "specimens", "sim_upload" })
        EXPECT_TRUE(fs::is_regular_file(m_folder / "lab" / (std::string(table) + ".txt"))) << table;
    EXPECT_FALSE(fs::exists(m_folder / "lab" / "contribution.txt"));
    const std::string puffinPlot = fileText(m_folder / "run.ppl");
    const std::string utrecht = fileText(m_folder / "run.TH");
    EXPECT_TRUE(puffinPlot.starts_with("PuffinPlot file. Version 3\n"));
    EXPECT_TRUE(utrecht.ends_with("\n9999\nEND\n"));

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
    fs::create_symlink("nowhere", path("dangling"));
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
        EXPECT_FALSE(fs::exists(m_folder / "lab"));
        EXPECT_FALSE(fs::exists(m_folder / "missing"));
    }
    EXPECT_EQ(fileText(m_folder / "plain"), "text");
    EXPECT_FALSE(fs::exists(m_folder / "nowhere"));

    // A trailing slash names the same new folder.
    const CommandResult slashed = run({ scattered, "--magic", path("lab") + "/" });
    EXPECT_EQ(slashed.status, 0) << slashed.err;
    EXPECT_TRUE(fs::is_regular_file(m_folder / "lab" / "measurements.txt"));
}

// A reader that stops early (| head) fails the output on standard output like a full disk:
// status 2 and one line, and neither the other files, their temporaries nor a new MagIC folder
// are left behind (the program used to die of SIGPIPE with all of them there).
TEST_F(MeasurementOutputsTest, AClosedPipeFailsThatOutputAndLeavesNothing)
{
    // The series of the scattered example is far larger than a pipe's buffer.
    const std::string command = "( " + quoted(DEMAGORA_BATCH_EXECUTABLE) + " " + quoted(scattered)
        + " --series - --ppl " + quoted(path("x.ppl")) + " --magic " + quoted(path("lab")) + " 2>"
        + quoted(path("err")) + "; echo $? >" + quoted(path("status"))
        + " ) | head -c 1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(fileText(path("status")), "2\n");
    const std::string err = fileText(path("err"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("cannot write the series to standard output"), std::string::npos) << err;
    EXPECT_EQ(entries(), std::set<std::string>({ "err", "status" }));
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Out of memory is an internal failure, status 1 as --help says, not bad input.
TEST_F(MeasurementOutputsTest, OutOfMemoryExitsWithTheStatusTheHelpGives)
{
    // 100,000 members over 451 steps: about 1.4 GB of curves, which the measurements keep,
    // far beyond the limit below (the program itself takes less than 100 MB).
    const std::string scenario = path("memory.json");
    std::ofstream(scenario)
        << (R"({"components": [{"declination": 0, "inclination": 10, "height": 1, "blockLow": 0,
        "blockHigh": 450, "shape": "gauss"}, {"declination": 90, "inclination": 0, "height": 1,
        "blockLow": 0, "blockHigh": 450, "shape": "gauss"}], "population": {"randomPoints":
        100000, "fisherK": 30, "differentLengths": false, "heightStdDev": 0}, "seed": 1})");
    const std::string command = "ulimit -v 600000; exec " + quoted(DEMAGORA_BATCH_EXECUTABLE) + " "
        + quoted(scenario) + " --ppl " + quoted(path("out.ppl")) + " 2>" + quoted(path("err"));
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1) << fileText(path("err"));
    EXPECT_NE(fileText(path("err")).find("not enough memory for this run"), std::string::npos);
    std::ostringstream help;
    std::ostringstream ignored;
    runBatchCommand(std::vector<std::string> { "--help" }, help, ignored);
    EXPECT_NE(
        help.str().find("  1  an internal failure, such as too little memory"), std::string::npos);
    EXPECT_EQ(entries(), std::set<std::string>({ "err", "memory.json" }));
}
#endif

// SIGTERM (or SIGINT) while the files are written takes the new folder away with the
// temporary files in it; it used to stay behind, empty. So does a file grown past the size
// limit of `ulimit -f` (SIGXFSZ), which used to leave the temporary file as well.
TEST_F(MeasurementOutputsTest, ATerminatedExportLeavesNoNewFolder)
{
    const ResultSeries series { { { 0, 1, 2, 3 }, { 10, 1, 1, 1 } } };
    MeasurementSettings settings;
    settings.schedule = parseSchedule("0,10");
    struct Ending
    {
        const char *name;
        int signal;
        std::function<void(std::ostream &)> write;
    };
    const Ending endings[] = {
        { "terminated", SIGTERM,
            [](std::ostream &stream) {
                stream << "partial" << std::flush;
                std::raise(SIGTERM);
            } },
        { "over the file size limit", SIGXFSZ,
            [](std::ostream &stream) {
                const struct rlimit limit = { 8192, 8192 };
                ::setrlimit(RLIMIT_FSIZE, &limit);
                stream << std::string(20000, 'x') << std::flush;
            } },
    };
    for (const Ending &ending : endings) {
        SCOPED_TRACE(ending.name);
        EXPECT_EXIT(
            {
                OutputFiles files;
                MeasurementFiles measurementFiles(
                    { path("lab"), std::nullopt, std::nullopt }, settings.prefix);
                measurementFiles.addFiles(files);
                measurementFiles.measure(series, settings);
                measurementFiles.addNewFolder(files);
                // Written after the tables, whose temporary files are in the folder by then.
                files.add(path("last.txt"), "the last file", ending.write);
                files.commit();
            },
            testing::KilledBySignal(ending.signal), "");
        EXPECT_FALSE(fs::exists(m_folder / "lab"));
        EXPECT_FALSE(fs::exists(m_folder / "last.txt"));
        EXPECT_TRUE(fs::is_empty(m_folder));
    }
}

} // namespace
} // namespace Demagora
