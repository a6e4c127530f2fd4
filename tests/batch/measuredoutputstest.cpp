#include "batch/batchcommand.h"
#include "batch/batchtestruns.h"
#include "document/scenario.h"
#include "measurements/measurementreader.h"
#include "measurements/specimencoordinates.h"
#include "support/csvfields.h"
#include "support/sharedmeasurements.h"
#include "unmixing/unmixing.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

using Testing::splitFields;

const std::string Cit = std::string(DEMAGORA_MEASUREMENTS_DIR) + "/cit-PI47/PI47-.sam";

using Outcome = Testing::CommandResult;

Outcome run(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), { "--measured", Cit });
    return Testing::runCommand(arguments);
}

std::vector<std::vector<std::string>> csvRows(const std::string &text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        rows.push_back(splitFields(line));
    return rows;
}

std::string slurp(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class MeasuredOutputsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path()
            / ("demagora-measured-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string file(const std::string &name) const { return (m_folder / name).string(); }

    std::filesystem::path m_folder;
};

// The picture of the chosen specimen in each format, at the width asked for.
TEST_F(MeasuredOutputsTest, PictureOfOneSpecimenInEachFormat)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    struct Case
    {
        const char *name;
        const char *start;
    };
    for (const Case &c :
        { Case { "a.png", "\x89PNG" }, Case { "a.svg", "<?xml" }, Case { "a.pdf", "%PDF" } }) {
        SCOPED_TRACE(c.name);
        const Outcome outcome
            = run({ "--specimen", "PI47-3a", "--png", file(c.name), "--width", "500" });
        ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
        const std::string bytes = slurp(file(c.name));
        EXPECT_EQ(bytes.rfind(c.start, 0), 0u);
        if (std::string(c.name) == "a.svg") {
            EXPECT_NE(bytes.find("PI47-3a"), std::string::npos);
        }
    }
    const QImage image(QString::fromStdString(file("a.png")));
    EXPECT_EQ(image.size(), QSize(500, 524));
}

// --projection draws the vertical planes the specimens window's View menu offers; without it
// the north-down plane alone. The scales name the file's unit.
TEST_F(MeasuredOutputsTest, PictureTakesTheProjectionOfTheWindow)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    for (const auto &[projection, eastWord] :
        { std::pair { "", false }, std::pair { "east", true } }) {
        SCOPED_TRACE(projection);
        std::vector<std::string> arguments { "--specimen", "PI47-3a", "--coordinates", "geographic",
            "--png", file("p.svg") };
        if (*projection)
            arguments.insert(arguments.end(), { "--projection", projection });
        const Outcome outcome = run(arguments);
        ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
        const std::string svg = slurp(file("p.svg"));
        EXPECT_EQ(svg.find(">E<") != std::string::npos, eastWord);
        EXPECT_NE(svg.find(" A m2<"), std::string::npos);
    }
}

// Every specimen keeps its row under its name; the site's nine lines agree in geographic
// coordinates (the site is well grouped) and scatter in the specimens' own axes, so the frame
// of --coordinates is the one fitted.
TEST_F(MeasuredOutputsTest, FitsEverySpecimenInTheChosenFrame)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    struct Case
    {
        const char *coordinates;
        double minK;
        double maxK;
    };
    for (const Case &c : { Case { "geographic", 50, 1e9 }, Case { "specimen", 0, 10 } }) {
        SCOPED_TRACE(c.coordinates);
        const Outcome outcome = run({ "--coordinates", c.coordinates, "--fit", "200:500", "--fits",
            file("fits.csv"), "--fisher", file("fisher.csv") });
        ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
        const auto fits = csvRows(slurp(file("fits.csv")));
        ASSERT_EQ(fits.size(), 10u);
        EXPECT_EQ(fits[0][0], "specimen");
        EXPECT_EQ(fits[1][0], "PI47-1a");
        EXPECT_EQ(fits[9][0], "PI47-9a");
        EXPECT_EQ(fits[1][2], "200");
        const auto fisher = csvRows(slurp(file("fisher.csv")));
        ASSERT_EQ(fisher.size(), 2u);
        EXPECT_EQ(fisher[1][1], "9");
        const double k = std::stod(fisher[1][5]);
        EXPECT_GT(k, c.minK);
        EXPECT_LT(k, c.maxK);
    }
}

// A specimen without enough steps keeps its row with the fitted fields empty.
TEST_F(MeasuredOutputsTest, SpecimenWithTooFewStepsKeepsItsRow)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const Outcome outcome = run({ "--fit", "574:575", "--fit-type", "plane", "--fits", "-" });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    const auto rows = csvRows(outcome.out);
    ASSERT_EQ(rows.size(), 10u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_GE(rows[i].size(), 5u);
        EXPECT_LT(std::stoi(rows[i][4]), 3);
        EXPECT_TRUE(rows[i].size() == 5 || rows[i][5].empty());
    }
}

// The listed interpretations fitted in the list's order, combined into the site of the CIT
// file's site line.
TEST_F(MeasuredOutputsTest, InterpretationsGiveFitsAndTheSiteMean)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    std::ofstream(file("list.csv")) << "specimen,type,from,to\nPI47-2a,anchored,200,550\n"
                                       "PI47-1a,free,200,500\nPI47-3a,plane,100,400\n";
    const Outcome outcome = run({ "--coordinates", "geographic", "--interpretations",
        file("list.csv"), "--fits", file("fits.csv"), "--site-means", file("sites.csv") });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    const auto fits = csvRows(slurp(file("fits.csv")));
    ASSERT_EQ(fits.size(), 4u);
    EXPECT_EQ(fits[1][0], "PI47-2a");
    EXPECT_EQ(fits[1][1], "anchored");
    EXPECT_EQ(fits[3][1], "plane");
    const auto sites = csvRows(slurp(file("sites.csv")));
    ASSERT_EQ(sites.size(), 2u);
    // The laboratory's samples table beside the .sam file names the site.
    EXPECT_EQ(sites[1][0], "PI47");
    EXPECT_EQ(sites[1][1], "2");
    EXPECT_EQ(sites[1][2], "1");
    // The site's geographic direction, near the NRM the file gives (085.0, 56.1).
    EXPECT_NEAR(std::stod(sites[1][3]), 80, 10);
    EXPECT_NEAR(std::stod(sites[1][4]), 54, 6);
}

// One row per fitted component, and a twin whose heights are the fitted ones: the moment in the
// file's unit (A m2 here) per degree, which the simulator measures back with a scale of 1. The
// twin's range ends lie on the simulator's tenths of a degree, its moment refitted to them.
TEST_F(MeasuredOutputsTest, UnmixWritesComponentsAndTheTwin)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const Outcome outcome = run({ "--specimen", "PI47-2a", "--unmix", "1", "--bootstrap", "0",
        "--unmix-out", file("unmix.csv"), "--twin", file("twin.json") });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    const std::string text = slurp(file("unmix.csv"));
    const auto rows = csvRows(text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), 21u);
    // The last field, stable, is empty without bootstrap: the splitter drops it.
    ASSERT_EQ(rows[1].size(), 20u);
    EXPECT_EQ(text.substr(text.size() - 2), ",\n");
    EXPECT_EQ(rows[1][0], "PI47-2a");
    // The CIT file gives error angles: a misfit against them.
    EXPECT_GT(std::stod(rows[1][19]), 1);
    EXPECT_GT(std::stod(rows[1][18]), 0);
    const Scenario twin = readScenarioFile(file("twin.json"));
    ASSERT_EQ(twin.components.size(), 1u);
    const TVector &c = twin.components[0];
    EXPECT_NEAR(c.Height / std::stod(rows[1][7]), 1, 1e-3);
    EXPECT_NEAR(c.Declination, std::stod(rows[1][4]), 0.01);
    EXPECT_NEAR(c.BlockLow, std::stod(rows[1][10]), 0.05);
    EXPECT_EQ(c.BlockLow, std::round(c.BlockLow * 10) / 10);
    EXPECT_NEAR(c.BlockHigh + 1e-6, std::round(c.BlockHigh * 10) / 10, 1e-9);
}

// One specimen of the JR6 file has a single thermal step: it keeps its row, with the reason on
// standard error, and the other 41 are unmixed all the same.
TEST(MeasuredUnmixingTest, ASpecimenTooShortIsLeftOutAlone)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const Outcome outcome = Testing::runCommand(
        { "--measured", std::string(DEMAGORA_MEASUREMENTS_DIR) + "/jr6-TRM/TRM.jr6", "--unmix", "1",
            "--bootstrap", "0", "--unmix-out", "-" });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    EXPECT_NE(outcome.out.find("\nST38B,0,,,,,,,,,,,,,,,,,,,\n"), std::string::npos);
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 43);
    EXPECT_NE(outcome.err.find("demagora-batch: --unmix: " + std::string(DEMAGORA_MEASUREMENTS_DIR)
                  + "/jr6-TRM/TRM.jr6: left out ST38B: 1 step is too few to unmix; 1 "
                    "component(s) need at least 3\n"),
        std::string::npos);
}

// A real specimen whose direction turns slowly: the best-scoring fit of four components has
// two of them opposite over one range, each larger than the NRM, and the solver never settles;
// BIC must pass over it to a fit whose components stand on their own.
TEST(MeasuredUnmixingTest, CancellingFitsAreNotChosen)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const MeasurementSet set = readMeasurements(Cit, {});
    const auto specimen = std::find_if(set.specimens.begin(), set.specimens.end(),
        [](const Specimen &s) { return s.name == "PI47-1a"; });
    ASSERT_NE(specimen, set.specimens.end());
    UnmixOptions options;
    options.bootstrap = 0;
    const UnmixResult result = unmixSpecimen("PI47-1a", unmixSteps(*specimen), options);
    EXPECT_TRUE(soundCandidate(result.best));
    const bool unsoundScoresBetter = std::any_of(result.candidates.begin(), result.candidates.end(),
        [&](const UnmixCandidate &c) { return !soundCandidate(c) && c.bic < result.best.bic; });
    EXPECT_TRUE(unsoundScoresBetter);
}

// Each conversion reads back through our readers to the steps it was written from, in the
// frame converted (geographic here), to 1e-9 of each vector.
TEST_F(MeasuredOutputsTest, ConversionsReadBackToTheSameVectors)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const Outcome outcome = run({ "--coordinates", "geographic", "--magic", file("magic"), "--ppl",
        file("a.ppl"), "--utrecht", file("a.TH") });
    ASSERT_EQ(outcome.status, BatchSuccess) << outcome.err;
    // Real measurements are not called simulated.
    EXPECT_EQ(
        slurp(file("a.TH")).substr(0, 48), "\"Thermal demagnetization converted by Demagora\"\n");
    const MeasurementSet original = readMeasurements(Cit, {});
    struct Case
    {
        const char *path;
        double tolerance;
    };
    for (const Case &c :
        { Case { "magic", 1e-9 }, Case { "a.ppl", 1e-9 }, Case { "a.TH", 1e-9 } }) {
        SCOPED_TRACE(c.path);
        const MeasurementSet back = readMeasurements(file(c.path), {});
        ASSERT_EQ(back.specimens.size(), original.specimens.size());
        for (std::size_t i = 0; i < back.specimens.size(); ++i) {
            const Specimen &was = original.specimens[i];
            const Specimen &is = back.specimens[i];
            EXPECT_EQ(is.name, was.name);
            ASSERT_EQ(is.steps.size(), was.steps.size());
            // A magnetization read back is a moment over the volume the file gives.
            const double toMoment = is.unit == MomentUnit::AmpereSquareMetre
                ? 1
                : is.volumeCubicMetres.value_or(std::nan(""));
            for (std::size_t s = 0; s < is.steps.size(); ++s) {
                const Vector3 expected
                    = stepMoment(was, was.steps[s], CoordinateSystem::Geographic);
                const Vector3 got = stepMoment(is, is.steps[s], CoordinateSystem::Specimen);
                EXPECT_EQ(is.steps[s].level, std::round(was.steps[s].level));
                const double scale = norm(expected);
                const Vector3 difference = toMoment * got - expected;
                for (const double axis : { difference.x, difference.y, difference.z })
                    EXPECT_NEAR(axis, 0, c.tolerance * scale) << "specimen " << i << ", step " << s;
            }
        }
    }
}

TEST_F(MeasuredOutputsTest, OptionsOfARunAloneAreRefused)
{
    const Testing::RefusedCase cases[] = {
        { { "--fits", "-", "--seed", "3" }, "'--seed' cannot be given with --measured" },
        { { "--series", "-" }, "'--series' cannot be given with --measured" },
        { { "--png", "x.png", "--net", "equal-area" }, "'--net' cannot be given with --measured" },
        { { "--magic", "d", "--noise", "1" }, "'--noise' cannot be given with --measured" },
        { { "--demag", "af", "--unmix", "1", "--unmix-out", "-" },
            "--unmix fits thermal steps; it cannot go with --demag af" },
        { { "--fits", "-" }, "--fits and --fisher need the interval of --fit LO:HI" },
        { { "--fit", "500:200", "--fits", "-" }, "--fit: the interval 500:200 ends below" },
        { { "--coordinates", "specimen" }, "--measured needs an output" },
        { { "--site-means", "-" }, "--site-means needs the list of --interpretations FILE" },
    };
    Testing::expectRefused(run, cases);
}

} // namespace
} // namespace Demagora
