#include "batch/batchtestruns.h"
#include "support/filetext.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Demagora::Testing::example;
using Demagora::Testing::fileText;
using Demagora::Testing::writeScenario;

using ProcessResult = Demagora::Testing::CommandResult;
const auto runBatch = Demagora::Testing::runBatchProcess;

// A fresh folder holding a two-component scenario, for the cases that must leave it alone.
struct OutputFolder
{
    std::filesystem::path folder;
    std::string scenario;

    explicit OutputFolder(const std::string &name)
    {
        folder = std::filesystem::path(testing::TempDir())
            / ("outputs-" + std::to_string(getpid()) + "-" + name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        scenario = (folder / "scen.XLS").string();
        std::filesystem::copy_file(example("two-components.json"), scenario);
    }
    ~OutputFolder() { std::filesystem::remove_all(folder); }
    std::string path(const std::string &name) const { return (folder / name).string(); }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST(BatchProcessTest, OutputsThatWouldDestroySomethingAreRefusedBeforeAnythingIsWritten)
{
    struct Case
    {
        std::string name;
        std::function<std::vector<std::string>(const OutputFolder &)> prepare;
        std::string messagePart;
    };
    const auto file
        = [](const std::string &path, const std::string &text) { std::ofstream(path) << text; };
    const Case cases[] = {
        { "read-only series",
            [&](const OutputFolder &f) {
                file(f.path("ro.csv"), "keep");
                std::filesystem::permissions(f.path("ro.csv"), std::filesystem::perms::owner_read);
                return std::vector<std::string> { "--series", f.path("ro.csv") };
            },
            "ro.csv: Permission denied" },
        { "device as picture",
            [](const OutputFolder &) {
                return std::vector<std::string> { "--png", "/dev/full" };
            },
            "/dev/full: not a regular file" },
        { "worksheet over the scenario after the .XLS rule",
            [](const OutputFolder &f) {
                return std::vector<std::string> { "--xls", f.path("scen") };
            },
            "that is the input file" },
        { "two outputs, one file",
            [](const OutputFolder &f) {
                return std::vector<std::string> { "--series", f.path("same.png"), "--png",
                    f.path("same.png") };
            },
            "the same file as the series" },
        { "a failing second output",
            [&](const OutputFolder &f) {
                file(f.path("keep.csv"), "keep");
                return std::vector<std::string> { "--series", f.path("keep.csv"), "--png",
                    f.path("missing-folder/p.png") };
            },
            "missing-folder/p.png: No such file or directory" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OutputFolder folder(std::to_string(&c - cases));
        std::vector<std::string> arguments = c.prepare(folder);
        const std::vector<std::string> before = folder.entries();
        const std::string scenario = fileText(folder.scenario);
        arguments.insert(arguments.begin(), folder.scenario);
        const ProcessResult result = runBatch(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.messagePart), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(folder.entries(), before);
        EXPECT_EQ(fileText(folder.scenario), scenario);
        if (std::filesystem::exists(folder.path("keep.csv"))) {
            EXPECT_EQ(fileText(folder.path("keep.csv")), "keep");
        }
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(BatchProcessTest, LinksAndTemporaryNamesOfTheUserAreLeftAlone)
{
    const OutputFolder f("links");
    std::ofstream(f.path("out.csv.partial")) << "mine";
    std::ofstream(f.path("unrelated.txt")) << "unrelated";
    std::filesystem::create_symlink("unrelated.txt", f.path("o2.csv.partial"));
    std::filesystem::create_symlink("written.csv", f.path("dangling.csv"));
    const ProcessResult result = runBatch({ f.scenario, "--series", f.path("out.csv"), "--xls",
        f.path("o2.csv"), "--png", f.path("dangling.csv") });
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fileText(f.path("out.csv.partial")), "mine");
    EXPECT_EQ(fileText(f.path("unrelated.txt")), "unrelated");
    EXPECT_TRUE(std::filesystem::is_symlink(f.path("dangling.csv")));
    EXPECT_TRUE(fileText(f.path("written.csv")).starts_with("\x89PNG"));
    EXPECT_EQ(f.entries(),
        std::vector<std::string>({ "dangling.csv", "o2.XLS", "o2.csv.partial", "out.csv",
            "out.csv.partial", "scen.XLS", "unrelated.txt", "written.csv" }));
}

TEST(BatchProcessTest, InputsBeyondTheLimitsAreRefusedUpFrontOnOneLine)
{
    const auto component = [](const std::string &low, const std::string &high,
                               const std::string &height = "10") {
        return R"({"declination": 0, "inclination": 0, "height": )" + height + R"(, "blockLow": )"
            + low + R"(, "blockHigh": )" + high + R"(, "shape": "gauss"})";
    };
    std::string manySpectra = R"({"components": [)";
    for (int i = 0; i < 1000; ++i)
        manySpectra += (i ? "," : "") + component(std::to_string(-100000 + i), "100000");
    manySpectra += "]}";
    std::string manyComponents = R"({"components": [)";
    for (int i = 0; i < 499; ++i)
        manyComponents += (i ? "," : "") + component("100", "598");
    const std::string population = R"(, "fisherK": 10, "differentLengths": false,
        "heightStdDev": 0}})";
    const std::string manyWholeMagnetizations
        = manyComponents + R"(], "population": {"randomPoints": 10000)" + population;
    manyComponents += R"(], "population": {"randomPoints": 100000)" + population;
    const struct
    {
        std::string name;
        std::string json;
        std::string message;
    } cases[] = {
        { "huge height", R"({"components": [)" + component("100", "200", "1e308") + "]}",
            "components[0].height: The height 1e+308 is out of range: spectrum heights must lie "
            "between -1e100 and 1e100" },
        { "huge deviation",
            R"({"components": [)" + component("100", "200")
                + R"(], "population": {"randomPoints": 3, "fisherK": 10, "differentLengths": true,
                "heightStdDev": 1e200}})",
            "population.heightStdDev: StdDev (heights) 1e+200 is out of range" },
        { "a field name with control characters", "{\"comp\\u001b[31m\\nonents\": []}",
            ": \"comp\\u001b[31m\\nonents\": unknown field" },
        { "1000 distinct wide spectra", manySpectra,
            "the tables of its 1000 distinct blocking spectra need 17560 MB, more than 1000 MB" },
        { "too much work", manyComponents,
            "499 components times 100001 members times 499 steps, with the whole magnetization of "
            "every member, need " },
        { "whole magnetizations of 10001 members", manyWholeMagnetizations,
            "499 components times 10001 members times 499 steps, with the whole magnetization of "
            "every member, need " },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = writeScenario("limits.json", c.json);
        const ProcessResult result = runBatch({ path });
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
    }

    const std::string wide = writeScenario("wide.json",
        R"({"components": [)" + component("100", "598")
            + R"(], "population": {"randomPoints": 1002)" + population);
    const std::string svg = std::filesystem::path(testing::TempDir()) / "wide.svg";
    const ProcessResult drawing = runBatch({ wide, "--png", svg });
    EXPECT_EQ(drawing.status, 2);
    EXPECT_EQ(drawing.err,
        "demagora-batch: --png: an SVG drawing of 500497 result points would be too large (at "
        "most 500000); write a PNG image instead (a name not ending in .svg)\n");
    EXPECT_FALSE(std::filesystem::exists(svg));
    const std::string large = writeScenario("large.json",
        R"({"components": [)" + component("100", "598")
            + R"(], "population": {"randomPoints": 100000)" + population);
    const std::string png = std::filesystem::path(testing::TempDir()) / "large.png";
    const ProcessResult picture = runBatch({ large, "--png", png, "--width", "8000" });
    EXPECT_EQ(picture.status, 2);
    EXPECT_EQ(picture.err,
        "demagora-batch: --width: 8000 pixels is too wide for a picture of 49900499 result "
        "points, whose drawing would need more memory than a run may take; at most 4003 pixels "
        "(or --single N to draw one resulting vector)\n");
    EXPECT_FALSE(std::filesystem::exists(png));

    const std::string wideReport = writeScenario("wide-report.json",
        R"({"components": [)" + component("100", "598")
            + R"(], "population": {"randomPoints": 30060)" + population);
    const ProcessResult report = runBatch({ wideReport, "--report", "resulting" });
    EXPECT_EQ(report.status, 2);
    EXPECT_EQ(report.err,
        "demagora-batch: --report resulting: a report of 15000439 result points would take "
        "minutes to write (at most 15000000); use --series FILE for every curve\n");

    const ProcessResult endless = runBatch({ "/dev/zero" });
    EXPECT_EQ(endless.status, 2);
    EXPECT_EQ(endless.err,
        "demagora-batch: /dev/zero: the scenario file is larger than 16 MiB, the most a scenario "
        "may take\n");
}
