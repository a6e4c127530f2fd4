#include "measurements/magictables.h"
#include "measurements/measurementreader.h"
#include "measurements/puffinplotfile.h"
#include "measurements/utrechtfile.h"

#include "measurementfixtures.h"
#include "readerfixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

namespace Demagora {
namespace {

using Fixtures::TemporaryFolder;

struct Export
{
    const char *name;
    std::function<void(const TemporaryFolder &, const MeasuredSeries &)> write;
    // The read moment per A/m of the written magnetization.
    double scale;
    // The largest error relative to the intensity the written digits allow.
    double tolerance;
};

void writeTo(const std::filesystem::path &path, const std::function<void(std::ostream &)> &write)
{
    std::ofstream stream(path, std::ios::binary);
    write(stream);
}

// Everything we export reads back through our own readers to the measured vectors.
TEST(MeasurementRoundTripTest, ExportsReadBackToTheMeasuredVectors)
{
    const ResultSeries series = Fixtures::scatteredRun();
    MeasurementSettings settings;
    settings.schedule = parseSchedule("20,150,300,451,700");
    settings.volumeCm3 = 8;
    settings.prefix = "dm";
    settings.noiseAPerM = 1e-5;
    settings.noiseSeed = 3;
    const MeasuredSeries measured(series, settings);
    const double cubicMetres = settings.volumeCm3 * 1e-6;
    const Export exports[] = {
        { "demo.ppl",
            [](const TemporaryFolder &f, const MeasuredSeries &m) {
                writeTo(f.path() / "demo.ppl", [&](std::ostream &s) { writePuffinPlotFile(s, m); });
            },
            1, 1e-9 },
        { "demo.TH",
            [](const TemporaryFolder &f, const MeasuredSeries &m) {
                writeTo(f.path() / "demo.TH", [&](std::ostream &s) { writeUtrechtFile(s, m); });
            },
            cubicMetres, 1e-9 },
        { "",
            [](const TemporaryFolder &f, const MeasuredSeries &m) {
                for (const MagicTable table : MagicTables)
                    writeTo(f.path() / (magicTableName(table) + ".txt"),
                        [&](std::ostream &s) { writeMagicTable(s, m, table); });
            },
            cubicMetres, 1e-9 },
        { "combined.txt",
            [](const TemporaryFolder &f, const MeasuredSeries &m) {
                writeTo(f.path() / "combined.txt",
                    [&](std::ostream &s) { writeMagicContribution(s, m); });
            },
            cubicMetres, 1e-9 },
    };
    for (const Export &e : exports) {
        SCOPED_TRACE(e.name);
        TemporaryFolder folder;
        e.write(folder, measured);
        const MeasurementSet set = readMeasurements((folder.path() / e.name).string());
        ASSERT_EQ(set.specimens.size(), measured.specimenCount());
        for (std::size_t member = 0; member < measured.specimenCount(); ++member) {
            const Specimen &specimen = set.specimens[member];
            const std::vector<MeasuredStep> steps = measured.specimen(member);
            EXPECT_EQ(specimen.name, measured.specimenName(member));
            ASSERT_EQ(specimen.steps.size(), steps.size());
            for (std::size_t i = 0; i < steps.size(); ++i) {
                const SpecimenStep &read = specimen.steps[i];
                EXPECT_EQ(read.treatment, i == 0 ? Treatment::Nrm : Treatment::Thermal);
                EXPECT_EQ(read.level, i == 0 ? 0 : steps[i].temperature);
                const double size = steps[i].intensity() * e.scale;
                EXPECT_NEAR(read.x, steps[i].x * e.scale, size * e.tolerance);
                EXPECT_NEAR(read.y, steps[i].y * e.scale, size * e.tolerance);
                EXPECT_NEAR(read.z, steps[i].z * e.scale, size * e.tolerance);
            }
        }
    }
}

} // namespace
} // namespace Demagora
