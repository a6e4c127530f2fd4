#include "support/csvfields.h"
#include "support/filetext.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Demagora::Testing::fileText;
using Demagora::Testing::splitFields;

struct ProcessResult
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string &argument)
{
    std::string text = "'";
    for (const char c : argument)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

// Runs demagora-batch with the arguments and collects its exit status and both streams.
ProcessResult runBatch(const std::vector<std::string> &arguments)
{
    // CTest runs the cases as parallel processes: every call gets its own capture files.
    static int calls = 0;
    const std::string stem
        = "batch-process-" + std::to_string(getpid()) + "-" + std::to_string(++calls);
    const std::filesystem::path folder = testing::TempDir();
    const std::filesystem::path out = folder / (stem + "-out.txt");
    const std::filesystem::path err = folder / (stem + "-err.txt");
    std::string command = quoted(DEMAGORA_BATCH_EXECUTABLE);
    for (const std::string &argument : arguments)
        command += " " + quoted(argument);
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    ProcessResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = fileText(out);
    result.err = fileText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

std::string example(const std::string &name)
{
    return std::string(DEMAGORA_EXAMPLES_DIR) + "/" + name;
}

std::string writeScenario(const std::string &name, const std::string &json)
{
    const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / name;
    std::ofstream(path) << json;
    return path.string();
}

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
