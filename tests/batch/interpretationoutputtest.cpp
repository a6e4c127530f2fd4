#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "batch/batchoptions.h"
#include "batch/batchtestruns.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Demagora;

namespace {

namespace fs = std::filesystem;

const std::string Scattered = std::string(DEMAGORA_EXAMPLES_DIR) + "/scattered.json";

using Testing::CommandResult;
const auto run = Testing::runCommand;

void writeText(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

// The fields after the first two (member or specimen, type) up to dang.
std::string fittedFields(const std::string &row)
{
    const std::size_t start = row.find(',', row.find(',') + 1) + 1;
    std::size_t end = start;
    for (int field = 0; field < 7; ++field)
        end = row.find(',', end) + 1;
    return row.substr(start, end - 1 - start);
}

std::string refusal(const std::vector<std::string> &arguments)
{
    try {
        parseBatchOptions(arguments);
    } catch (const BatchError &error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(InterpretationOptionsTest, RefusesCombinationsThatHaveNoMeaning)
{
    struct Row
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Row> rows = {
        { { "a.json", "--site-means", "s.csv" },
            "--site-means needs the list of --interpretations FILE" },
        { { "a.json", "--interpretations", "l.csv" },
            "--interpretations needs an output: --fits FILE or --site-means FILE" },
        { { "a.json", "--interpretations", "l.csv", "--fits", "f.csv", "--fit", "1:2" },
            "--interpretations fits the intervals of its list; --fit, --fit-type and --fisher "
            "cannot go with it" },
        { { "a.json", "--interpretations", "l.csv", "--site-means", "s", "--fisher", "f" },
            "--interpretations fits the intervals of its list; --fit, --fit-type and --fisher "
            "cannot go with it" },
        { { "a.json", "--interpretations", "l", "--fits", "-", "--site-means", "-" },
            "only one output can go to standard output ('-')" },
        { { "a.json", "--interpretations", "l", "--interpretations", "m", "--fits", "f" },
            "--interpretations is given more than once" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(refusal(row.arguments), row.message);
    }
}

TEST(InterpretationOutputTest, FitsEveryListedInterpretationInListOrder)
{
    const fs::path folder = testing::TempDir();
    const fs::path list = folder / "interpretations-list.csv";
    writeText(list,
        "specimen,type,from,to\nsim03,free,300,550\nsim01,plane,200,550\nsim03,anchored,200,400\n");
    const CommandResult listed
        = run({ Scattered, "--seed", "7", "--interpretations", list.string(), "--fits", "-" });
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::vector<std::string> rows = lines(listed.out);
    ASSERT_EQ(rows.size(), 4u) << listed.out;
    EXPECT_EQ(rows[0],
        "specimen,type,from,to,n,declination,inclination,mad,dang,alpha95_from_mad,"
        "alpha95_isotropic,site,component");
    EXPECT_TRUE(rows[1].starts_with("sim03,free,300,550,251,")) << rows[1];
    EXPECT_TRUE(rows[2].starts_with("sim01,plane,200,550,351,")) << rows[2];
    // A plane has no dang, no alpha95; every member of the run is of the site its prefix names.
    EXPECT_TRUE(rows[2].ends_with(",,,,sim,")) << rows[2];
    EXPECT_TRUE(rows[3].starts_with("sim03,anchored,200,400,201,")) << rows[3];

    // The same member over the same interval as --fit gives it, field for field.
    for (const auto &[type, interval, row] :
        { std::tuple { "free", "300:550", 1 }, std::tuple { "anchored", "200:400", 3 } }) {
        SCOPED_TRACE(type);
        const CommandResult fitted = run(
            { Scattered, "--seed", "7", "--fit", interval, "--fit-type", type, "--fits", "-" });
        ASSERT_EQ(fitted.status, 0) << fitted.err;
        EXPECT_EQ(fittedFields(lines(fitted.out)[4]), fittedFields(rows[row]));
    }
}

TEST(InterpretationOutputTest, SiteMeanOfMeasuredSpecimensAndRefusals)
{
    const fs::path folder = testing::TempDir();
    const fs::path list = folder / "interpretations-site.csv";
    writeText(
        list, "specimen,type,from,to\nq01,free,300,550\nq02,free,300,550\nq03,plane,100,550\n");
    const fs::path means = folder / "interpretations-site-means.csv";
    const CommandResult measured
        = run({ Scattered, "--seed", "7", "--interpretations", list.string(), "--site-means",
            means.string(), "--steps", "every:50", "--noise", "0.001", "--prefix", "q" });
    ASSERT_EQ(measured.status, 0) << measured.err;
    std::ifstream in(means);
    std::stringstream text;
    text << in.rdbuf();
    const std::vector<std::string> rows = lines(text.str());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "site,n_lines,n_planes,declination,inclination,k,alpha95,note");
    EXPECT_TRUE(rows[1].starts_with("q,2,1,")) << rows[1];

    const fs::path bad = folder / "interpretations-bad.csv";
    writeText(bad, "specimen,type,from,to\nsim03,free,300,550\nsim99,free,300,550\n");
    const fs::path untouched = folder / "interpretations-untouched.csv";
    const CommandResult refused = run({ Scattered, "--seed", "7", "--interpretations", bad.string(),
        "--fits", untouched.string() });
    EXPECT_EQ(refused.status, BatchBadInput);
    EXPECT_EQ(refused.err,
        "demagora-batch: --interpretations: " + bad.string()
            + " line 3: there is no specimen named 'sim99'\n");
    EXPECT_FALSE(fs::exists(untouched));
}

// A lab's MagIC specimens table as the list: every fit once per frame, a fit of AF steps and
// one of a specimen the run does not hold are passed over and counted, never refused.
TEST(InterpretationOutputTest, AMagicTablePassesOverWhatTheSpecimensCannotTake)
{
    const fs::path list = fs::path(testing::TempDir()) / "interpretations-table.txt";
    std::string text = "tab\tspecimens\nspecimen\tdir_comp\tdir_dec\tdir_inc\tmeas_step_min\t"
                       "meas_step_max\tmeas_step_unit\tdir_tilt_correction\tmethod_codes\n";
    for (const char *tilt : { "-1", "0", "100" })
        text += std::string("sim03\tHT\t1\t2\t573\t823\tK\t") + tilt + "\tLP-DIR-T:DE-BFL\n";
    text += "sim03\tAF\t1\t2\t0.01\t0.05\tT\t-1\tLP-DIR-AF:DE-BFL\n"
            "sim99\tHT\t1\t2\t573\t823\tK\t-1\tLP-DIR-T:DE-BFL\n";
    writeText(list, text);
    const CommandResult result
        = run({ Scattered, "--seed", "7", "--interpretations", list.string(), "--fits", "-" });
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> rows = lines(result.out);
    ASSERT_EQ(rows.size(), 2u) << result.out;
    EXPECT_TRUE(rows[1].starts_with("sim03,free,300,550,")) << rows[1];
    EXPECT_TRUE(rows[1].ends_with(",sim,HT")) << rows[1];
    EXPECT_NE(result.err.find(list.string()
                  + ": 4 fits read (2 specimen, 1 geographic, 1 tilt); 2 used in specimen "
                    "coordinates; 1 fits of steps not in kelvin (alternating field or other) "
                    "passed over; 1 fits of specimens without measurements passed over\n"),
        std::string::npos)
        << result.err;
}
