#include "measurements/formattable.h"

#include "measurements/measuredseries.h"
#include "measurements/measurementerror.h"
#include "measurements/measurementreader.h"
#include "measurements/measurementschedule.h"

#include "measurementfixtures.h"
#include "readerfixtures.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>

namespace Demagora {
namespace {

using Fixtures::TemporaryFolder;

constexpr const char *Jr6Lines
    = "ST1       NRM      -3.10  4.29 -6.47  -5  27  27   0   0   0   0 12 90 12  0   0\n"
      "ST1       T100     -2.10  3.29 -5.47  -5  27  27   0   0   0   0 12 90 12  0   0\n";

std::string upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A file of each format in a folder of its own: written by the format's writer where it has
// one, else made by hand (a CIT site copied from the fixtures, JR6 lines, a 2G file).
std::string sampleOf(const MeasurementFormatInfo &info, const TemporaryFolder &folder)
{
    const std::string name = "sample" + info.extensions.front();
    if (info.write) {
        MeasurementSettings settings;
        settings.schedule = parseSchedule("20,150,300");
        settings.prefix = "dm";
        const ResultSeries series = Fixtures::scatteredRun();
        std::ostringstream stream;
        info.write(stream, MeasuredSeries(series, settings));
        return folder.file(name, stream.str());
    }
    switch (info.format) {
    case MeasurementFormat::Cit:
        for (const char *file : { "SM1-1a", "SM1-2a", "SM1-3a" })
            folder.file(file, Fixtures::fileText(std::string(CIT_FIXTURE_DIR "/") + file));
        return folder.file(name, Fixtures::fileText(CIT_FIXTURE_DIR "/SM1-.sam"));
    case MeasurementFormat::Jr6:
        return folder.file(name, Jr6Lines);
    case MeasurementFormat::TwoG:
        return folder.file(name,
            Fixtures::twoGFile("S1", "Apr 23 2006",
                { { "NRM", 1e-3, 2e-3, 3e-3 }, { "100C", 1e-3, 1e-3, 1e-3 } }));
    default:
        ADD_FAILURE() << info.name << " has neither a writer nor a sample made by hand";
        return {};
    }
}

TEST(FormatTableTest, EveryFormatIsDetectedFromItsOwnSampleReadByItsNameAndInTheFilter)
{
    // The patterns of the filter's first entry, "Measurement files (*.txt *.TXT ...)".
    const std::string filter = measurementFileFilter();
    std::set<std::string> patterns;
    std::istringstream words(filter.substr(0, filter.find(')')).substr(filter.find('(') + 1));
    for (std::string word; words >> word;)
        patterns.insert(word);
    EXPECT_TRUE(filter.ends_with(");;All files (*)")) << filter;
    for (const MeasurementFormatInfo &info : measurementFormats()) {
        SCOPED_TRACE(info.name);
        const TemporaryFolder folder;
        const std::string path = sampleOf(info, folder);
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(detectMeasurementFormat(path), info.format);
        ReadOptions options;
        options.format = measurementFormatFromName(info.name);
        ASSERT_EQ(options.format, info.format);
        const MeasurementSet set = readMeasurements(path, options);
        EXPECT_EQ(set.summary.format, info.format);
        EXPECT_FALSE(set.specimens.empty());
        for (const std::string &extension : info.extensions)
            for (const std::string &pattern : { "*" + extension, "*" + upper(extension) })
                EXPECT_TRUE(patterns.contains(pattern)) << pattern << " in " << filter;
    }
}

TEST(FormatTableTest, ContentDecidesBeforeTheNameAndNamesBeforeAQuote)
{
    const std::string twoG = Fixtures::twoGFile(
        "S1", "Apr 23 2006", { { "NRM", 1e-3, 2e-3, 3e-3 }, { "100C", 1e-3, 1e-3, 1e-3 } });
    const struct
    {
        const char *name;
        std::string bytes;
        MeasurementFormat expected;
    } cases[] = {
        { "table.ppl", "tab\tmeasurements\nspecimen\n", MeasurementFormat::Magic },
        { "table.dat", "tab delimited\tmagic_measurements\nspecimen\n", MeasurementFormat::Magic },
        { "steps.txt", "PuffinPlot file. Version 3\n", MeasurementFormat::PuffinPlot },
        { "binary.jr6", twoG, MeasurementFormat::TwoG },
        { "binary.sam", twoG, MeasurementFormat::TwoG },
        { "lab.sam", Jr6Lines, MeasurementFormat::Cit },
        { "LAB.SAM", "site\n", MeasurementFormat::Cit },
        { "steps.dat", Jr6Lines, MeasurementFormat::Jr6 },
        { "steps.txt", Jr6Lines, MeasurementFormat::Jr6 },
        { "quoted.jr6", "\"comment\"\n", MeasurementFormat::Jr6 },
        { "quoted.txt", "\"comment\"\n", MeasurementFormat::Utrecht },
        { "RUN.AF", "comment\n", MeasurementFormat::Utrecht },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TemporaryFolder folder;
        EXPECT_EQ(detectMeasurementFormat(folder.file(c.name, c.bytes)), c.expected);
    }
}

TEST(FormatTableTest, AFolderIsMagicsWhereItHoldsAMeasurementsTableElseTwoGs)
{
    const TemporaryFolder folder;
    folder.file("S1.DAT", "");
    EXPECT_EQ(detectMeasurementFormat(folder.path().string()), MeasurementFormat::TwoG);
    folder.file("magic_measurements.txt", "");
    EXPECT_EQ(detectMeasurementFormat(folder.path().string()), MeasurementFormat::Magic);
}

TEST(FormatTableTest, TextDatFileIsNoTwoGFile)
{
    const TemporaryFolder folder;
    const std::string path = folder.file("notes.dat", "a plain text file\n");
    try {
        detectMeasurementFormat(path);
        FAIL() << "a text .dat file was taken for a 2G file";
    } catch (const MeasurementError &error) {
        EXPECT_EQ(std::string(error.what()),
            path
                + ": the format is not known; expected a MagIC table, a CIT .sam file, a JR6 "
                  "file, a 2G .dat file, a PuffinPlot file or a Utrecht file.");
    }
}

} // namespace
} // namespace Demagora
