#include "analysis/interpretationfiles.h"

#include "analysis/analysiserror.h"
#include "measurements/measurementreader.h"
#include "measurements/specimencoordinates.h"
#include "measurements/magicmeasurements.h"
#include "support/sharedmeasurements.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace Demagora {
namespace {

// A thermal specimen: the NRM and steps at 100 .. 500 degrees along a bent path.
Specimen specimen(const std::string &name, const std::string &site, bool oriented)
{
    Specimen s;
    s.name = name;
    s.site = site;
    const double moments[][3] = { { 5, 1, 3 }, { 4, 1.2, 2.4 }, { 3.1, 0.9, 1.9 }, { 2, 0.7, 1.1 },
        { 1.2, 0.2, 0.8 }, { 0.2, 0.1, 0.05 } };
    for (int i = 0; i < 6; ++i) {
        s.steps.push_back({ i == 0 ? Treatment::Nrm : Treatment::Thermal, 100.0 * i, moments[i][0],
            moments[i][1], moments[i][2], {} });
    }
    if (oriented) {
        s.orientation = SpecimenOrientation { 30, 20 };
        s.bedding = Bedding { 120, 15 };
    }
    return s;
}

TEST(InterpretationFilesTest, FitInAnotherFrameTurnsWithTheSteps)
{
    const Specimen oriented = specimen("a", "s", true);
    const InterpretedComponent component { "C1", FitType::Free, { 1, 2, 3, 4 },
        CoordinateSystem::Specimen, {} };
    const ComponentFit own = fitIn(oriented, component, CoordinateSystem::Specimen);
    const ComponentFit geographic = fitIn(oriented, component, CoordinateSystem::Geographic);
    ASSERT_TRUE(own.fit && geographic.fit);
    const Vector3 turned
        = specimenToGeographic({ own.fit->direction.x, own.fit->direction.y, own.fit->direction.z },
            *oriented.orientation);
    EXPECT_NEAR(geographic.fit->direction.x, turned.x, 1e-12);
    EXPECT_NEAR(geographic.fit->direction.y, turned.y, 1e-12);
    EXPECT_NEAR(geographic.fit->direction.z, turned.z, 1e-12);
    EXPECT_NEAR(geographic.fit->mad, own.fit->mad, 1e-9);
    EXPECT_NE(fitIn(oriented, component, CoordinateSystem::TiltCorrected).fit->angles.inclination,
        geographic.fit->angles.inclination);

    const Specimen loose = specimen("b", "s", false);
    EXPECT_EQ(shownCoordinates(loose, CoordinateSystem::TiltCorrected), CoordinateSystem::Specimen);
    EXPECT_EQ(shownCoordinates(oriented, CoordinateSystem::TiltCorrected), CoordinateSystem::TiltCorrected);
    const ComponentFit none = fitIn(loose, component, CoordinateSystem::Geographic);
    EXPECT_FALSE(none.fit);
    EXPECT_EQ(none.refusal, "no orientation for geographic coordinates");
}

TEST(InterpretationFilesTest, SiteMeansGroupByNameAndLeaveOutWhatCannotBeFitted)
{
    MeasurementSet set;
    set.specimens = { specimen("a", "S1", true), specimen("b", "S1", true),
        specimen("c", "S1", false), specimen("d", "", true) };
    Interpretations interpretations = emptyInterpretations(set);
    const InterpretedComponent high { "HT", FitType::Free, { 2, 3, 4 }, CoordinateSystem::Geographic,
        {} };
    const InterpretedComponent circle { "HT", FitType::Plane, { 1, 2, 3, 4, 5 },
        CoordinateSystem::Geographic, {} };
    const InterpretedComponent low { "LT", FitType::Anchored, { 0, 1 }, CoordinateSystem::Geographic,
        {} };
    interpretations[0].components = { low, high };
    interpretations[1].components = { circle };
    interpretations[2].components = { high }; // no orientation: left out in geographic
    interpretations[3].components = { high };
    const std::vector<SiteResult> summaries
        = siteSummaries(set, interpretations, CoordinateSystem::Geographic, "lab.jr6");
    ASSERT_EQ(summaries.size(), 3u);
    const struct
    {
        const char *site, *component;
        int lines, planes, leftOut;
    } expected[] = { { "S1", "LT", 1, 0, 0 }, { "S1", "HT", 1, 1, 1 }, { "lab.jr6", "HT", 1, 0, 0 } };
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(summaries[i].site, expected[i].site);
        EXPECT_EQ(summaries[i].component, expected[i].component);
        ASSERT_TRUE(summaries[i].mean);
        EXPECT_EQ(summaries[i].mean->lines, expected[i].lines);
        EXPECT_EQ(summaries[i].mean->planes, expected[i].planes);
        EXPECT_EQ(summaries[i].leftOut, expected[i].leftOut);
    }
    // In specimen coordinates the unoriented specimen counts.
    EXPECT_EQ(siteSummaries(set, interpretations, CoordinateSystem::Specimen, "lab.jr6")[1].mean->lines, 2);
}

TEST(InterpretationFilesTest, OpenedRowsFindTheirStepsAndSayWhatDoesNotMatch)
{
    MeasurementSet set;
    set.specimens = { specimen("a", "S1", true), specimen("b", "S1", true) };
    Interpretations current = emptyInterpretations(set);
    current[1].components = { { "kept", FitType::Free, { 1, 2 }, CoordinateSystem::Specimen, {} } };
    current[0].components = { { "gone", FitType::Free, { 1, 2 }, CoordinateSystem::Specimen, {} } };

    SavedInterpretation row;
    row.specimen = "a";
    row.component = "HT";
    row.type = FitType::Origin;
    row.coordinates = CoordinateSystem::TiltCorrected;
    row.from = 99.85; // 373 K written by a table counting 273.15
    row.to = 300;
    row.n = 3;
    SavedInterpretation gap = row;
    gap.component = "";
    gap.from = 0;
    gap.to = 400;
    gap.n = 3;
    SavedInterpretation stranger = row;
    stranger.specimen = "z";
    const std::vector<SavedInterpretation> rows { row, gap, stranger, stranger };

    const OpenedInterpretations opened
        = interpretationsFromRows(set, rows, current, CoordinateSystem::TiltCorrected);
    EXPECT_EQ(opened.components, 2);
    EXPECT_EQ(opened.specimens, 1);
    EXPECT_EQ(opened.unknownSpecimens, std::vector<std::string> { "z" });
    ASSERT_EQ(opened.interpretations[0].components.size(), 2u);
    const InterpretedComponent &first = opened.interpretations[0].components[0];
    EXPECT_EQ(first.name, "HT");
    EXPECT_EQ(first.type, FitType::Origin);
    EXPECT_EQ(first.coordinates, CoordinateSystem::TiltCorrected);
    EXPECT_EQ(first.steps, (std::vector<int> { 1, 2, 3 }));
    EXPECT_EQ(opened.interpretations[0].components[1].name, "C2");
    EXPECT_EQ(opened.notes,
        std::vector<std::string> { "a C2: the table counts 3 steps, 5 lie from 0 to 400 \u00B0C" });
    // A specimen the table does not name keeps what it had.
    EXPECT_EQ(opened.interpretations[1].components.front().name, "kept");
}

class InterpretationFilesFolderTest : public Testing::TemporaryFolderTest
{ };

// The steps marked bad go out as a MagIC measurements table and come back to the specimens of
// the set, whatever was marked meanwhile: a step at a level measured twice is matched with its
// own row, and a component opened over a bad step leaves it.
TEST_F(InterpretationFilesFolderTest, BadStepsSavedBesideTheTableComeBackToTheirSpecimens)
{
    MeasurementSet set;
    set.specimens = { specimen("a", "S1", true), specimen("b", "S1", false) };
    // b measured 200 degrees twice, both kept.
    set.specimens[1].steps.insert(set.specimens[1].steps.begin() + 3, set.specimens[1].steps[2]);
    set.specimens[1].steps[3].x = 2.5;
    // b measured as a magnetization, a beside it as a moment: each keeps its unit.
    set.specimens[1].unit = MomentUnit::AmperePerMetre;
    Interpretations marked = emptyInterpretations(set);
    marked[0].badSteps = { 2 };
    marked[1].badSteps = { 3 };
    const std::string table = path("demagora-measurements.txt");
    {
        std::ofstream out(table);
        writeMagicMeasurements(out, specimensMarkedBad(set, marked));
    }
    ReadOptions options;
    options.keepFlaggedBad = true;
    options.repeats = RepeatRule::All;
    const MeasurementSet saved = readMeasurements(table, options);
    ASSERT_EQ(saved.specimens.size(), 2u);
    // A specimen of no known sample is its own, as in the specimens table.
    EXPECT_EQ(saved.specimens[0].sample, "a");
    EXPECT_EQ(saved.specimens[0].unit, MomentUnit::AmpereSquareMetre);
    EXPECT_EQ(saved.specimens[1].unit, MomentUnit::AmperePerMetre);
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(saved.specimens[i].steps.size(), set.specimens[i].steps.size());
        for (std::size_t s = 0; s < set.specimens[i].steps.size(); ++s) {
            SCOPED_TRACE(s);
            const SpecimenStep &back = saved.specimens[i].steps[s];
            const SpecimenStep &step = set.specimens[i].steps[s];
            EXPECT_EQ(back.treatment, step.treatment);
            EXPECT_NEAR(back.level, step.level, 1e-9);
            EXPECT_NEAR(back.x, step.x, 1e-8);
            EXPECT_NEAR(back.y, step.y, 1e-8);
            EXPECT_NEAR(back.z, step.z, 1e-8);
        }
    }

    Interpretations opened = emptyInterpretations(set);
    opened[0].components
        = { { "HT", FitType::Free, { 1, 2, 3, 4 }, CoordinateSystem::Specimen, {} } };
    opened[1].badSteps = { 1 };
    EXPECT_TRUE(withSavedBadSteps(set, saved, opened).empty());
    EXPECT_EQ(opened[0].badSteps, std::vector<int> { 2 });
    EXPECT_EQ(opened[0].components[0].steps, (std::vector<int> { 1, 3, 4 }));
    EXPECT_EQ(opened[1].badSteps, std::vector<int> { 3 });

    // A table of fits read over them leaves the bad step out of the range it names, and a fit
    // that skips only the bad step is not said to skip steps.
    SavedInterpretation row;
    row.specimen = "a";
    row.component = "HT";
    row.coordinates = CoordinateSystem::Specimen;
    row.from = 100;
    row.to = 400;
    row.n = 3;
    const OpenedInterpretations fits = interpretationsFromRows(
        set, std::vector<SavedInterpretation> { row }, opened, CoordinateSystem::Specimen);
    EXPECT_EQ(fits.interpretations[0].components[0].steps, (std::vector<int> { 1, 3, 4 }));
    EXPECT_TRUE(fits.notes.empty());
    EXPECT_TRUE(fitsSkippingSteps(set, fits.interpretations).empty());
}

TEST(InterpretationFilesTest, MeasurementsTableStandsBesideTheSpecimensTable)
{
    const std::pair<const char *, const char *> cases[] = {
        { "/d/demagora-specimens.txt", "/d/demagora-measurements.txt" },
        { "/d/specimens.txt", "/d/measurements.txt" },
        { "/specimens/fits.txt", "/specimens/fits-measurements.txt" },
        { "/d.x/fits", "/d.x/fits-measurements" },
        { "fits.txt", "fits-measurements.txt" },
    };
    for (const auto &[table, beside] : cases)
        EXPECT_EQ(measurementsTableBeside(table), beside) << table;
}

TEST(InterpretationFilesTest, SavingRefusesThermalAndAfStepsInOneFit)
{
    MeasurementSet set;
    set.specimens = { specimen("a", "S1", true) };
    set.specimens[0].steps[3].treatment = Treatment::AlternatingField;
    Interpretations interpretations = emptyInterpretations(set);
    interpretations[0].components
        = { { "HT", FitType::Free, { 2, 3, 4 }, CoordinateSystem::Specimen, {} } };
    try {
        savedInterpretations(set, interpretations);
        FAIL() << "saved thermal and AF steps as one fit";
    } catch (const AnalysisError &error) {
        EXPECT_STREQ(error.what(),
            "a HT takes thermal and AF steps together; a fit of the specimens table holds steps "
            "of one demagnetization");
    }
    interpretations[0].components[0].steps = { 0, 1, 2 };
    const std::vector<SavedInterpretation> rows = savedInterpretations(set, interpretations);
    // Written as analysis programs write a fit: once in every frame the specimen has.
    ASSERT_EQ(rows.size(), 3u);
    const CoordinateSystem frames[]
        = { CoordinateSystem::Specimen, CoordinateSystem::Geographic, CoordinateSystem::TiltCorrected };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].coordinates, frames[i]);
        EXPECT_EQ(rows[i].sample, "a");
        EXPECT_EQ(rows[i].to, 200);
    }
    EXPECT_NE(rows[0].direction.declination, rows[1].direction.declination);
    // Without an orientation, only the specimen's own frame.
    set.specimens[0].orientation.reset();
    EXPECT_EQ(savedInterpretations(set, interpretations).size(), 1u);
}

// AF fits go to the table in tesla (MagIC's unit) and come back in mT over the same steps; a
// reading for thermal fits passes them over.
TEST(InterpretationFilesTest, AfFitsAreSavedInTeslaAndReadBackInMillitesla)
{
    MeasurementSet set;
    set.specimens = { specimen("a", "S1", false) };
    const double fields[] = { 0, 2.5, 5, 10, 20, 40 };
    for (std::size_t i = 1; i < set.specimens[0].steps.size(); ++i) {
        set.specimens[0].steps[i].treatment = Treatment::AlternatingField;
        set.specimens[0].steps[i].level = fields[i];
    }
    Interpretations interpretations = emptyInterpretations(set);
    interpretations[0].components
        = { { "LC", FitType::Free, { 1, 2, 3, 4 }, CoordinateSystem::Specimen, {} } };
    const std::vector<SavedInterpretation> rows = savedInterpretations(set, interpretations);
    std::ostringstream out;
    writeMagicSpecimens(out, rows);
    EXPECT_NE(out.str().find("\t0.0025\t0.02\tT\tLP-DIR-AF:DE-BFL\t"), std::string::npos)
        << out.str();

    std::istringstream thermal(out.str());
    const MagicSpecimensFits asThermal = readMagicSpecimens(thermal, "t.txt");
    EXPECT_TRUE(asThermal.fits.empty());
    EXPECT_EQ(asThermal.otherTreatments, 1);
    std::istringstream af(out.str());
    const MagicSpecimensFits read = readMagicSpecimens(af, "t.txt", DemagKind::AlternatingField);
    ASSERT_EQ(read.fits.size(), 1u);
    EXPECT_DOUBLE_EQ(read.fits[0].from, 2.5);
    EXPECT_DOUBLE_EQ(read.fits[0].to, 20);
    const OpenedInterpretations opened = interpretationsFromRows(
        set, read.fits, emptyInterpretations(set), CoordinateSystem::Specimen);
    ASSERT_EQ(opened.components, 1);
    EXPECT_EQ(opened.interpretations[0].components[0].steps, (std::vector<int> { 1, 2, 3, 4 }));
    EXPECT_TRUE(opened.notes.empty());
}

} // namespace
} // namespace Demagora

namespace Demagora {
namespace {

// The window's site table and the batch's site means are one computation: on every shared
// file, a line and a circle over each specimen's steps give the same sites, members and means.
TEST(InterpretationFilesTest, WindowAndBatchGiveTheSameSiteMeansOnEverySharedFile)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    for (const char *file : { "cit-PI47/PI47-.sam", "cit-PI47", "jr6-TRM/TRM.jr6",
             "2g-mn1/mn001-1a.dat", "magic-dmag", "magic-zeq/measurements.txt" }) {
        SCOPED_TRACE(file);
        const std::string path = std::string(DEMAGORA_MEASUREMENTS_DIR) + "/" + file;
        const MeasurementSet set = readMeasurements(path);
        Interpretations interpretations = emptyInterpretations(set);
        std::vector<InterpretationRequest> requests;
        for (std::size_t i = 0; i < set.specimens.size(); ++i) {
            const Specimen &specimen = set.specimens[i];
            std::vector<int> all(specimen.steps.size());
            for (std::size_t s = 0; s < all.size(); ++s)
                all[s] = int(s);
            interpretations[i].components
                = { { "ALL", FitType::Free, all, CoordinateSystem::Specimen, {} },
                      { "GC", FitType::Plane, all, CoordinateSystem::Specimen, {} } };
            const std::vector<FitStep> steps = thermalSteps(specimen);
            const auto [low, high] = std::minmax_element(steps.begin(), steps.end(),
                [](const FitStep &a, const FitStep &b) { return a.temperature < b.temperature; });
            for (const auto &[component, type] :
                { std::pair { "ALL", FitType::Free }, std::pair { "GC", FitType::Plane } })
                requests.push_back(
                    { specimen.name, type, low->temperature, high->temperature, component, 0, 0 });
        }
        const std::string name = measurementsName(path);
        const std::vector<SiteResult> window
            = siteSummaries(set, interpretations, CoordinateSystem::Specimen, name);
        const std::vector<SiteResult> batch
            = siteMeans(fitInterpretations(requests, namedSteps(set.specimens, name), path));
        ASSERT_EQ(window.size(), batch.size());
        ASSERT_FALSE(window.empty());
        for (std::size_t i = 0; i < window.size(); ++i) {
            SCOPED_TRACE(window[i].site + " " + window[i].component);
            EXPECT_EQ(window[i].site, batch[i].site);
            EXPECT_EQ(window[i].component, batch[i].component);
            EXPECT_EQ(window[i].leftOut, batch[i].leftOut);
            ASSERT_EQ(window[i].mean.has_value(), batch[i].mean.has_value());
            if (!window[i].mean)
                continue;
            EXPECT_EQ(window[i].mean->lines, batch[i].mean->lines);
            EXPECT_EQ(window[i].mean->planes, batch[i].mean->planes);
            ASSERT_EQ(window[i].mean->mean.has_value(), batch[i].mean->mean.has_value());
            if (window[i].mean->mean) {
                EXPECT_NEAR(window[i].mean->mean->declination, batch[i].mean->mean->declination, 1e-9);
                EXPECT_NEAR(window[i].mean->mean->inclination, batch[i].mean->mean->inclination, 1e-9);
            }
        }
    }
}

} // namespace
} // namespace Demagora
