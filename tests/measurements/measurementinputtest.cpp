#include "measurements/filesread.h"
#include "measurements/jr6reader.h"
#include "measurements/measurementerror.h"
#include "measurements/measurementreader.h"
#include "measurements/readertext.h"

#include "readerfixtures.h"
#include "support/sharedmeasurements.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

#include <sys/stat.h>

namespace Demagora {
namespace {

using Fixtures::fileText;
using Fixtures::sharedMeasurements;
using Fixtures::stepCount;
using Fixtures::TemporaryFolder;

const char *const MagicHeader
    = "tab\tmeasurements\n"
      "specimen\tmethod_codes\ttreat_temp\ttreat_ac_field\tdir_dec\tdir_inc\tmagn_moment\t"
      "quality\n";

struct BadInput
{
    const char *name;
    std::string text;
    const char *line;
    const char *expected;
};

// Every refusal names the file, the line (or 2G record) and what was expected there.
TEST(MeasurementInputTest, BadInputIsRefusedWithFileLineAndExpectation)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const std::string twoG = fileText(sharedMeasurements("2g-mn1/mn001-1a.dat"));
    const BadInput cases[] = {
        { "bad-number.txt",
            std::string(MagicHeader)
                + "a1\tLT-NO\t273\t0\t10\t20\t1e-5\tg\n"
                  "a1\tLT-T-Z\t373\t0\t10\t20\t2.9x-05\tg\n",
            "line 4", "expected a moment in A m2, found \"2.9x-05\"" },
        { "truncated.txt", std::string(MagicHeader) + "a1\tLT-NO\t273\t0\t10\n", "line 3",
            "the row ends after 5 fields" },
        { "no-specimen.txt", std::string(MagicHeader) + "\tLT-NO\t273\t0\t10\t20\t1e-5\tg\n",
            "line 3", "expected a specimen name" },
        { "short.jr6",
            "ST1       NRM      -3.10  4.29 -6.47   0  27  27   0   0   0   0 12 90 12  0   0\n"
            "ST1       T100     -3.10  4.29 -6.47   0  27  27\n",
            "line 2", "expected azimuth, dip" },
        { "letters.jr6",
            "ST1       NRM      -3.10  4.2x -6.47   0  27  27   0   0   0   0 12 90 12  0   0\n",
            "line 1", "expected the Y component in columns 25-30" },
        { "bad.TH",
            "\"comment\"\n\"s1\",2,0,90,10,0,0\n0,1,2,3,0,01-01-2000,00:00\n100,1,zz,"
            "3\n9999\nEND\n",
            "line 4", "expected moment b, found \"zz\"" },
        { "no-columns.ppl", "PuffinPlot file. Version 3\nDISCRETE_ID\tTREATMENT\n", "line 2",
            "expected the columns DISCRETE_ID" },
        { "cut.dat", twoG.substr(0, 1000), "byte 0", "truncated" },
        { "unknown.xyz", "nothing a reader knows\n", "", "the format is not known" },
        // Levels and exponents no measurement can have are misread columns, not values.
        { "hot.txt", std::string(MagicHeader) + "a1\tLT-T-Z\t1e308\t0\t10\t20\t1e-5\tg\n", "line 3",
            "expected a temperature from -273.15 to 2000 degrees Celsius, found 1e+308" },
        { "no-temperature.txt", std::string(MagicHeader) + "a1\tLT-T-Z\t\t0\t10\t20\t1e-5\tg\n",
            "line 3", "expected a temperature in kelvin for a thermal step, found none" },
        { "exponent.jr6",
            "ST1       NRM      -3.10  4.29 -6.47 999  27  27   0   0   0   0 12 90 12  0   0\n",
            "line 1", "expected an exponent from -20 to 20 in columns 37-40, found \"999\"" },
        { "negative.jr6",
            "ST1       NRM      -3.10  4.29 -6.47-999  27  27   0   0   0   0 12 90 12  0   0\n",
            "line 1", "expected an exponent from -20 to 20 in columns 37-40, found \"-999\"" },
        { "level.jr6",
            "ST1       T9999    -3.10  4.29 -6.47  -5  27  27   0   0   0   0 12 90 12  0   0\n",
            "line 1", "columns 11-18: expected a temperature from -273.15 to 2000" },
        { "dots.jr6",
            "ST1       T1.2.5   -3.10  4.29 -6.47  -5  27  27   0   0   0   0 12 90 12  0   0\n",
            "line 1", "columns 11-18: expected a step such as NRM, T250 or A30, found \"T1.2.5\"" },
        { "level.TH", "\"comment\"\n\"s1\",2,0,90,10,0,0\n0,1,2,3\n5000,1,2,3\n9999\nEND\n",
            "line 4", "expected a temperature from -273.15 to 2000 degrees Celsius, found 5000" },
        { "no-temperature.ppl",
            "PuffinPlot file. Version 3\nDISCRETE_ID\tTREATMENT\tTEMPERATURE\tX_MOMENT\t"
            "Y_MOMENT\tZ_MOMENT\np1\tTHERMAL\t\t1\t2\t3\n",
            "line 3", "expected a temperature for a THERMAL step, found none" },
        // A long field is cut and control characters are shown escaped.
        { "long-field.txt",
            std::string(MagicHeader) + "a1\tLT-NO\t273\t0\t10\t20\t" + std::string(100000, '7')
                + "x\tg\n",
            "line 3",
            "found \"777777777777777777777777777777777777777777777777777777777777\" (cut; 100001 "
            "characters in all)." },
        { "long-table.txt", "tab\t" + std::string(10000, 'm') + "\n", "line 1",
            "mmmmmm\" (cut; 10000 characters in all) to follow." },
        { "escape.txt", std::string(MagicHeader) + "a1\tLT-NO\t273\t0\t10\t20\t1e\x1b[2J\tg\n",
            "line 3", "found \"1e\\x1b[2J\"." },
    };
    TemporaryFolder folder;
    for (const BadInput &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name, c.text);
        try {
            readMeasurements(path);
            ADD_FAILURE() << "read without complaint";
        } catch (const MeasurementError &error) {
            const std::string message = error.what();
            EXPECT_LT(message.size(), path.size() + 300) << message;
            EXPECT_EQ(message.find('\x1b'), std::string::npos) << message;
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find(c.line), std::string::npos) << message;
            EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        }
    }
}

TEST(MeasurementInputTest, FilesOver256MiBAreRefusedUnread)
{
    TemporaryFolder folder;
    const std::string path = folder.file("huge.txt", MagicHeader);
    // A sparse file: the size is checked before anything is read.
    std::filesystem::resize_file(path, MaxMeasurementFileBytes + 1);
    try {
        readMeasurements(path);
        ADD_FAILURE() << "read without complaint";
    } catch (const MeasurementError &error) {
        EXPECT_EQ(std::string(error.what()),
            path + ": the file is larger than 256 MiB, too large for a measurement file.");
    }
}

// A table read in pieces is refused, naming it, as soon as a piece finds it grown or shrunk
// since it was opened: a table being written is never read half old, half new.
TEST(MeasurementInputTest, TableChangedWhileReadInPiecesIsRefused)
{
    TemporaryFolder folder;
    const std::string row = "a1\tLT-NO\t273\t0\t10\t20\t1e-5\tg\n";
    const std::string path = folder.file("measurements.txt", MagicHeader + row);
    FilesRead files;
    const FilesRead::Pieces pieces = files.openInPieces(path);
    std::string start(9, ' ');
    pieces.read(0, start.data(), start.size());
    EXPECT_EQ(start, "tab\tmeasu");
    std::ofstream(path, std::ios::app) << row;
    try {
        pieces.read(0, start.data(), start.size());
        ADD_FAILURE() << "read without complaint";
    } catch (const MeasurementError &error) {
        EXPECT_EQ(std::string(error.what()),
            path + ": the file changed while it was read; read it again once it is written.");
    }
}

// Lines are counted too: a file of nothing but line ends once took 17 bytes of memory for
// each of its bytes.
TEST(MeasurementInputTest, FilesOfTooManyLinesAreRefused)
{
    TemporaryFolder folder;
    const std::string path = folder.file("blank.jr6", std::string(MaxMeasurementLines + 1, '\n'));
    try {
        readMeasurements(path);
        ADD_FAILURE() << "read without complaint";
    } catch (const MeasurementError &error) {
        EXPECT_EQ(std::string(error.what()),
            path + ": more than 16777216 lines, too many for a measurement file.");
    }
    const std::string fewer = folder.file("fewer.jr6", std::string(MaxMeasurementLines, '\n'));
    EXPECT_TRUE(readMeasurements(fewer).specimens.empty());
}

std::string withLineEnds(const std::string &text, const std::string &end, bool bom)
{
    std::string result = bom ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            result += end;
        else
            result += text[i];
    }
    return result;
}

// The real files rewritten with each kind of line end, with and without a byte-order mark,
// read to the same specimens and steps as the originals.
TEST(MeasurementInputTest, LineEndsAndByteOrderMarksDoNotChangeWhatIsRead)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    struct Variant
    {
        const char *end;
        bool bom;
    };
    const Variant variants[]
        = { { "\n", false }, { "\r\n", true }, { "\r", false }, { "\r", true } };
    const char *const citFiles[] = { "PI47-.sam", "PI47-1a", "PI47-2a", "PI47-3a", "PI47-4a",
        "PI47-5a", "PI47-6a", "PI47-7a", "PI47-8a", "PI47-9a" };
    for (const Variant &v : variants) {
        SCOPED_TRACE(testing::Message() << "end " << int(v.end[0]) << " bom " << v.bom);
        TemporaryFolder folder;
        const auto copy = [&](const std::string &from, const std::string &name) {
            return folder.file(
                name, withLineEnds(fileText(sharedMeasurements(from)), v.end, v.bom));
        };
        for (const char *name : citFiles)
            copy(std::string("cit-PI47/") + name, name);
        const std::pair<std::string, std::string> files[] = {
            { "magic-zeq/measurements.txt",
                copy("magic-zeq/measurements.txt", "measurements.txt") },
            { "jr6-TRM/TRM.jr6", copy("jr6-TRM/TRM.jr6", "TRM.jr6") },
            { "cit-PI47/PI47-.sam", (folder.path() / "PI47-.sam").string() },
        };
        for (const auto &[original, rewritten] : files) {
            SCOPED_TRACE(original);
            const MeasurementSet expected = readMeasurements(sharedMeasurements(original));
            const MeasurementSet read = readMeasurements(rewritten);
            ASSERT_EQ(read.specimens.size(), expected.specimens.size());
            for (std::size_t s = 0; s < read.specimens.size(); ++s) {
                const Specimen &a = read.specimens[s];
                const Specimen &b = expected.specimens[s];
                EXPECT_EQ(a.name, b.name);
                ASSERT_EQ(a.steps.size(), b.steps.size()) << a.name;
                for (std::size_t i = 0; i < a.steps.size(); ++i) {
                    EXPECT_EQ(a.steps[i].x, b.steps[i].x);
                    EXPECT_EQ(a.steps[i].level, b.steps[i].level);
                }
            }
        }
    }
}

struct RuleCase
{
    const char *name;
    std::string text;
    ReadOptions options;
    std::size_t steps;
    // The second step's level and x.
    double level;
    double x;
    std::size_t flagged;
    std::size_t missing;
    std::size_t merged;
    std::size_t kept;
};

ReadOptions repeats(RepeatRule rule)
{
    ReadOptions options;
    options.repeats = rule;
    return options;
}

// Small MagIC tables (3.0 and 2.5, one a combined file) pin the rules: repeats averaged, the
// last kept, or all kept; flagged and empty rows left out and counted; kelvin written with
// 273.15.
TEST(MeasurementInputTest, RowsFollowTheRepeatFlagAndMissingValueRules)
{
    const std::string repeated = std::string(MagicHeader)
        + "a1\tLT-NO\t273\t0\t0\t0\t4\tg\n"
          "a1\tLT-T-Z\t373\t0\t0\t0\t1\tg\n"
          "a1\tLT-T-Z\t373\t0\t0\t0\t2\tg\n"
          "a1\tLT-T-Z\t373.15\t0\t0\t0\t6\tg\n";
    const std::string flagged = std::string(MagicHeader)
        + "a1\tLT-NO\t273\t0\t0\t0\t4\tg\n"
          "a1\tLT-T-Z\t373\t0\t0\t0\t1\tb\n"
          "a1\tLT-T-Z\t423\t0\t0\t0\tNaN\tg\n"
          "a1\tLT-T-Z\t473\t0\t\t0\t3\tg\n"
          "a1\tLT-T-Z\t523\t0\t0\t0\t2\tg\n";
    const std::string magic25
        = "tab\tmagic_measurements\n"
          "er_specimen_name\tmagic_method_codes\ttreatment_temp\tmeasurement_dec\t"
          "measurement_inc\tmeasurement_magn_moment\tmeasurement_flag\n"
          "b1\tLT-NO\t273\t0\t0\t5\tg\n"
          "b1\tLT-T-Z\t373\t0\t0\t3\tg\n"
          "b1\tLT-T-Z\t473\t0\t0\t1\tb\n";
    const RuleCase cases[] = {
        { "average.txt", repeated, {}, 2, 100, 3, 0, 0, 2, 0 },
        { "last.txt", repeated, repeats(RepeatRule::Last), 2, 100, 6, 0, 0, 2, 0 },
        { "all.txt", repeated, repeats(RepeatRule::All), 4, 100, 1, 0, 0, 0, 2 },
        { "flagged.txt", flagged, {}, 2, 250, 2, 1, 2, 0, 0 },
        { "magic_measurements.txt", magic25, {}, 2, 100, 3, 1, 0, 0, 0 },
    };
    TemporaryFolder folder;
    for (const RuleCase &c : cases) {
        SCOPED_TRACE(c.name);
        const MeasurementSet set = readMeasurements(folder.file(c.name, c.text), c.options);
        ASSERT_EQ(set.specimens.size(), 1u);
        const std::vector<SpecimenStep> &steps = set.specimens[0].steps;
        ASSERT_EQ(steps.size(), c.steps);
        EXPECT_EQ(steps[1].level, c.level);
        EXPECT_DOUBLE_EQ(steps[1].x, c.x);
        // Averaged or the last kept, the step stands for its three readings; kept, for one.
        EXPECT_EQ(steps[1].readings, c.options.repeats == RepeatRule::All ? 1u : c.merged + 1);
        EXPECT_EQ(set.summary.flaggedBad, c.flagged);
        EXPECT_EQ(set.summary.missingMoment, c.missing);
        EXPECT_EQ(set.summary.repeatsMerged, c.merged);
        EXPECT_EQ(set.summary.repeatsKept, c.kept);
    }
}

// Kept for the specimens window, a flagged row becomes a step marked bad unless a good row
// measured its step; flagged rows at one step merge with each other only; a flagged row without
// its level stays out. Without the option the same file loses every flagged row, as before.
TEST(MeasurementInputTest, KeptFlaggedRowsBecomeBadStepsWhereNoGoodRowStands)
{
    const std::string text = std::string(MagicHeader)
        + "a1\tLT-NO\t273\t0\t0\t0\t9\tg\n"
          "a1\tLT-T-Z\t373\t0\t0\t0\t8\tb\n"
          "a1\tLT-T-Z\t423\t0\t0\t0\t1\tb\n"
          "a1\tLT-T-Z\t423\t0\t0\t0\t7\tg\n"
          "a1\tLT-T-Z\t473\t0\t0\t0\t6\tg\n"
          "a1\tLT-T-Z\t473\t0\t0\t0\t1\tb\n"
          "a1\tLT-T-Z\t523\t0\t0\t0\t4\tb\n"
          "a1\tLT-T-Z\t523\t0\t0\t0\t6\tb\n"
          "a1\tLT-T-Z\t\t0\t0\t0\t3\tb\n";
    struct Case
    {
        const char *name;
        bool keep;
        RepeatRule repeats;
        // level, x, bad and readings of every step
        std::vector<std::tuple<double, double, bool, std::size_t>> steps;
        std::size_t flagged, flaggedKept, merged;
    };
    const Case cases[] = {
        { "kept, averaged", true, RepeatRule::Average,
            { { 0, 9, false, 1 }, { 100, 8, true, 1 }, { 150, 7, false, 1 }, { 200, 6, false, 1 },
                { 250, 5, true, 2 } },
            3, 3, 0 },
        { "kept, last", true, RepeatRule::Last,
            { { 0, 9, false, 1 }, { 100, 8, true, 1 }, { 150, 7, false, 1 }, { 200, 6, false, 1 },
                { 250, 6, true, 2 } },
            3, 3, 0 },
        { "left out", false, RepeatRule::Average,
            { { 0, 9, false, 1 }, { 150, 7, false, 1 }, { 200, 6, false, 1 } }, 6, 0, 0 },
    };
    TemporaryFolder folder;
    const std::string path = folder.file("flags.txt", text);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReadOptions options = repeats(c.repeats);
        options.keepFlaggedBad = c.keep;
        const MeasurementSet set = readMeasurements(path, options);
        ASSERT_EQ(set.specimens.size(), 1u);
        const std::vector<SpecimenStep> &steps = set.specimens[0].steps;
        ASSERT_EQ(steps.size(), c.steps.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(steps[i].level, std::get<0>(c.steps[i]), 1e-9);
            EXPECT_DOUBLE_EQ(steps[i].x, std::get<1>(c.steps[i]));
            EXPECT_EQ(steps[i].bad, std::get<2>(c.steps[i]));
            EXPECT_EQ(steps[i].readings, std::get<3>(c.steps[i]));
        }
        EXPECT_EQ(set.summary.flaggedBad, c.flagged);
        EXPECT_EQ(set.summary.flaggedKept, c.flaggedKept);
        EXPECT_EQ(set.summary.repeatsMerged, c.merged);
    }
}

// A combined contribution file: the samples table after the measurements gives the specimen
// its orientation and bedding; the contribution table is passed over.
TEST(MeasurementInputTest, CombinedFileLinksSpecimensToSamplesAndSites)
{
    const std::string text = std::string("tab\tcontribution\ndata_model_version\n3.0\n>>>>>>>>>>\n")
        + MagicHeader + "a1\tLT-NO\t273\t0\t0\t0\t4\tg\n>>>>>>>>>>\n"
        + "tab\tspecimens\nspecimen\tsample\tvolume\na1\ts1\t1e-05\n>>>>>>>>>>\n"
          "tab\tsamples\nsample\tsite\tazimuth\tdip\ns1\tsite1\t45\t-30\n>>>>>>>>>>\n"
          "tab\tsites\nsite\tbed_dip_direction\tbed_dip\nsite1\t120\t15\n";
    TemporaryFolder folder;
    const MeasurementSet set = readMeasurements(folder.file("demo_upload.txt", text));
    ASSERT_EQ(set.specimens.size(), 1u);
    const Specimen &specimen = set.specimens[0];
    EXPECT_EQ(specimen.sample, "s1");
    EXPECT_EQ(specimen.site, "site1");
    ASSERT_TRUE(specimen.orientation && specimen.bedding && specimen.volumeCubicMetres);
    EXPECT_EQ(specimen.orientation->azimuth, 45);
    EXPECT_EQ(specimen.orientation->dip, -30);
    EXPECT_EQ(specimen.bedding->dipDirection, 120);
    EXPECT_EQ(specimen.bedding->dip, 15);
    EXPECT_EQ(*specimen.volumeCubicMetres, 1e-5);
}

TEST(MeasurementInputTest, Jr6StepSpellings)
{
    struct Spelling
    {
        const char *text;
        Treatment treatment;
        double level;
    };
    const Spelling cases[] = {
        { "NRM     ", Treatment::Nrm, 0 },
        { "T250    ", Treatment::Thermal, 250 },
        { "TD250   ", Treatment::Thermal, 250 },
        { "250     ", Treatment::Thermal, 250 },
        { "250 C   ", Treatment::Thermal, 250 },
        { "A30     ", Treatment::AlternatingField, 30 },
        { "AF30    ", Treatment::AlternatingField, 30 },
        { "IRM1000 ", Treatment::Other, 0 },
        { "ARM     ", Treatment::Other, 0 },
    };
    for (const Spelling &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<RawStep> step = jr6Step(c.text);
        ASSERT_TRUE(step.has_value());
        EXPECT_EQ(step->treatment, c.treatment);
        EXPECT_EQ(step->level, c.level);
    }
}

// Files as other programs write them: Utrecht AF blocks each closed by 9999, and a PuffinPlot
// version 2 file with AF fields in tesla, a hidden row and an IRM step.
TEST(MeasurementInputTest, OtherProgramsUtrechtAndPuffinPlotFiles)
{
    TemporaryFolder folder;
    const std::string utrecht = folder.file("lab.AF",
        "\"lab\"\r\n\"u1\",\"x\",30,60,10,90,20\r\n0,-3e6,-1e6,2e6,0,d,t\r\n"
        "20,-1.5e6,-0.5e6,1e6,0,d,t\r\n9999\r\n\"u2\",\"x\",0,90,10,0,0\r\n0,1,2,3\r\n"
        "9999\r\nEND\r\n");
    ReadOptions afOptions;
    afOptions.demag = DemagKind::AlternatingField;
    const MeasurementSet u = readMeasurements(utrecht, afOptions);
    ASSERT_EQ(u.specimens.size(), 2u);
    const Specimen &u1 = u.specimens[0];
    ASSERT_EQ(u1.steps.size(), 2u);
    EXPECT_EQ(u1.steps[1].treatment, Treatment::AlternatingField);
    EXPECT_EQ(u1.steps[1].level, 20);
    // x = -b, y = c, z = -a, pico A m2.
    EXPECT_DOUBLE_EQ(u1.steps[0].x, 1e-6);
    EXPECT_DOUBLE_EQ(u1.steps[0].y, 2e-6);
    EXPECT_DOUBLE_EQ(u1.steps[0].z, 3e-6);
    ASSERT_TRUE(u1.orientation && u1.bedding && u1.volumeCubicMetres);
    EXPECT_EQ(u1.orientation->azimuth, 30);
    EXPECT_EQ(u1.orientation->dip, -30);
    EXPECT_EQ(u1.bedding->dipDirection, 180);
    EXPECT_DOUBLE_EQ(*u1.volumeCubicMetres, 1e-5);

    const std::string ppl = folder.file("old.ppl",
        "PuffinPlot file. Version 2\nDISCRETE_ID\tTREATMENT\tAF_X\tAF_Y\tAF_Z\tX_MOMENT\t"
        "Y_MOMENT\tZ_MOMENT\tHIDDEN\n"
        "p1\tNONE\t0\t0\t0\t1\t2\t3\tfalse\n"
        "p1\tDEGAUSS_XYZ\t0.02\t0.02\t0.02\t0.5\t1\t1.5\tfalse\n"
        "p1\tDEGAUSS_XYZ\t0.04\t0.04\t0.04\t0.2\t0.4\t0.6\ttrue\n"
        "p1\tIRM\t0\t0\t0\t9\t9\t9\tfalse\n\nSAMPLE\tp1\n");
    const MeasurementSet p = readMeasurements(ppl, afOptions);
    ASSERT_EQ(p.specimens.size(), 1u);
    ASSERT_EQ(p.specimens[0].steps.size(), 2u);
    EXPECT_EQ(p.specimens[0].unit, MomentUnit::AmperePerMetre);
    EXPECT_EQ(p.specimens[0].steps[1].level, 20);
    EXPECT_EQ(p.specimens[0].steps[1].z, 1.5);
    EXPECT_EQ(p.summary.flaggedBad, 1u);
    EXPECT_EQ(p.summary.otherExperiments, 1u);
}

// The date that anchors a 2G header is "Mon dd yyyy" and anything after it; a run of any
// length is scanned (a 26,000-character date once overflowed the stack), and a run that is
// no date leaves the header without one.
TEST(MeasurementInputTest, TwoGHeaderDatesOfAnyLengthAreRecognised)
{
    struct DateCase
    {
        std::string date;
        bool accepted;
    };
    const DateCase cases[] = {
        { "Apr 23 2006 15:34", true },
        { "Apr 3  2006", true },
        { "Apr 23 2006" + std::string(26000, 'x'), true },
        { "Apr 23 2006" + std::string(60000, ' '), true },
        { "Apr " + std::string(30000, ' ') + "23 2006", true },
        { "apr 23 2006", false },
        { "Apr 123 2006", false },
        { "Apr 23 206", false },
        { "Apr23 2006", false },
        { std::string(30000, 'A'), false },
    };
    TemporaryFolder folder;
    for (const DateCase &c : cases) {
        SCOPED_TRACE(c.date.substr(0, 20));
        const std::string path = folder.file("s1.dat",
            Fixtures::twoGFile(
                "S1", c.date, { { "NRM", 1e-3, 2e-3, 3e-3 }, { "100C", 1e-3, 1e-3, 1e-3 } }));
        if (c.accepted) {
            const MeasurementSet set = readMeasurements(path);
            ASSERT_EQ(set.specimens.size(), 1u);
            EXPECT_EQ(set.specimens[0].name, "S1");
            EXPECT_EQ(set.specimens[0].steps.size(), 2u);
        } else {
            try {
                readMeasurements(path);
                ADD_FAILURE() << "read without complaint";
            } catch (const MeasurementError &error) {
                EXPECT_NE(std::string(error.what())
                              .find(path + ", header: expected the specimen name, volume and date"),
                    std::string::npos)
                    << error.what();
            }
        }
    }
}

// Only regular files and folders are read: a pipe or device met anywhere (given, named by a
// .sam file, inside a folder) is refused at once instead of waiting for a writer, and a name
// the system cannot follow is refused in the readers' words with the file it concerns.
TEST(MeasurementInputTest, OnlyRegularFilesAndFoldersAreRead)
{
    TemporaryFolder folder;
    const std::filesystem::path root = folder.path();
    const auto fifo = [&](const std::filesystem::path &path) {
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path.string();
    };
    ReadOptions jr6;
    jr6.format = MeasurementFormat::Jr6;
    std::filesystem::create_directories(root / "magic");
    fifo(root / "magic" / "measurements.txt");
    std::filesystem::create_directories(root / "empty");
    std::filesystem::create_directories(root / "siblings");
    folder.file("siblings/measurements.txt",
        std::string(MagicHeader) + "a1\tLT-NO\t273\t0\t10\t20\t1e-5\tg\n");
    fifo(root / "siblings" / "samples.txt");
    std::filesystem::create_directories(root / "twoG");
    folder.file(
        "twoG/a.dat", Fixtures::twoGFile("S1", "Apr 23 2006", { { "NRM", 1e-3, 2e-3, 3e-3 } }));
    fifo(root / "twoG" / "b.dat");
    fifo(root / "cit-pipe");
    folder.file("pipe.sam", "site\n0 0 0\ncit-pipe\n");
    folder.file("long.sam", "site\n0 0 0\n" + std::string(300, 'n') + "\n");
    std::filesystem::create_symlink("loop-b", root / "loop-a");
    std::filesystem::create_symlink("loop-a", root / "loop-b");
    struct Case
    {
        std::string path;
        ReadOptions options;
        std::string message;
    };
    const std::string pipe = fifo(root / "pipe.txt");
    const std::string notRegular
        = ": not a regular file (a pipe, device or socket is never read as a measurement file).";
    const Case cases[] = {
        { pipe, {}, pipe + notRegular },
        { pipe, jr6, pipe + notRegular },
        { fifo(root / "pipe\x1b[2J.txt"), {}, (root / "pipe\\x1b[2J.txt").string() + notRegular },
        { (root / "empty").string(), jr6,
            (root / "empty").string() + ": a folder, where a file was expected." },
        { (root / "magic").string(), {},
            (root / "magic" / "measurements.txt").string() + notRegular },
        { (root / "twoG").string(), {}, (root / "twoG" / "b.dat").string() + notRegular },
        { (root / "siblings" / "measurements.txt").string(), {},
            (root / "siblings" / "samples.txt").string() + notRegular },
        { (root / "pipe.sam").string(), {},
            (root / "pipe.sam").string()
                + ", line 3: the specimen file \"cit-pipe\" is not a regular file (a folder, "
                  "pipe, device or socket is never read)." },
        { (root / "long.sam").string(), {},
            (root / "long.sam").string() + ", line 3: the specimen file \"" + std::string(60, 'n')
                + "\" (cut; 300 characters in all) cannot be read: file name too long." },
        { (root / "loop-a").string(), {},
            (root / "loop-a").string()
                + ": the file or folder cannot be read: too many levels of symbolic links." },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            readMeasurements(c.path, c.options);
            ADD_FAILURE() << "read without complaint";
        } catch (const MeasurementError &error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

// A file that holds more than its size said when it was opened is refused, not read in part.
// The system's own status file is such a file: its size is 0, yet it holds lines.
TEST(MeasurementInputTest, AFileLongerThanItsSizeIsRefused)
{
    try {
        readMeasurementFile("/proc/self/status");
        ADD_FAILURE() << "read without complaint";
    } catch (const MeasurementError &error) {
        EXPECT_EQ(std::string(error.what()),
            "/proc/self/status: the file changed while it was read; read it again once it is "
            "written.");
    }
}

// The files of one reading share one budget: the file that would pass it is refused before it
// is read, and every file read is listed.
TEST(MeasurementInputTest, FilesOfOneReadingShareOneBudget)
{
    TemporaryFolder folder;
    const std::string ten = folder.file("ten.txt", "0123456789");
    FilesRead files(25);
    EXPECT_EQ(files.read(ten), "0123456789");
    EXPECT_EQ(files.read(ten), "0123456789");
    try {
        files.read(ten);
        ADD_FAILURE() << "read past the budget";
    } catch (const MeasurementError &error) {
        EXPECT_EQ(std::string(error.what()),
            ten
                + ": with the 2 files read before it (20 bytes), more than the 25 bytes one "
                  "reading takes.");
    }
    EXPECT_EQ(files.paths(), (std::vector<std::string> { ten, ten }));
}

// A CIT step line holds its values in the columns the format gives them: a value added or left
// blank before the specimen direction is refused, where splitting on spaces alone once read
// the moment from another column.
TEST(MeasurementInputTest, CitValuesStandInTheirColumns)
{
    const std::string nrm = "NRM    085.0  56.1 085.0  56.1 9.06E-05 002.1 203.3  41.9 0.1 0.2 "
                            "0.1 op 2015-09-16 18:20:04\n";
    struct CitCase
    {
        const char *name;
        std::string step;
        std::string message; // empty: read
    };
    const CitCase cases[] = {
        { "as written", "TT  50 082.2  56.5 082.2  56.5 9.00E-05 001.4 201.2  41.9 0.1 op\n", "" },
        { "one value added", "TT  50 082.2  56.5 7 082.2  56.5 9.00E-05 001.4 201.2  41.9 0.1\n",
            "line 4: expected the tilt-corrected inclination in columns 25-30, found \"082.2\" in "
            "columns 22-26" },
        { "error angle blank", "TT  50 082.2  56.5 082.2  56.5 9.00E-05       201.2  41.9 0.1\n",
            "line 4: expected the error angle in columns 40-45, found \"201.2\" in columns 47-51" },
        { "line cut", "TT  50 082.2  56.5 082.2  56.5 9.00E-05 001.4 201.2\n",
            "line 4: the line ends after 7 values; expected 8" },
        { "level past any oven", "TT9999 082.2  56.5 082.2  56.5 9.00E-05 001.4 201.2  41.9\n",
            "line 4: expected a temperature from -273.15 to 2000 degrees Celsius, found 9999" },
    };
    for (const CitCase &c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const std::string sam = folder.file("S-.sam", "S-\n 48.7 -87.0   0.0\nS-1a\n");
        const std::string specimen
            = folder.file("S-1a", "S- 1a\n      0 323.1  16.0  0.0  0.0  1.0\n" + nrm + c.step);
        try {
            const MeasurementSet set = readMeasurements(sam);
            EXPECT_TRUE(c.message.empty()) << "read without complaint";
            ASSERT_EQ(set.specimens.size(), 1u);
            EXPECT_EQ(set.specimens[0].steps.size(), 2u);
        } catch (const MeasurementError &error) {
            EXPECT_EQ(std::string(error.what()).substr(0, specimen.size() + 2 + c.message.size()),
                specimen + ", " + c.message);
        }
    }
}

// The specimen file's sixth orientation field is the core's volume in cm3, kept as the
// specimen's volume; without it the volume stays unknown, and no volume is 0 or less.
TEST(MeasurementInputTest, CitCoreVolumeIsReadFromTheOrientationLine)
{
    struct VolumeCase
    {
        const char *orientation;
        std::optional<double> cubicMetres;
        const char *message;
    };
    const VolumeCase cases[] = {
        { "      0 323.1  16.0  0.0  0.0  2.5", 2.5e-6, "" },
        { "      0 323.1  16.0  0.0  0.0", std::nullopt, "" },
        { "      0 323.1  16.0  0.0  0.0  0.0", std::nullopt,
            "line 2: expected the core volume in cm3 as a number above 0, not 0.0." },
        { "      0 323.1  16.0  0.0  0.0  cc", std::nullopt,
            "line 2: expected the core volume in cm3, found \"cc\"" },
    };
    for (const VolumeCase &c : cases) {
        SCOPED_TRACE(c.orientation);
        TemporaryFolder folder;
        const std::string sam = folder.file("S-.sam", "S-\n 48.7 -87.0   0.0\nS-1a\n");
        const std::string specimen = folder.file("S-1a",
            std::string("S- 1a\n") + c.orientation
                + "\nNRM    085.0  56.1 085.0  56.1 9.06E-05 002.1 203.3  41.9 0.1\n");
        try {
            const MeasurementSet set = readMeasurements(sam);
            EXPECT_STREQ(c.message, "") << "read without complaint";
            ASSERT_EQ(set.specimens.size(), 1u);
            const std::optional<double> &volume = set.specimens[0].volumeCubicMetres;
            ASSERT_EQ(volume.has_value(), c.cubicMetres.has_value());
            if (volume) {
                EXPECT_NEAR(*volume, *c.cubicMetres, 1e-15);
            }
        } catch (const MeasurementError &error) {
            EXPECT_EQ(std::string(error.what()).substr(0, specimen.size() + 2 + strlen(c.message)),
                specimen + ", " + c.message);
        }
    }
}

// A file whose last line has no line end may have been cut inside its last number, which then
// reads as a shorter one: the reading says so in its notes, naming the file and the line.
TEST(MeasurementInputTest, LastLineWithoutItsEndIsNoted)
{
    struct EndCase
    {
        const char *name;
        std::string text;
        std::size_t lines;
    };
    const EndCase cases[] = {
        { "cut.txt", std::string(MagicHeader) + "a1\tLT-NO\t273\t0\t10\t20\t1e-5\tg", 3 },
        { "cut.jr6",
            "ST1       NRM      -3.10  4.29 -6.47  -5  27  27   0   0   0   0 12 90 12  0   0", 1 },
        { "cut.ppl",
            "PuffinPlot file. Version 3\nDISCRETE_ID\tTREATMENT\tX_MOMENT\tY_MOMENT\t"
            "Z_MOMENT\np1\tNONE\t1\t2\t3",
            3 },
        { "cut.TH", "\"comment\"\n\"s1\",2,0,90,10,0,0\n0,1,2,3\n9999\nEND", 5 },
    };
    for (const EndCase &c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const std::string cut = folder.file(c.name, c.text);
        const std::vector<std::string> expected = { cut + ", line " + std::to_string(c.lines)
            + ": the last line has no line end; if the file was cut there, its last value may "
              "have been cut short." };
        EXPECT_EQ(readMeasurements(cut).summary.notes, expected);
        const std::string whole = folder.file(std::string("whole-") + c.name, c.text + "\r\n");
        EXPECT_TRUE(readMeasurements(whole).summary.notes.empty());
    }
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// A reading asked to stop ends without a result, whatever it had read; one not asked reads
// every row.
TEST(MeasurementInputTest, ReadingAskedToStopEndsWithoutAResult)
{
    std::string text = MagicHeader;
    for (int i = 0; i < 3000; ++i)
        text += "s" + std::to_string(i) + "\tLT-NO\t273\t0\t0\t0\t4\tg\n";
    Fixtures::TemporaryFolder folder;
    const std::string path = folder.file("measurements.txt", text);
    std::stop_source stop;
    ReadOptions options;
    options.stop = stop.get_token();
    EXPECT_EQ(readMeasurements(path, options).specimens.size(), 3000u);
    stop.request_stop();
    EXPECT_THROW(readMeasurements(path, options), ReadStopped);
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// The moment's unit is read row by row: magn_moment where the row gives it, else magn_volume,
// each specimen in its own; a specimen whose rows change unit is refused with the line.
TEST(MeasurementInputTest, MagicMomentUnitsAreReadPerRowAndKeptPerSpecimen)
{
    const std::string header = "tab\tmeasurements\nspecimen\tmethod_codes\ttreat_temp\tdir_dec\t"
                               "dir_inc\tmagn_moment\tmagn_volume\n";
    Fixtures::TemporaryFolder folder;
    const MeasurementSet set = readMeasurements(folder.file("units.txt",
        header
            + "a1\tLT-NO\t273\t0\t0\t\t4.5\na1\tLT-T-Z\t373\t0\t0\t\t3.5\n"
              "b1\tLT-NO\t273\t0\t0\t2e-6\t\n"));
    ASSERT_EQ(set.specimens.size(), 2u);
    EXPECT_EQ(set.specimens[0].unit, MomentUnit::AmperePerMetre);
    EXPECT_EQ(set.specimens[0].steps.size(), 2u);
    EXPECT_EQ(set.specimens[1].unit, MomentUnit::AmpereSquareMetre);
    EXPECT_EQ(set.summary.missingMoment, 0u);
    try {
        readMeasurements(folder.file(
            "mixed.txt", header + "a1\tLT-NO\t273\t0\t0\t\t4.5\na1\tLT-T-Z\t373\t0\t0\t1e-6\t\n"));
        ADD_FAILURE() << "not refused";
    } catch (const MeasurementError &error) {
        EXPECT_NE(
            std::string(error.what())
                .find("line 4: specimen \"a1\" has its moment in A/m (magn_volume) on line 3"),
            std::string::npos)
            << error.what();
    }
}

} // namespace
} // namespace Demagora
