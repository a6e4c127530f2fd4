#include "analysis/tabletext.h"
#include "model/vector3.h"
#include "batch/batchcommand.h"
#include "batch/batchtestruns.h"
#include "support/filetext.h"
#include "support/sharedmeasurements.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

std::string shared(const std::string &relative)
{
    return std::string(DEMAGORA_MEASUREMENTS_DIR) + "/" + relative;
}

using Outcome = Testing::CommandResult;
const auto run = Testing::runCommand;

// The CSV rows of a CIT specimen in geographic coordinates: the directions the file itself
// prints in its geographic columns (NRM 085.0 56.1, 9.06E-05 emu; 50 degrees 082.2 56.5), to
// the 0.1 degree the file gives its directions and orientation in.
TEST(MeasuredCommandTest, StepsCsvHoldsTheKeptStepsInTheChosenFrame)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const Outcome outcome = run({ "--measured", shared("cit-PI47/PI47-.sam"), "--specimen",
        "PI47-1a", "--coordinates", "geographic", "--steps-csv", "-" });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    std::istringstream csv(outcome.out);
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "specimen,treatment,level,x,y,z,unit,declination,inclination,intensity");
    const double expected[][4] = { { 0, 85.0, 56.1, 9.06e-8 }, { 50, 82.2, 56.5, 9.00e-8 } };
    const char *const treatments[] = { "nrm", "thermal" };
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(std::getline(csv, line));
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            fields.push_back(cell);
        ASSERT_EQ(fields.size(), 10u);
        EXPECT_EQ(fields[0], "PI47-1a");
        EXPECT_EQ(fields[1], treatments[row]);
        EXPECT_EQ(std::stod(fields[2]), expected[row][0]);
        EXPECT_EQ(fields[6], "Am2");
        EXPECT_NEAR(std::stod(fields[7]), expected[row][1], 0.1);
        EXPECT_NEAR(std::stod(fields[8]), expected[row][2], 0.1);
        EXPECT_NEAR(std::stod(fields[9]) / expected[row][3], 1, 1e-3);
    }
    std::size_t rows = 2;
    while (std::getline(csv, line))
        ++rows;
    EXPECT_EQ(rows, 27u);
    EXPECT_NE(outcome.err.find("23 merged"), std::string::npos) << outcome.err;
}

TEST(MeasuredCommandTest, BadInputExitsWithStatusTwoAndSaysWhy)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const std::string zeq = shared("magic-zeq/measurements.txt");
    const std::string noOrientation = zeq + ": Specimen sr01a1 has no sample orientation";
    const std::string jr6 = shared("jr6-TRM/TRM.jr6");
    const std::string tooShort = jr6 + ": --unmix: ST38B: 1 step is too few to unmix";
    const Testing::RefusedCase cases[] = {
        { { "--measured", zeq }, "--measured needs an output: --steps-csv FILE" },
        { { "--measured", zeq, "--steps-csv", "-", "--format", "csv" },
            "--format: 'csv' is not a measurement format" },
        { { "--measured", zeq, "--steps-csv", "-", "--coordinates", "north" },
            "--coordinates: 'north' is not a coordinate system" },
        { { "--measured", zeq, "--steps-csv", "-", "--repeats", "first" },
            "--repeats: 'first' is not average, last or all" },
        { { "--measured", zeq, "--steps-csv", "-", "--specimen", "nope" },
            "--specimen: no specimen 'nope'" },
        { { "--measured", zeq, "--steps-csv", "-", "--specimen", "sr01a1", "--specimen=sr01a1" },
            "--specimen 'sr01a1' is given more than once; each specimen is taken once" },
        { { "--measured", zeq, "--steps-csv", "-", "--coordinates", "geographic" },
            noOrientation.c_str() },
        { { "--measured", jr6, "--specimen", "ST38B", "--unmix", "1", "--unmix-out", "-" },
            tooShort.c_str() },
        { { "--measured", zeq, "--steps-csv", "-", "--format", "jr6" },
            "measurements.txt, line 1: " },
        { { "--measured", zeq, "--steps-csv", "-", "--seed", "3" },
            "'--seed' cannot be given with --measured" },
        { { "--measured", shared("none.txt"), "--steps-csv", "-" }, "no such file or folder" },
    };
    Testing::expectRefused(run, cases);
}

class MeasuredRunTest : public Testing::TemporaryFolderTest
{ };

// A file whose every row is left out gives no specimen: whatever the outputs, the run fails,
// says what was left out and writes nothing (the picture and the twin once took the first
// specimen of an empty list).
TEST_F(MeasuredRunTest, RunWithoutAKeptSpecimenFailsWhateverTheOutputs)
{
    const std::string flagged = path("flagged.txt");
    std::ofstream(flagged) << "tab\tmeasurements\n"
                              "specimen\tmethod_codes\ttreat_temp\tdir_dec\tdir_inc\t"
                              "magn_moment\tquality\n"
                              "a1\tLT-NO\t273\t10\t20\t1e-5\tb\n"
                              "a1\tLT-T-Z\t373\t10\t20\t9e-6\tb\n";
    const std::vector<std::vector<std::string>> outputs = {
        { "--steps-csv", path("steps.csv") },
        { "--png", path("x.png") },
        { "--fit", "0:600", "--fits", path("fits.csv") },
        { "--unmix", "1", "--unmix-out", path("unmix.csv"), "--twin", path("twin.json") },
        { "--magic", path("converted") },
        { "--ppl", path("converted.ppl") },
    };
    for (const std::vector<std::string> &output : outputs) {
        SCOPED_TRACE(output.front());
        std::vector<std::string> arguments = { "--measured", flagged };
        arguments.insert(arguments.end(), output.begin(), output.end());
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, BatchBadInput);
        EXPECT_NE(outcome.err.find(flagged
                      + " (magic): no specimen has a kept step (--demag "
                        "thermal); left out: 0 rows of other experiments, 0 "
                        "rows of the other demagnetization, 2 flagged bad"),
            std::string::npos)
            << outcome.err;
        EXPECT_EQ(entries(), std::set<std::string> { "flagged.txt" });
    }
}

TEST_F(MeasuredRunTest, SharedFileWithoutAnAfStepIsRefusedForThePicture)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const Outcome outcome = run({ "--measured", shared("cit-PI47/measurements.txt"), "--demag",
        "af", "--png", path("x.png") });
    EXPECT_EQ(outcome.status, BatchBadInput);
    EXPECT_NE(outcome.err.find("no specimen has a kept step (--demag af)"), std::string::npos)
        << outcome.err;
    EXPECT_TRUE(entries().empty());
}

// No output replaces a file the reader read, by any name: the siblings of a MagIC table, the
// specimen files of a .sam file, the files of a 2G folder, through a link or a hard link.
TEST_F(MeasuredRunTest, FilesTheReaderReadAreNeverReplaced)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    namespace fs = std::filesystem;
    const fs::path cit = m_folder / "cit";
    fs::copy(shared("cit-PI47"), cit);
    const fs::path twoG = m_folder / "2g";
    fs::copy(shared("2g-mn1"), twoG);
    for (const fs::path &file : fs::recursive_directory_iterator(m_folder))
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    fs::create_symlink(cit / "sites.txt", m_folder / "link.txt");
    fs::create_hard_link(cit / "PI47-3a", m_folder / "hard");
    const std::string sam = (cit / "PI47-.sam").string();
    struct Case
    {
        std::vector<std::string> arguments;
        std::string input;
    };
    const Case cases[] = {
        { { "--measured", cit.string(), "--magic", cit.string() }, (cit / "sites.txt").string() },
        { { "--measured", (cit / "measurements.txt").string(), "--steps-csv",
              (cit / "samples.txt").string() },
            (cit / "samples.txt").string() },
        { { "--measured", sam, "--steps-csv", (cit / "PI47-1a").string() },
            (cit / "PI47-1a").string() },
        { { "--measured", cit.string(), "--steps-csv", path("link.txt") },
            (cit / "sites.txt").string() },
        { { "--measured", sam, "--png", path("hard") }, (cit / "PI47-3a").string() },
        { { "--measured", twoG.string(), "--ppl", (twoG / "mn004-2b.dat").string() },
            (twoG / "mn004-2b.dat").string() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const Outcome outcome = run(c.arguments);
        EXPECT_EQ(outcome.status, BatchBadInput);
        EXPECT_NE(outcome.err.find("that is the input file " + c.input), std::string::npos)
            << outcome.err;
    }
    for (const char *name :
        { "measurements.txt", "samples.txt", "sites.txt", "PI47-1a", "PI47-3a" })
        EXPECT_EQ(Testing::fileText(cit / name), Testing::fileText(shared("cit-PI47/") + name))
            << name;
    EXPECT_EQ(
        Testing::fileText(twoG / "mn004-2b.dat"), Testing::fileText(shared("2g-mn1/mn004-2b.dat")));
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// A real contribution's measurements and specimens table: each fit taken once, in the frame
// asked for, its AF fits and its specimens without measurements passed over with counts; every
// thermal line refitted over its steps lies where the authors' own geographic row puts it.
TEST(MeasuredCommandTest, ARealStudysTableIsFittedOncePerFitInTheFrameAsked)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const std::string table = shared("magic-dmag/specimens.txt");
    const Outcome outcome = run({ "--measured", shared("magic-dmag"), "--interpretations", table,
        "--coordinates", "geographic", "--fits", "-" });
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.err.find(table
                  + ": 519 fits read (238 specimen, 186 geographic, 95 tilt); 238 used in "
                    "geographic coordinates (52 refitted from another frame); 278 fits of steps "
                    "not in kelvin (alternating field or other) passed over; 83 fits of "
                    "specimens without measurements passed over\n"),
        std::string::npos)
        << outcome.err;

    std::map<std::pair<std::string, std::string>, Vector3> authors; // their geographic lines
    std::ifstream in(table, std::ios::binary);
    TabTable rows(in, table, "specimens");
    while (const std::optional<TableRow> row = rows.next()) {
        const std::vector<std::string> codes = row->codes("method_codes");
        if (row->field("dir_tilt_correction") == "0" && row->field("meas_step_unit") == "K"
            && std::find(codes.begin(), codes.end(), "DE-BFL") != codes.end()) {
            authors[{ row->field("specimen"), row->field("dir_comp") }]
                = unitVector(row->number("dir_dec"), row->number("dir_inc"));
        }
    }
    std::istringstream fits(outcome.out);
    std::string line;
    std::getline(fits, line);
    int compared = 0;
    while (std::getline(fits, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, ',');)
            fields.push_back(field);
        const auto found = authors.find({ fields[0], fields.back() });
        if (fields[1] != "free" || found == authors.end())
            continue;
        SCOPED_TRACE(line);
        ++compared;
        EXPECT_LE(
            angleBetween(unitVector(std::stod(fields[5]), std::stod(fields[6])), found->second), 1);
    }
    EXPECT_GT(compared, 60);
}

// A name read from a file reaches a message cut and with its control characters escaped,
// whatever layer refuses it: here a specimen without orientation, asked for in geographic
// coordinates.
TEST_F(MeasuredRunTest, NamesFromTheFileAreCutAndEscapedInMessages)
{
    const std::string name = "\x1b[2J" + std::string(300000, 'n');
    std::ofstream(path("long.txt")) << "tab\tmeasurements\n"
                                       "specimen\tmethod_codes\ttreat_temp\tdir_dec\tdir_inc\t"
                                       "magn_moment\tquality\n"
                                    << name << "\tLT-NO\t273\t10\t20\t1e-5\tg\n";
    const Outcome outcome = run(
        { "--measured", path("long.txt"), "--coordinates", "geographic", "--steps-csv", "-" });
    EXPECT_EQ(outcome.status, BatchBadInput);
    EXPECT_LT(outcome.err.size(), 2000u);
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
    EXPECT_NE(outcome.err.find("Specimen \\x1b[2Jnnn"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("... (cut; 300004 characters in all) has no sample orientation"),
        std::string::npos)
        << outcome.err;
}

// The location of converted files, which names the MagIC upload file, is the site cut short
// and made safe, as the tables write it: a site of a thousand characters once made a file name
// the system refused.
TEST_F(MeasuredRunTest, ALongSiteNamesTheUploadFileShortened)
{
    std::ofstream(path("S.sam")) << std::string(1000, 'S') << "\n 48.7 -87.0   0.0\nS-1a\n";
    std::ofstream(path("S-1a")) << "S- 1a\n      0 323.1  16.0  0.0  0.0  1.0\n"
                                   "NRM    085.0  56.1 085.0  56.1 9.06E-05 002.1 203.3  41.9\n"
                                   "TT  50 082.2  56.5 082.2  56.5 9.00E-05 001.4 201.2  41.9\n";
    const Outcome outcome = run({ "--measured", path("S.sam"), "--magic", path("lab") });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    EXPECT_TRUE(std::filesystem::exists(m_folder / "lab" / (std::string(32, 'S') + "_upload.txt")));
}

} // namespace
} // namespace Demagora
