#include "measurements/measurementreader.h"
#include "measurements/readertext.h"
#include "measurements/specimencoordinates.h"

#include "readerfixtures.h"
#include "support/sharedmeasurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace Demagora {
namespace {

using Fixtures::fileText;
using Fixtures::findSpecimen;
using Fixtures::sharedMeasurements;

// One block of AGICO's printed layout (TRM.txt): the mean moment and the geographic direction.
struct PrintedStep
{
    std::string specimen;
    double x, y, z;
    double geographicDeclination, geographicInclination;
    double azimuth, dip;
};

// Read here with plain string handling, apart from the readers under test.
std::vector<PrintedStep> printedSteps(const std::string &text)
{
    std::vector<PrintedStep> steps;
    std::istringstream stream(text);
    PrintedStep step {};
    double scale = 1;
    for (std::string line; std::getline(stream, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (line.find(" / ") != std::string::npos) {
            step = {};
            step.specimen = line.substr(0, line.find(" / "));
            scale = 1;
        } else if (first.starts_with("E") && line.find("M(x)") != std::string::npos) {
            scale = first.size() > 1 ? std::pow(10.0, std::stod(first.substr(1))) : 1;
        } else if (first == "SPEC.ANGLES") {
            words >> step.azimuth >> step.dip;
        } else if (first == "MEAN") {
            words >> step.x >> step.y >> step.z;
            step.x *= scale;
            step.y *= scale;
            step.z *= scale;
        } else if (first == "GEOGR.S.") {
            words >> step.geographicDeclination >> step.geographicInclination;
            steps.push_back(step);
        }
    }
    return steps;
}

// Every JR6 row against AGICO's own printout of the same measurements: the moment exactly, the
// geographic direction to the printout's whole degrees (its directions come from the unrounded
// readings, hence a little more than half a degree), where the printout used the same angles.
TEST(MeasurementTwinTest, Jr6AgreesWithItsPrintedTwin)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    ReadOptions options;
    options.repeats = RepeatRule::All;
    const MeasurementSet set = readMeasurements(sharedMeasurements("jr6-TRM/TRM.jr6"), options);
    const std::vector<PrintedStep> printed
        = printedSteps(fileText(sharedMeasurements("jr6-TRM/TRM.txt")));
    ASSERT_EQ(printed.size(), 501u);
    std::map<std::string, std::size_t> next;
    // One printout predates a corrected dip in the JR6 file (ST34 at T25).
    std::size_t corrected = 0;
    for (const PrintedStep &p : printed) {
        SCOPED_TRACE(p.specimen);
        const Specimen *specimen = findSpecimen(set, p.specimen);
        ASSERT_NE(specimen, nullptr);
        const SpecimenStep &step = specimen->steps.at(next[p.specimen]++);
        EXPECT_NEAR(step.x, p.x, 1e-12);
        EXPECT_NEAR(step.y, p.y, 1e-12);
        EXPECT_NEAR(step.z, p.z, 1e-12);
        ASSERT_TRUE(specimen->orientation);
        if (p.azimuth != specimen->orientation->azimuth
            || p.dip != specimen->orientation->dip + 90) {
            ++corrected;
            continue;
        }
        const Vector3 geographic = stepMoment(*specimen, step, CoordinateSystem::Geographic);
        const double inclination = inclinationOf(geographic);
        EXPECT_NEAR(std::remainder(declinationOf(geographic) - p.geographicDeclination, 360), 0,
            0.6 / std::cos(inclination * M_PI / 180));
        EXPECT_NEAR(inclination, p.geographicInclination, 0.6);
    }
    EXPECT_EQ(corrected, 1u);
}

std::map<std::string, std::map<std::string, std::string>> magicRows(const std::string &path)
{
    const TextLines lines = measurementLines(path, fileText(path));
    std::vector<std::string> header;
    for (std::string_view name : splitTabs(lines.line(1)))
        header.emplace_back(name);
    std::map<std::string, std::map<std::string, std::string>> rows;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::string_view> fields = splitTabs(lines.line(i));
        std::map<std::string, std::string> row;
        for (std::size_t f = 0; f < fields.size() && f < header.size(); ++f)
            row[header[f]] = std::string(fields[f]);
        rows[std::string(fields[0])] = row;
    }
    return rows;
}

// The MagIC samples written from the JR6 file: where a sample has one specimen, its azimuth and
// dip turn the specimen's steps to the same geographic directions as the JR6 reader does.
TEST(MeasurementTwinTest, Jr6OrientationAgreesWithItsMagicSamples)
{
    SKIP_WITHOUT_SHARED_MEASUREMENTS();
    const MeasurementSet set = readMeasurements(sharedMeasurements("jr6-TRM/TRM.jr6"));
    const auto specimens = magicRows(sharedMeasurements("jr6-TRM/TRM_specimens.txt"));
    const auto samples = magicRows(sharedMeasurements("jr6-TRM/TRM_samples.txt"));
    std::map<std::string, std::vector<std::string>> bySample;
    for (const auto &[name, row] : specimens)
        bySample[row.at("sample")].push_back(name);
    std::size_t compared = 0;
    for (const auto &[sample, row] : samples) {
        if (bySample[sample].size() != 1)
            continue;
        SCOPED_TRACE(sample);
        const Specimen *specimen = findSpecimen(set, bySample[sample].front());
        ASSERT_NE(specimen, nullptr);
        Specimen twin = *specimen;
        twin.orientation
            = SpecimenOrientation { std::stod(row.at("azimuth")), std::stod(row.at("dip")) };
        for (const SpecimenStep &step : specimen->steps) {
            const Vector3 ours = stepMoment(*specimen, step, CoordinateSystem::Geographic);
            const Vector3 theirs = stepMoment(twin, step, CoordinateSystem::Geographic);
            EXPECT_NEAR(declinationOf(ours), declinationOf(theirs), 0.1);
            EXPECT_NEAR(inclinationOf(ours), inclinationOf(theirs), 0.1);
            EXPECT_NEAR(norm(ours) / norm(theirs), 1, 1e-3);
        }
        ++compared;
    }
    EXPECT_GE(compared, 5u);
}

} // namespace
} // namespace Demagora
