#include "analysis/magicspecimens.h"

#include "analysis/analysiserror.h"
#include "support/sharedmeasurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using namespace Demagora;

namespace {

std::vector<SavedInterpretation> readText(const std::string &text)
{
    std::istringstream in(text);
    return readMagicSpecimens(in, "specimens.txt").fits;
}

std::string refusal(const std::string &text)
{
    try {
        readText(text);
    } catch (const AnalysisError &error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(MagicSpecimensTest, FitsReadBackAsWritten)
{
    const std::vector<FitStep> steps = { { 0, { 4, 0.1, 0.3 } }, { 100, { 3, 0.2, 0.1 } },
        { 250, { 2.1, 0.9, 0.4 } }, { 400, { 1, 0.1, 0.2 } }, { 550, { 0.4, 0.05, 0.1 } } };
    const std::vector<InterpretedComponent> components
        = { { "LT", FitType::Free, { 0, 1, 3 }, CoordinateSystem::Specimen, {} },
              { "HT", FitType::Anchored, { 2, 3, 4 }, CoordinateSystem::Geographic, {} },
              { "GC", FitType::Plane, { 0, 2, 4 }, CoordinateSystem::TiltCorrected, {} },
              { "", FitType::Origin, { 1, 2 }, CoordinateSystem::Specimen, {} } };
    std::vector<SavedInterpretation> written;
    for (const InterpretedComponent &component : components)
        written.push_back(
            savedInterpretation("a-1b", "a-1", component, fitComponent(steps, component)));
    std::ostringstream out;
    writeMagicSpecimens(out, written);
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with("tab\tspecimens\nspecimen\tsample\tdir_comp\tdir_dec\tdir_inc\t"
                                 "dir_mad_free\tdir_dang\tdir_n_measurements\tdir_tilt_correction\t"
                                 "meas_step_min\tmeas_step_max\tmeas_step_unit\tmethod_codes\t"
                                 "result_quality\tcitations\tsoftware_packages\n"));
    EXPECT_NE(text.find("\t3\t-1\t273\t673\tK\tLP-DIR-T:DE-BFL\tg\tThis study\tdemagora-"),
        std::string::npos);
    EXPECT_NE(text.find("\t0\t523\t823\tK\tLP-DIR-T:DE-BFL-A:DA-DIR-GEO\t"), std::string::npos);
    EXPECT_NE(text.find("\t100\t273\t823\tK\tLP-DIR-T:DE-BFP:DA-DIR-TILT\t"), std::string::npos);
    EXPECT_NE(text.find("LP-DIR-T:DE-BFL-O\t"), std::string::npos);

    const std::vector<SavedInterpretation> read = readText(text);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        const SavedInterpretation &a = written[i];
        const SavedInterpretation &b = read[i];
        EXPECT_EQ(b.specimen, "a-1b");
        EXPECT_EQ(b.sample, "a-1");
        EXPECT_EQ(b.component, a.component);
        EXPECT_EQ(b.type, a.type);
        EXPECT_EQ(b.coordinates, a.coordinates);
        EXPECT_EQ(b.from, a.from);
        EXPECT_EQ(b.to, a.to);
        EXPECT_EQ(b.n, a.n);
        EXPECT_EQ(b.direction.declination, a.direction.declination);
        EXPECT_EQ(b.direction.inclination, a.direction.inclination);
        EXPECT_EQ(b.mad, a.mad);
        EXPECT_EQ(b.dang, a.dang);
        EXPECT_EQ(b.line, static_cast<int>(i) + 3);
    }
    EXPECT_FALSE(read[2].dang); // a plane has none
}

// As other programs store fits: "tab delimited", CRLF, padded fields, spaced method codes,
// kelvin from 273.15, the coordinates told by method codes alone, rows without a fit between.
TEST(MagicSpecimensTest, ReadsTheFitsAnotherProgramStored)
{
    const std::string text
        = "\xEF\xBB\xBFtab delimited\tspecimens\r\n"
          "specimen\tsample\tdir_dec\tdir_inc\tdir_mad_free\tmeas_step_min\tmeas_step_max\t"
          "method_codes\tdir_comp\r\n"
          "s1\ts\t\t\t\t\t\tLP-NOMAG\t\r\n"
          " s2 \ts\t 201.5\t-41.25\t 3.5\t 473.15\t 853.15\tLP-DIR-T : DE-BFP : DA-DIR-GEO\tB\r\n"
          "s3\ts\t10\t20\t\t573\t673\tDE-FM\t\r\n";
    const std::vector<SavedInterpretation> read = readText(text);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].specimen, "s2");
    EXPECT_EQ(read[0].type, FitType::Plane);
    EXPECT_EQ(read[0].coordinates, CoordinateSystem::Geographic);
    EXPECT_EQ(read[0].component, "B");
    EXPECT_EQ(read[0].direction.declination, 201.5);
    EXPECT_EQ(read[0].direction.inclination, -41.25);
    EXPECT_EQ(read[0].mad, 3.5);
    EXPECT_FALSE(read[0].dang);
    EXPECT_NEAR(read[0].from, 200.15, 1e-9);
    EXPECT_NEAR(read[0].to, 580.15, 1e-9);
    EXPECT_EQ(read[0].line, 4);
}

TEST(MagicSpecimensTest, SharedTablesWithoutFitsHoldNone)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    for (const char *path : { "jr6-TRM/TRM_specimens.txt", "cit-PI47/specimens.txt" }) {
        SCOPED_TRACE(path);
        const std::string name = std::string(DEMAGORA_MEASUREMENTS_DIR) + "/" + path;
        std::ifstream in(name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        EXPECT_TRUE(readMagicSpecimens(in, name).fits.empty());
    }
}

TEST(MagicSpecimensTest, RefusesWhatItCannotReadByFileLineAndColumn)
{
    const std::string head = "tab\tspecimens\nspecimen\tdir_dec\tdir_inc\tmeas_step_min\t"
                             "meas_step_max\tmeas_step_unit\tdir_tilt_correction\tmethod_codes\n";
    struct Row
    {
        std::string text;
        std::string message;
    };
    const std::vector<Row> rows = {
        { "",
            "specimens.txt line 1: expected \"tab\" and \"specimens\" separated by a tab, the "
            "first line of a MagIC specimens table" },
        { "tab\tsamples\nsample\n",
            "specimens.txt line 1: expected \"tab\" and \"specimens\" "
            "separated by a tab, the first line of a MagIC specimens table" },
        { "tab\tspecimens\n", "specimens.txt line 2: expected the names of the table's columns" },
        { head + "a\t1\t2\t373\t473\tK\t-1\tDE-BFL\nb\ta\t2\t373\t473\tK\t-1\tDE-BFL\n",
            "specimens.txt line 4, column dir_dec: 'a' is not a number" },
        { head + "\t1\t2\t373\t473\tK\t-1\tDE-BFL\n",
            "specimens.txt line 3, column specimen: no specimen is named" },
        { head + "a\t1\t\t373\t473\tK\t-1\tDE-BFL\n",
            "specimens.txt line 3, column dir_inc: a number is needed here and the field is "
            "empty" },
        { head + "a\t1\t95\t373\t473\tK\t-1\tDE-BFL\n",
            "specimens.txt line 3, column dir_inc: an inclination lies from -90 to 90 degrees" },
        { head + "a\t1\t2\t573\t473\tK\t-1\tDE-BFL\n",
            "specimens.txt line 3, column meas_step_max: the last step lies below the first "
            "(meas_step_min)" },
        { head + "a\t1\t2\t373\t473\tK\t50\tDE-BFL\n",
            "specimens.txt line 3, column dir_tilt_correction: '50' is not -1, 0 or 100" },
        { head + "a\t1\t2\t373\tnan\tK\t-1\tDE-BFL-A\n",
            "specimens.txt line 3, column meas_step_max: 'nan' is not a number" },
        // Kept line by line, a table of blank lines took gigabytes before it was refused.
        { head + std::string(std::size_t(1) << 24, '\n'),
            "specimens.txt: more than 16777216 lines, too many for a table." },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(refusal(row.text), row.message);
    }
}

// Saved, reopened and fitted again over the steps the saved bounds take in: the same fits.
TEST(MagicSpecimensTest, ReopenedIntervalsGiveTheSameFits)
{
    std::vector<FitStep> steps;
    for (int i = 0; i < 12; ++i) {
        const double t = 50.0 * i;
        steps.push_back(
            { t, { 5 - 0.4 * i + 0.03 * (i % 3), 1 - 0.05 * i, 0.5 + 0.02 * (i % 2) } });
    }
    const std::vector<InterpretedComponent> components
        = { { "LT", FitType::Free, stepsBetween(steps, 0, 150), CoordinateSystem::Specimen, {} },
              { "HT", FitType::Anchored, stepsBetween(steps, 200, 550), CoordinateSystem::Specimen, {} },
              { "GC", FitType::Plane, stepsBetween(steps, 100, 400), CoordinateSystem::Specimen, {} } };
    std::vector<SavedInterpretation> saved;
    std::vector<ComponentFit> fits;
    for (const InterpretedComponent &component : components) {
        fits.push_back(fitComponent(steps, component));
        saved.push_back(savedInterpretation("s", "", component, fits.back()));
    }
    std::ostringstream out;
    writeMagicSpecimens(out, saved);
    const std::vector<SavedInterpretation> read = readText(out.str());
    ASSERT_EQ(read.size(), components.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        const InterpretedComponent reopened { read[i].component, read[i].type,
            stepsBetween(steps, read[i].from, read[i].to), read[i].coordinates, {} };
        EXPECT_EQ(reopened.steps, components[i].steps);
        const ComponentFit again = fitComponent(steps, reopened);
        ASSERT_TRUE(again.fit);
        EXPECT_EQ(again.fit->direction, fits[i].fit->direction);
        EXPECT_EQ(again.fit->mad, fits[i].fit->mad);
    }
}

// As analysis programs write them: every fit once per frame, an anchored line of PmagPy (the
// vector mean of its steps), a fit of AF steps, a row repeated.
TEST(MagicSpecimensTest, FitsAreTakenOncePerFrameAsTheirProgramMadeThem)
{
    std::string text = "tab\tspecimens\nspecimen\tdir_comp\tdir_dec\tdir_inc\tmeas_step_min\t"
                       "meas_step_max\tmeas_step_unit\tdir_tilt_correction\tmethod_codes\t"
                       "software_packages\n";
    for (int s = 1; s <= 8; ++s) {
        for (const char *tilt : { "-1", "0", "100" }) {
            text += "t" + std::to_string(s) + "\tMT\t10\t20\t473\t773\tK\t" + tilt
                + "\tLP-DIR-T:DE-BFL\tpmagpy-4.2.106\n";
        }
    }
    text += "t1\tHT\t10\t20\t773\t853\tK\t-1\tLP-DIR-T:DE-BFL-A\tpmagpy-4.2.106\n" // specimen only
            "t2\tHT\t10\t20\t773\t853\tK\t0\tLP-DIR-T:DE-BFL-A\t\n" // this program's, or unknown
            "t2\tHT\t10\t20\t773\t853\tK\t0\tLP-DIR-T:DE-BFL-A\t\n" // repeated
            "t3\tAF\t10\t20\t0.01\t0.05\tT\t0\tLP-DIR-AF:DE-BFL\t\n";
    std::istringstream in(text);
    const MagicSpecimensFits read = readMagicSpecimens(in, "specimens.txt");
    EXPECT_EQ(read.fits.size(), 27u);
    EXPECT_EQ(read.otherTreatments, 1);
    EXPECT_EQ(read.vectorMeans, 1);

    const FramedFits framed = fitsForFrame(read.fits, CoordinateSystem::Geographic);
    ASSERT_EQ(framed.fits.size(), 10u); // 8 MT lines, not 24, and two HT
    EXPECT_EQ(framed.counts.read, (std::array<int, 3> { 9, 10, 8 }));
    EXPECT_EQ(framed.counts.used, (std::array<int, 3> { 1, 9, 0 }));
    EXPECT_EQ(framed.counts.converted, 1);
    EXPECT_EQ(framed.counts.repeats, 1);
    EXPECT_EQ(framed.fits[0].coordinates, CoordinateSystem::Geographic);
    const SavedInterpretation &pmagpy = framed.fits[8];
    EXPECT_EQ(pmagpy.specimen, "t1");
    EXPECT_EQ(pmagpy.type, FitType::VectorMean);
    EXPECT_EQ(pmagpy.coordinates, CoordinateSystem::Specimen);
    EXPECT_EQ(framed.fits[9].type, FitType::Anchored);
    EXPECT_EQ(frameCountsText(framed.counts, CoordinateSystem::Geographic),
        "27 fits read (9 specimen, 10 geographic, 8 tilt); 10 used in geographic coordinates (1 "
        "refitted from another frame); 1 repeated rows counted once");
}

// A PmagPy anchored row read back reproduces its stored direction: the vector mean of the
// steps it names, not the line through the origin that this program fits.
TEST(MagicSpecimensTest, AVectorMeanRowKeepsItsStoredDirection)
{
    const std::vector<FitStep> steps
        = { { 0, { 5, 0, 0 } }, { 100, { 1, 3, 0 } }, { 200, { 0.5, 0.5, 2 } } };
    const InterpretedComponent mean { "HT", FitType::VectorMean, { 0, 1, 2 }, CoordinateSystem::Specimen,
        "pmagpy-4.2.106" };
    const ComponentFit fit = fitComponent(steps, mean);
    ASSERT_TRUE(fit.fit);
    std::ostringstream out;
    writeMagicSpecimens(out, std::vector { savedInterpretation("a", "a", mean, fit) });
    EXPECT_NE(
        out.str().find("LP-DIR-T:DE-BFL-A\tg\tThis study\tpmagpy-4.2.106\n"), std::string::npos)
        << out.str();
    const SavedInterpretation read = readText(out.str()).at(0);
    ASSERT_EQ(read.type, FitType::VectorMean);
    // Hand-worked: the mean of the three steps is (6.5, 3.5, 2) / 3.
    EXPECT_NEAR(read.direction.declination, std::atan2(3.5, 6.5) * 180 / M_PI, 1e-9);
    EXPECT_NEAR(read.direction.inclination,
        std::atan2(2, std::sqrt(6.5 * 6.5 + 3.5 * 3.5)) * 180 / M_PI, 1e-9);
    const Fit anchored = fitSteps(steps, FitType::Anchored);
    EXPECT_GT(angleBetween(anchored.direction, fit.fit->direction), 1);
    EXPECT_EQ(read.mad, anchored.mad);
}

// Saving over a lab's table keeps its other specimens, components, programs' fits and
// columns, and replaces the fits saved, in every frame.
TEST(MagicSpecimensTest, SavingOverATableKeepsWhatItDidNotMake)
{
    const std::string existing
        = "tab\tspecimens\nspecimen\tsample\tvolume\tdir_comp\tdir_dec\tdir_inc\tmeas_step_min\t"
          "meas_step_max\tmeas_step_unit\tdir_tilt_correction\tmethod_codes\n"
          "a\tA\t1e-5\t\t\t\t\t\t\t\tLP-NOMAG\n"
          "a\tA\t\tHT\t1\t2\t373\t473\tK\t-1\tLP-DIR-T:DE-BFL\n"
          "a\tA\t\tHT\t3\t4\t373\t473\tK\t0\tLP-DIR-T:DE-BFL\n"
          "a\tA\t\tLT\t5\t6\t273\t373\tK\t-1\tLP-DIR-T:DE-BFL\n"
          "a\tA\t\tHT\t7\t8\t0.01\t0.05\tT\t-1\tLP-DIR-AF:DE-BFL\n"
          "b\tB\t2e-5\tHT\t9\t10\t373\t473\tK\t-1\tLP-DIR-T:DE-BFL\n";
    SavedInterpretation saved;
    saved.specimen = "a";
    saved.sample = "A";
    saved.component = "HT";
    saved.direction = { 45, 45 };
    saved.from = 100;
    saved.to = 400;
    saved.n = 4;
    std::istringstream in(existing);
    std::ostringstream out;
    EXPECT_EQ(writeMergedMagicSpecimens(out, in, "specimens.txt", std::vector { saved }), 4);
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with(
        "tab\tspecimens\nspecimen\tsample\tvolume\tdir_comp\tdir_dec\tdir_inc\tmeas_step_min\t"
        "meas_step_max\tmeas_step_unit\tdir_tilt_correction\tmethod_codes\tdir_mad_free\t"
        "dir_dang\tdir_n_measurements\tresult_quality\tcitations\tsoftware_packages\n"
        "a\tA\t1e-5\t\t\t\t\t\t\t\tLP-NOMAG\t\t\t\t\t\t\n"
        "a\tA\t\tLT\t5\t6\t273\t373\tK\t-1\tLP-DIR-T:DE-BFL\t"))
        << text;
    EXPECT_NE(text.find("\na\tA\t\tHT\t7\t8\t0.01\t0.05\tT\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\nb\tB\t2e-5\tHT\t9\t10\t"), std::string::npos) << text;
    EXPECT_EQ(text.find("\t1\t2\t373"), std::string::npos) << text;
    EXPECT_EQ(text.find("\t3\t4\t373"), std::string::npos) << text;
    EXPECT_NE(
        text.find("\na\tA\t\tHT\t45\t45\t373\t673\tK\t-1\tLP-DIR-T:DE-BFL\t"), std::string::npos)
        << text;
    std::istringstream again(text);
    const MagicSpecimensFits reread = readMagicSpecimens(again, "specimens.txt");
    EXPECT_EQ(reread.fits.size(), 3u);
    EXPECT_EQ(reread.otherTreatments, 1);

    std::istringstream notATable("specimen,type,from,to\n");
    std::ostringstream ignored;
    EXPECT_THROW(writeMergedMagicSpecimens(ignored, notATable, "list.csv", std::vector { saved }),
        AnalysisError);
}
