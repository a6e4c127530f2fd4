#include "batch/pngoutput.h"

#include "batch/batchcommand.h"
#include "batch/batcherror.h"
#include "batch/batchoptions.h"
#include "files/outputfiles.h"
#include "model/run.h"
#include "support/componentfixtures.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace Demagora {
namespace {

using Testing::component;

// The worked example of the diagram window: A north, Gauss, 100 to 200; B east, rectangular,
// 150 to 250.
BatchRun workedExample()
{
    BatchRun run;
    run.populations = { { component(0, 0, 10, 100, 200, SpectrumShape::Gauss) },
        { component(90, 0, 5, 150, 250, SpectrumShape::Rectangular) } };
    run.range = { 100, 250, 150 };
    RunDemagnetization(150, 100, 250, run.series, run.populations);
    return run;
}

bool near(const QImage &image, int x, int y, QColor colour)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (image.pixelColor(x + dx, y + dy) == colour)
                return true;
        }
    }
    return false;
}

void savePicture(const PictureRequest &request, const BatchRun &run)
{
    writeOutputFile(request.path, "the picture",
        [&](std::ostream &stream) { writePicture(stream, request, run); });
}

TEST(PictureOutputTest, PngShowsThePanelsAtTheirWindowPlaces)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("run.png")).toStdString();
    savePicture({ path, 700, std::nullopt }, workedExample());
    const QImage image(QString::fromStdString(path), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(700, 724));
    EXPECT_TRUE(near(image, 262, 24 + 282, QColor(0, 0, 255))) << "vector diagram, step 0";
    EXPECT_TRUE(near(image, 320 + 190, 24 + 240, QColor(0, 0, 0))) << "box of B";
    EXPECT_EQ(image.pixelColor(282, 354 + 58), QColor(255, 0, 0)) << "stereogram, step 0";
    EXPECT_EQ(image.pixelColor(307, 354 + 99), QColor(255, 0, 0)) << "stereogram, step 50";
}

TEST(PictureOutputTest, WidthAndLabelsShapeThePicture)
{
    QTemporaryDir folder;
    const std::string plain = folder.filePath(QStringLiteral("plain.png")).toStdString();
    const std::string labelled = folder.filePath(QStringLiteral("labels.png")).toStdString();
    const BatchRun run = workedExample();
    savePicture({ plain, 370, std::nullopt }, run);
    savePicture({ labelled, 370, 50 }, run);
    const QImage a(QString::fromStdString(plain));
    const QImage b(QString::fromStdString(labelled));
    EXPECT_EQ(a.size(), QSize(370, 394));
    EXPECT_EQ(b.size(), QSize(370, 394));
    EXPECT_NE(a, b);
}

TEST(PictureOutputTest, SvgKeepsTextsAsText)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("run.Svg")).toStdString();
    savePicture({ path, 700, 50 }, workedExample());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains(">250<")) << "the spectrum's label of 250 degrees";
}

TEST(PictureOutputTest, UnwritableFileIsRefusedWithTheSystemsReason)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("missing/run.png")).toStdString();
    try {
        savePicture({ path, 700, std::nullopt }, workedExample());
        FAIL() << "no error";
    } catch (const OutputError &error) {
        EXPECT_STREQ(error.what(),
            ("cannot write the picture to " + path + ": No such file or directory").c_str());
    }
}

// The drawing of every curve keeps what its points draw, more the wider the picture: beyond
// the width that keeps a run's picture within memory it is refused before the run.
TEST(PictureOutputTest, WidthIsBoundedByThePointsDrawn)
{
    const struct
    {
        std::uint64_t points;
        int widest;
    } widths[] = { { 0, 8000 }, { 1, 8000 }, { 12'500'000, 8000 }, { 12'500'001, 7999 },
        { 50'000'000, 4000 }, { 50'000'001, 3999 }, { 200'000'000, 2000 } };
    for (const auto &w : widths) {
        SCOPED_TRACE(w.points);
        EXPECT_EQ(maxPictureWidth(w.points), w.widest);
    }

    PictureRequest request("run.png", 4000, std::nullopt);
    EXPECT_NO_THROW(checkPictureWidth(request, 50'000'000, 100'000));
    request.width = 4001;
    try {
        checkPictureWidth(request, 50'000'000, 100'000);
        FAIL() << "no error";
    } catch (const BatchError &error) {
        EXPECT_STREQ(error.what(),
            "--width: 4001 pixels is too wide for a picture of 50000000 result points, whose "
            "drawing would need more memory than a run may take; at most 4000 pixels (or "
            "--single N to draw one resulting vector)");
    }
    // One resulting vector draws the steps of one member.
    request.width = 8000;
    request.singleVector = 99'999;
    EXPECT_NO_THROW(checkPictureWidth(request, 50'000'000, 100'000));
    EXPECT_THROW(checkPictureWidth(request, 50'000'000'000'000, 1'000), BatchError);
}

TEST(PictureOutputTest, OptionValues)
{
    EXPECT_EQ(parsePictureWidth("370"), 370);
    EXPECT_EQ(parsePictureWidth("8000"), 8000);
    for (const char *bad : { "369", "8001", "", "700px", "-700", "7e2" }) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(parsePictureWidth(bad), BatchError);
    }
    EXPECT_EQ(parsePictureLabels("50"), 50);
    EXPECT_EQ(parsePictureLabels("-25"), 25);
    for (const char *bad : { "0", "", "1.5", "x" }) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(parsePictureLabels(bad), BatchError);
    }

    const std::vector<std::string> full { "s.json", "--png", "p.png", "--width=900", "--labels",
        "20" };
    const BatchOptions options = parseBatchOptions(full);
    EXPECT_EQ(options.pngPath, "p.png");
    EXPECT_EQ(options.pngWidth, 900);
    EXPECT_EQ(options.pngLabels, 20);
    EXPECT_FALSE(options.seriesPath) << "the picture is an output of its own";

    const std::vector<std::string> widthAlone { "s.json", "--width", "900" };
    EXPECT_THROW(parseBatchOptions(widthAlone), BatchError);
    const std::vector<std::string> toStandardOutput { "s.json", "--png", "-" };
    EXPECT_THROW(parseBatchOptions(toStandardOutput), BatchError);
}

TEST(PictureOutputTest, DrawingOptionsAreReadIntoTheRequest)
{
    const auto parsed = [](std::vector<std::string> extra) {
        std::vector<std::string> arguments { "s.json", "--png", "p.png" };
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return parseBatchOptions(arguments).pngDrawing;
    };
    const PictureRequest all = parsed({ "--net", "equal-area", "--labels-in=degrees",
        "--projection", "both", "--panel", "decay", "--single", "3", "--legend",
        "--fill-hemispheres", "--clear-labels", "--edge-room", "--axis-titles" });
    DiagramOptions expected;
    expected.net = NetKind::EqualArea;
    expected.labelsIn = LabelUnit::Degrees;
    expected.projection = VerticalProjection::Both;
    expected.panel = IntensityPanel::Decay;
    expected.hemisphereByFill = true;
    expected.clearLabels = true;
    expected.edgeRoom = true;
    expected.axisTitles = true;
    EXPECT_EQ(all.options, expected);
    EXPECT_EQ(all.singleVector, 3);
    EXPECT_TRUE(all.legend);
    EXPECT_EQ(parsed({ "--projection", "east" }).options.projection, VerticalProjection::East);
    EXPECT_EQ(parsed({}).options, DiagramOptions {});
    EXPECT_FALSE(parsed({}).legend);

    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        { { "s.json", "--net", "equal-area" },
            "--net shapes the picture of --png, which is not given" },
        { { "s.json", "--png", "p.png", "--net", "schmidt" },
            "--net: 'schmidt' is not one of specified or equal-area" },
        { { "s.json", "--png", "p.png", "--projection", "up" },
            "--projection: 'up' is not one of north or east or both" },
        { { "s.json", "--png", "p.png", "--single", "-1" },
            "--single: '-1' is not the index of a resulting vector (0, 1, ...)" },
        { { "s.json", "--png", "p.png", "--legend=yes" }, "--legend takes no value" },
        { { "s.json", "--png", "p.png", "--panel", "decay", "--panel", "spectra" },
            "--panel is given more than once" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            parseBatchOptions(c.arguments);
            ADD_FAILURE() << "accepted";
        } catch (const BatchError &error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST(PictureOutputTest, DrawingOptionsReachThePictureOfTheCommand)
{
    // Through the whole command, so that no option is lost between the command line and the
    // drawing. With edge room step 0 moves from (262, 282) to (255, 275); east-down puts the
    // red path's start at x 282, the single vector 0 is the run's only one.
    QTemporaryDir folder;
    const std::string png = folder.filePath(QStringLiteral("options.png")).toStdString();
    const std::string scenario = std::string(DEMAGORA_EXAMPLES_DIR) + "/two-components.json";
    std::ostringstream out, err;
    const std::vector<std::string> arguments { scenario, "--png", png, "--edge-room",
        "--projection", "east", "--single", "0" };
    ASSERT_EQ(runBatchCommand(arguments, out, err), BatchSuccess) << err.str();
    const QImage image(QString::fromStdString(png), "PNG");
    EXPECT_TRUE(near(image, 255, 24 + 275, QColor(0, 0, 255)));
    EXPECT_FALSE(near(image, 262, 24 + 282, QColor(0, 0, 255)));
    EXPECT_TRUE(near(image, 268, 24 + 160, QColor(255, 0, 0)));

    const std::vector<std::string> beyond { scenario, "--png", png, "--single", "1" };
    EXPECT_EQ(runBatchCommand(beyond, out, err), BatchBadInput);
    EXPECT_NE(err.str().find("--single: 1 is beyond the run's resulting vectors (0 to 0)"),
        std::string::npos)
        << err.str();

    const std::string pdf = folder.filePath(QStringLiteral("options.pdf")).toStdString();
    const std::vector<std::string> document { scenario, "--png", pdf, "--net", "equal-area" };
    ASSERT_EQ(runBatchCommand(document, out, err), BatchSuccess) << err.str();
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF-"));
}

// Pictures drawn by the renderer before it left out repeated lines and symbols and traced on
// every core, kept in tests/batch/pictures: the picture of today is the same, pixel for pixel.
// No labels and no legend, so that no font takes part.
TEST(PictureOutputTest, PicturesEqualThoseDrawnBeforeRepeatsWereLeftOut)
{
    const std::string pictures = std::string(DEMAGORA_BATCH_TESTS_DIR) + "/pictures/";
    const std::string examples = std::string(DEMAGORA_EXAMPLES_DIR) + "/";
    const struct
    {
        std::string scenario;
        const char *width;
        std::string expected;
    } cases[] = {
        { examples + "two-components.json", "700", "two-components-700.png" },
        { examples + "scattered.json", "700", "scattered-seed7-700.png" },
        // 3,001 members of three components on the narrowest picture: most symbols and
        // segments fall on pixels drawn before.
        { pictures + "crowded.json", "370", "crowded-seed7-370.png" },
    };
    QTemporaryDir folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string png = folder.filePath(QStringLiteral("today.png")).toStdString();
        std::ostringstream out, err;
        const std::vector<std::string> arguments { c.scenario, "--seed", "7", "--png", png,
            "--width", c.width };
        ASSERT_EQ(runBatchCommand(arguments, out, err), BatchSuccess) << err.str();
        const QImage expected(QString::fromStdString(pictures + c.expected), "PNG");
        ASSERT_FALSE(expected.isNull());
        const QImage today(QString::fromStdString(png), "PNG");
        EXPECT_EQ(today.convertToFormat(QImage::Format_RGB32),
            expected.convertToFormat(QImage::Format_RGB32));
    }
}

} // namespace
} // namespace Demagora
