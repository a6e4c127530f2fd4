#include "measurements/measurementerror.h"
#include "measurements/measurementreader.h"
#include "measurements/measurementset.h"
#include "measurements/specimencoordinates.h"

#include "readerfixtures.h"
#include "support/sharedmeasurements.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Demagora {
namespace {

using Fixtures::findSpecimen;
using Fixtures::sharedMeasurements;
using Fixtures::stepCount;

struct SharedFileCase
{
    const char *path;
    ReadOptions options;
    MeasurementFormat format;
    std::size_t specimens;
    std::size_t steps;
    std::size_t otherExperiments;
    std::size_t otherDemagnetization;
    std::size_t repeatsMerged;
    std::size_t repeatsKept;
    std::size_t specimensWithoutSteps;
};

ReadOptions af()
{
    ReadOptions options;
    options.demag = DemagKind::AlternatingField;
    return options;
}

ReadOptions allRepeats()
{
    ReadOptions options;
    options.repeats = RepeatRule::All;
    return options;
}

// Counts taken from the files by hand: the MagIC table's palaeointensity specimens keep their
// NRM and zero-field heatings, its AF specimens are the other demagnetization; the CIT files
// hold 266 steps of which 23 repeat a temperature; the two 2G files repeat 9 steps.
TEST(MeasurementReaderTest, ReadsEverySharedFileWithWhatItLeavesOut)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const SharedFileCase cases[] = {
        { "magic-zeq/measurements.txt", {}, MeasurementFormat::Magic, 4, 51, 73, 23, 0, 0, 2 },
        { "magic-zeq/measurements.txt", af(), MeasurementFormat::Magic, 2, 23, 73, 51, 0, 0, 4 },
        { "magic-zeq", {}, MeasurementFormat::Magic, 4, 51, 73, 23, 0, 0, 2 },
        { "cit-PI47/PI47-.sam", {}, MeasurementFormat::Cit, 9, 243, 0, 0, 23, 0, 0 },
        { "cit-PI47/PI47-.sam", allRepeats(), MeasurementFormat::Cit, 9, 266, 0, 0, 0, 23, 0 },
        { "cit-PI47", {}, MeasurementFormat::Magic, 9, 243, 0, 0, 23, 0, 0 },
        { "cit-PI47/PI47-.sam", af(), MeasurementFormat::Cit, 9, 9, 0, 257, 0, 0, 0 },
        { "jr6-TRM/TRM.jr6", {}, MeasurementFormat::Jr6, 42, 499, 0, 0, 2, 0, 0 },
        { "2g-mn1", {}, MeasurementFormat::TwoG, 2, 38, 0, 0, 9, 0, 0 },
        { "2g-mn1/mn001-1a.dat", {}, MeasurementFormat::TwoG, 1, 19, 0, 0, 5, 0, 0 },
    };
    for (const SharedFileCase &c : cases) {
        SCOPED_TRACE(c.path);
        const MeasurementSet set = readMeasurements(sharedMeasurements(c.path), c.options);
        EXPECT_EQ(set.summary.format, c.format);
        EXPECT_EQ(set.specimens.size(), c.specimens);
        EXPECT_EQ(stepCount(set), c.steps);
        EXPECT_EQ(set.summary.otherExperiments, c.otherExperiments);
        EXPECT_EQ(set.summary.otherDemagnetization, c.otherDemagnetization);
        EXPECT_EQ(set.summary.flaggedBad, 0u);
        EXPECT_EQ(set.summary.missingMoment, 0u);
        EXPECT_EQ(set.summary.repeatsMerged, c.repeatsMerged);
        EXPECT_EQ(set.summary.repeatsKept, c.repeatsKept);
        EXPECT_EQ(set.summary.specimensWithoutSteps, c.specimensWithoutSteps);
        for (const Specimen &specimen : set.specimens) {
            ASSERT_FALSE(specimen.steps.empty());
            // Half the JR6 specimens start at T25, a heating to room temperature.
            const SpecimenStep &first = specimen.steps.front();
            EXPECT_TRUE(first.treatment == Treatment::Nrm || first.level == 25) << specimen.name;
        }
    }
}

struct StepCase
{
    const char *path;
    ReadOptions options;
    const char *specimen;
    std::size_t step;
    Treatment treatment;
    double level;
    MomentUnit unit;
    // The file's own numbers for that step: specimen declination, inclination, intensity.
    double declination;
    double inclination;
    double intensity;
};

// Steps checked against the numbers printed in the files: kelvin to Celsius, tesla to mT, emu
// to A m2, JR6 exponents, the step spellings T25 and the 2G labels.
TEST(MeasurementReaderTest, StepsCarryTheFilesLevelsUnitsAndMoments)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const StepCase cases[] = {
        { "magic-zeq/measurements.txt", {}, "sr01a1", 1, Treatment::Thermal, 100,
            MomentUnit::AmpereSquareMetre, 170.6, 26.7, 3.94E-05 },
        { "magic-zeq/measurements.txt", af(), "sr01e2", 1, Treatment::AlternatingField, 10,
            MomentUnit::AmpereSquareMetre, 201, 27.7, 2.83E-05 },
        { "cit-PI47/PI47-.sam", {}, "PI47-1a", 1, Treatment::Thermal, 50,
            MomentUnit::AmpereSquareMetre, 201.2, 41.9, 9.00E-08 },
        { "jr6-TRM/TRM.jr6", {}, "ST210", 0, Treatment::Thermal, 25, MomentUnit::AmperePerMetre,
            std::atan2(0.11, -15.92) * 180 / M_PI, 0, 0 },
        { "2g-mn1/mn001-1a.dat", allRepeats(), "MN001-1A", 1, Treatment::Thermal, 100,
            MomentUnit::AmpereSquareMetre, 119.8, -55.4, 8.044e-09 },
    };
    for (const StepCase &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.specimen);
        const MeasurementSet set = readMeasurements(sharedMeasurements(c.path), c.options);
        const Specimen *specimen = findSpecimen(set, c.specimen);
        ASSERT_NE(specimen, nullptr);
        EXPECT_EQ(specimen->unit, c.unit);
        ASSERT_GT(specimen->steps.size(), c.step);
        const SpecimenStep &step = specimen->steps[c.step];
        EXPECT_EQ(step.treatment, c.treatment);
        EXPECT_DOUBLE_EQ(step.level, c.level);
        const Vector3 moment { step.x, step.y, step.z };
        EXPECT_NEAR(declinationOf(moment), std::fmod(c.declination + 360, 360), 0.06);
        if (c.intensity > 0) {
            EXPECT_NEAR(inclinationOf(moment), c.inclination, 0.06);
            EXPECT_NEAR(norm(moment) / c.intensity, 1, 1e-3);
        }
    }
    // The JR6 step above in full: X, Y, Z times ten to the exponent -1.
    const MeasurementSet jr6 = readMeasurements(sharedMeasurements("jr6-TRM/TRM.jr6"));
    const SpecimenStep &st210 = findSpecimen(jr6, "ST210")->steps.front();
    EXPECT_DOUBLE_EQ(st210.x, -1.592);
    EXPECT_DOUBLE_EQ(st210.y, 0.011);
    EXPECT_DOUBLE_EQ(st210.z, -0.422);
}

// The 2G files store each step's direction in all three frames: our geographic and
// tilt-corrected directions must match them from the header's orientation and bedding.
TEST(MeasurementReaderTest, TwoGOrientationAndBeddingGiveTheFilesOwnFrames)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    struct Frames
    {
        const char *file;
        double geographic[2];
        double tilt[2];
    };
    const Frames cases[] = {
        { "2g-mn1/mn001-1a.dat", { 165.2, -19.0 }, { 165.0, -12.1 } },
        { "2g-mn1/mn004-2b.dat", { 32.4, 44.2 }, { 27.6, 39.7 } },
    };
    for (const Frames &c : cases) {
        SCOPED_TRACE(c.file);
        const MeasurementSet set = readMeasurements(sharedMeasurements(c.file), allRepeats());
        const Specimen &specimen = set.specimens.at(0);
        const SpecimenStep &nrm = specimen.steps.at(0);
        const Vector3 geographic = stepMoment(specimen, nrm, CoordinateSystem::Geographic);
        const Vector3 tilt = stepMoment(specimen, nrm, CoordinateSystem::TiltCorrected);
        EXPECT_NEAR(declinationOf(geographic), c.geographic[0], 0.1);
        EXPECT_NEAR(inclinationOf(geographic), c.geographic[1], 0.1);
        EXPECT_NEAR(declinationOf(tilt), c.tilt[0], 0.1);
        EXPECT_NEAR(inclinationOf(tilt), c.tilt[1], 0.1);
        ASSERT_TRUE(specimen.volumeCubicMetres);
        EXPECT_DOUBLE_EQ(*specimen.volumeCubicMetres, 10e-6);
    }
}

// Repeats are found by treatment and level however the rows come: past the first 4,096 steps
// of a specimen met out of order, and an NRM apart from a thermal step at 0 degrees.
TEST(MeasurementReaderTest, RepeatsMergeByTreatmentAndLevelInAnyOrder)
{
    ReadSummary summary;
    SpecimenCollector collector(ReadOptions {}, summary);
    const auto row = [&](Treatment treatment, double level, double x) {
        RawStep step;
        step.treatment = treatment;
        step.level = level;
        step.x = x;
        step.z = 1;
        collector.add("s", step);
    };
    row(Treatment::Nrm, 0, 1);
    row(Treatment::Thermal, 0, 2);
    for (int level = 6000; level >= 1; --level)
        row(Treatment::Thermal, level / 4.0, 0);
    row(Treatment::Thermal, 6000 / 4.0, 4); // among the first, sorted steps
    row(Treatment::Thermal, 1 / 4.0, 6); // among the late ones
    row(Treatment::Thermal, 0, 4);
    const std::vector<Specimen> specimens = collector.finish();
    ASSERT_EQ(specimens.size(), 1u);
    const std::vector<SpecimenStep> &steps = specimens[0].steps;
    ASSERT_EQ(steps.size(), 6002u);
    EXPECT_EQ(summary.repeatsMerged, 3u);
    struct Merged
    {
        std::size_t index;
        std::uint32_t readings;
        double x;
    };
    for (const Merged &m : { Merged { 0, 1, 1 }, Merged { 1, 2, 3 }, Merged { 2, 2, 2 },
             Merged { 6001, 2, 3 }, Merged { 3000, 1, 0 } }) {
        SCOPED_TRACE(m.index);
        EXPECT_EQ(steps[m.index].readings, m.readings);
        EXPECT_DOUBLE_EQ(steps[m.index].x, m.x);
    }
}

// The CIT files read directly and their MagIC conversion read as a MagIC folder: the same
// specimens, samples, sites, steps, moments and orientations, in every frame.
TEST(MeasurementReaderTest, CitAgreesWithItsMagicTwin)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const MeasurementSet cit = readMeasurements(sharedMeasurements("cit-PI47/PI47-.sam"));
    const MeasurementSet magic = readMeasurements(sharedMeasurements("cit-PI47"));
    ASSERT_EQ(cit.specimens.size(), magic.specimens.size());
    for (std::size_t s = 0; s < cit.specimens.size(); ++s) {
        const Specimen &a = cit.specimens[s];
        const Specimen &b = magic.specimens[s];
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(b.sample, a.name.substr(0, a.name.size() - 1));
        // The CIT reading takes its names from the laboratory's tables beside the .sam file.
        EXPECT_EQ(a.sample, b.sample);
        EXPECT_EQ(a.site, b.site);
        ASSERT_EQ(a.steps.size(), b.steps.size());
        for (std::size_t i = 0; i < a.steps.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(a.steps[i].treatment, b.steps[i].treatment);
            EXPECT_DOUBLE_EQ(a.steps[i].level, b.steps[i].level);
            ASSERT_TRUE(a.steps[i].errorDegrees && b.steps[i].errorDegrees);
            EXPECT_NEAR(*a.steps[i].errorDegrees, *b.steps[i].errorDegrees, 1e-9);
            for (const CoordinateSystem system : { CoordinateSystem::Specimen,
                     CoordinateSystem::Geographic, CoordinateSystem::TiltCorrected }) {
                const Vector3 va = stepMoment(a, a.steps[i], system);
                const Vector3 vb = stepMoment(b, b.steps[i], system);
                EXPECT_LT(angleBetween(va, vb), 0.1);
                EXPECT_NEAR(norm(va) / norm(vb), 1, 1e-3);
            }
        }
    }
}

// A CIT specimen file opened alone is known by its lines and read as its one specimen: with the
// declination and site of the .sam file beside it that lists it, else without a declination.
TEST(MeasurementReaderTest, CitSpecimenFileOpenedAloneIsReadAsItsSpecimen)
{
    const std::string fixture = CIT_FIXTURE_DIR;
    const MeasurementSet site = readMeasurements(fixture + "/SM1-.sam");
    Fixtures::TemporaryFolder alone;
    std::filesystem::copy_file(fixture + "/SM1-2a", alone.path() / "SM1-2a");
    for (const bool besideItsSam : { true, false }) {
        SCOPED_TRACE(besideItsSam);
        const std::string path
            = besideItsSam ? fixture + "/SM1-2a" : (alone.path() / "SM1-2a").string();
        EXPECT_EQ(detectMeasurementFormat(path), MeasurementFormat::Cit);
        const MeasurementSet read = readMeasurements(path);
        ASSERT_EQ(read.specimens.size(), 1u);
        const Specimen &a = read.specimens[0];
        const Specimen &b = site.specimens[1];
        EXPECT_EQ(a.name, "SM1-2a");
        ASSERT_EQ(a.steps.size(), b.steps.size());
        EXPECT_EQ(a.steps.back().x, b.steps.back().x);
        ASSERT_TRUE(a.orientation && b.orientation);
        // The fixture's .sam adds a declination of 5 degrees.
        EXPECT_DOUBLE_EQ(a.orientation->azimuth, b.orientation->azimuth - (besideItsSam ? 0 : 5));
        EXPECT_EQ(a.site, besideItsSam ? b.site : std::string());
        EXPECT_EQ(read.summary.notes.size(), besideItsSam ? 0u : 1u);
    }
    // Text that only starts like one is not taken for it.
    Fixtures::writeText(alone.path() / "notes", "SM1- 2a\n 0 1 2 3 4\nNRM is measured first\n");
    EXPECT_THROW(detectMeasurementFormat((alone.path() / "notes").string()), MeasurementError);
}

} // namespace
} // namespace Demagora
