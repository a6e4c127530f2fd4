#include "analysis_window/analysiswindow.h"

#include "analysis_window/fittablemodel.h"
#include "measurements/measurementschedule.h"
#include "model/run.h"
#include "model/scatter.h"
#include "unmix_window/unmixdialog.h"
#include "support/componentfixtures.h"
#include "support/mnemonics.h"
#include "support/scriptedprompts.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace Demagora;
using Demagora::Testing::component;
using Demagora::Testing::ScriptedPrompts;

namespace {

// Two overlapping components scattered into five specimens each (six members).
class AnalysisWindowTest : public testing::Test
{
protected:
    AnalysisWindowTest()
    {
        MersenneTwisterSource random(11);
        for (const TVector &entered : { component(350, 60, 8, 150, 350),
                 component(170, -40, 5, 300, 580, SpectrumShape::Rectangular) }) {
            Population population;
            ScatterComponent(entered, 5, population, entered.Shape, false, 30, 0, random);
            populations.push_back(std::move(population));
        }
        range = computeRunRange(populations);
        RunDemagnetization(range.pointCount, range.low, range.high, series, populations);
    }

    template <typename T> T *child(AnalysisWindow &window, const char *name)
    {
        T *widget = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void fitInterval(AnalysisWindow &window, const QString &from, const QString &to, int type)
    {
        child<QLineEdit>(window, "EB_from")->setText(from);
        child<QLineEdit>(window, "EB_to")->setText(to);
        child<QComboBox>(window, "CB_fitType")->setCurrentIndex(type);
        QTest::mouseClick(child<QPushButton>(window, "btn_fit"), Qt::LeftButton);
        settle(window);
    }

    // Fits run on a worker thread: waits until the last one shows.
    static void settle(AnalysisWindow &window)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!window.isFitting(), 120000);
    }

    ComponentPopulations populations;
    ResultSeries series;
    RunRange range;
    ScriptedPrompts prompts;
};

} // namespace

TEST_F(AnalysisWindowTest, OpensOnTheWholeRunAndRefitsTheChosenInterval)
{
    AnalysisWindow window(populations, series, range.low, range.high, 30);
    settle(window);
    const FitTableModel &model = window.model();
    QAbstractItemModelTester tester(
        const_cast<FitTableModel *>(&model), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(child<QLineEdit>(window, "EB_from")->text(), "150");
    EXPECT_EQ(child<QLineEdit>(window, "EB_to")->text(), "580");
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.analysis().type, FitType::Free);
    EXPECT_TRUE(window.summaryText().startsWith("Free line from 150.0 to 580.0 degrees"));

    fitInterval(window, "400", "550", 3);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    EXPECT_EQ(model.analysis().type, FitType::Plane);
    EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), "Pole declination");
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), "2");
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), "151");
    EXPECT_EQ(model.data(model.index(2, 2)).toString(), "400");
    EXPECT_TRUE(window.summaryText().contains("Component 2 as drawn (typed Fisher's k 30): N = 5"));
    EXPECT_EQ(model.columnCount(), 8 + 2 + 1);
    EXPECT_EQ(model.headerData(9, Qt::Horizontal).toString(), "To comp. 2");
}

TEST_F(AnalysisWindowTest, RefusedIntervalIsReportedAndLeavesNoStaleFits)
{
    AnalysisWindow window(populations, series, range.low, range.high, std::nullopt);
    settle(window);
    fitInterval(window, "300", "300", 0);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0].toStdString(),
        "The interval 300 to 300 holds 1 step; a line needs at least 2.");
    EXPECT_EQ(window.summaryText(), prompts.errors[0]);
    EXPECT_EQ(window.model().rowCount(), 0);
    EXPECT_FALSE(child<QPushButton>(window, "btn_save")->isEnabled());

    fitInterval(window, "3x", "400", 0);
    ASSERT_EQ(prompts.errors.size(), 2);
    EXPECT_EQ(prompts.errors[1].toStdString(), "From: '3x' is not a number.");
}

TEST_F(AnalysisWindowTest, NumbersThatDoNotParseAreReportedByTheirField)
{
    AnalysisWindow window(populations, series, range.low, range.high, std::nullopt);
    settle(window);
    child<QComboBox>(window, "CB_steps")->setCurrentIndex(1);
    const struct
    {
        const char *from, *to, *noise, *expected;
    } cases[] = {
        { "abc", "400", "0", "From: 'abc' is not a number." },
        { "300", "4OO", "0", "To: '4OO' is not a number." },
        { "300", "400", "0.0l", "Noise: '0.0l' is not a number." },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        prompts.errors.clear();
        child<QLineEdit>(window, "EB_noise")->setText(c.noise);
        fitInterval(window, c.from, c.to, 0);
        EXPECT_EQ(prompts.errors, QStringList { c.expected });
    }
}

TEST_F(AnalysisWindowTest, SaveAsCsvReplacesOnlyWhatTheUserAgreesTo)
{
    AnalysisWindow window(populations, series, range.low, range.high, std::nullopt);
    settle(window);
    fitInterval(window, "400", "550", 1);
    const std::filesystem::path folder
        = std::filesystem::path(testing::TempDir()) / "analysis-window-replace";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path scenario = folder / "saved1.json";
    const std::filesystem::path other = folder / "fits.csv";
    std::ofstream(scenario) << "{}";
    std::ofstream(other) << "old";
    const auto contents = [](const std::filesystem::path &path) {
        std::ifstream file(path);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    window.setOpenScenario(QString::fromStdString(scenario.string()));

    prompts.fileNames = { QString::fromStdString(scenario.string()),
        QString::fromStdString(other.string()), QString::fromStdString(other.string()) };
    prompts.answers = { Prompts::Answer::No, Prompts::Answer::Yes };
    QTest::mouseClick(child<QPushButton>(window, "btn_save"), Qt::LeftButton);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("that is the open scenario"));
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_EQ(contents(scenario), "{}");

    QTest::mouseClick(child<QPushButton>(window, "btn_save"), Qt::LeftButton);
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(contents(other), "old");
    QTest::mouseClick(child<QPushButton>(window, "btn_save"), Qt::LeftButton);
    EXPECT_EQ(prompts.questions.size(), 2);
    EXPECT_TRUE(contents(other).starts_with("member,type,")) << contents(other);
}

TEST_F(AnalysisWindowTest, EveryAltKeyHasOneControl)
{
    AnalysisWindow window(populations, series, range.low, range.high, std::nullopt);
    settle(window);
    EXPECT_EQ(Testing::sharedMnemonics(window), QStringList());
}

TEST_F(AnalysisWindowTest, CopySaveAndPaintHandOnTheShownFits)
{
    AnalysisWindow window(populations, series, range.low, range.high, 30);
    settle(window);
    fitInterval(window, "400", "550", 1);
    const std::filesystem::path path
        = std::filesystem::path(testing::TempDir()) / "analysis-window-fits.csv";
    std::filesystem::remove(path);
    prompts.fileNames.push_back(QString::fromStdString(path.string()));
    QTest::mouseClick(child<QPushButton>(window, "btn_save"), Qt::LeftButton);
    std::ifstream file(path);
    std::string header, first;
    std::getline(file, header);
    std::getline(file, first);
    EXPECT_EQ(header,
        "member,type,from,to,n,declination,inclination,mad,dang,angle_to_component_1,"
        "angle_to_component_2");
    EXPECT_TRUE(first.starts_with("0,anchored,400,550,151,")) << first;

    QTest::mouseClick(child<QPushButton>(window, "btn_copy"), Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith(window.summaryText() + "\n\nMember\tn\tFrom\tTo\t"));
    EXPECT_EQ(copied.count('\n'), window.summaryText().count('\n') + 2 + 1 + 6);

    std::optional<DiagramOverlay> shown;
    window.setDiagramOpener([&](QWidget *, const DiagramOverlay &overlay) { shown = overlay; });
    QTest::mouseClick(child<QPushButton>(window, "btn_paint"), Qt::LeftButton);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->memberLines.size(), 6u);
    ASSERT_TRUE(shown->memberLines[3] && shown->mean && shown->mean->alpha95);
    // An anchored line runs from the projection of the first step to that of the last.
    const TResultVectors &at400 = series[3][400 - 150];
    const auto &line = *shown->memberLines[3];
    EXPECT_NEAR(line.startX, at400.X, 1e-9 * at400.Length());
    EXPECT_NEAR(line.startZ, at400.Z, 1e-9 * at400.Length());
    const FisherStatistics &mean = *window.model().analysis().sets.front().fisher;
    EXPECT_EQ(shown->mean->declination, mean.mean->declination);
    EXPECT_EQ(*shown->mean->alpha95, *mean.alpha95);
}

TEST_F(AnalysisWindowTest, ScheduleChoiceFitsTheMeasuredSteps)
{
    AnalysisWindow window(populations, series, range.low, range.high, 30);
    settle(window);
    EXPECT_FALSE(child<QLineEdit>(window, "EB_schedule")->isEnabled());
    child<QComboBox>(window, "CB_steps")->setCurrentIndex(1);
    ASSERT_TRUE(child<QLineEdit>(window, "EB_schedule")->isEnabled());
    child<QLineEdit>(window, "EB_schedule")->setText("0,300,400,500,580");
    fitInterval(window, "300", "550", 0);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    EXPECT_EQ(window.model().data(window.model().index(1, 1)).toString(), "3");
    const double quiet = window.model().analysis().fits[1].fit->angles.declination;

    child<QLineEdit>(window, "EB_noise")->setText("0.05");
    fitInterval(window, "300", "550", 0);
    const double noisy = window.model().analysis().fits[1].fit->angles.declination;
    EXPECT_NE(noisy, quiet);
    fitInterval(window, "300", "550", 0);
    EXPECT_EQ(window.model().analysis().fits[1].fit->angles.declination, noisy)
        << "the window's noise stays the same from one fit to the next";

    child<QLineEdit>(window, "EB_schedule")->setText("every:0");
    fitInterval(window, "300", "550", 0);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(window.model().rowCount(), 0);
}

// Fitting runs on a worker thread: the window keeps handling events, its progress dialog's
// Cancel stops the fit and leaves no fits shown; fitting again fits every member.
TEST_F(AnalysisWindowTest, FitRunsOffTheUserInterfaceThreadAndCanBeCancelled)
{
    ResultSeries many;
    for (int copy = 0; copy < 1000; ++copy)
        many.insert(many.end(), series.begin(), series.end());
    AnalysisWindow window(populations, many, range.low, range.high, 30);
    settle(window);
    ASSERT_EQ(window.model().rowCount(), 6000);

    bool cancelled = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("fitProgress"))) {
            progress->cancel();
            cancelled = true;
            poll.stop();
        }
    });
    poll.start(0);
    fitInterval(window, "400", "550", 0);
    poll.stop();
    ASSERT_TRUE(cancelled) << "no progress dialog while fitting";
    EXPECT_EQ(window.model().rowCount(), 0);
    EXPECT_EQ(window.summaryText(), "The fit was cancelled.");
    EXPECT_FALSE(child<QPushButton>(window, "btn_paint")->isEnabled());
    EXPECT_TRUE(prompts.errors.isEmpty());

    fitInterval(window, "400", "550", 0);
    EXPECT_EQ(window.model().rowCount(), 6000);
    EXPECT_EQ(window.model().analysis().fits.back().n, 151);
    EXPECT_TRUE(child<QPushButton>(window, "btn_paint")->isEnabled());
    EXPECT_EQ(window.findChild<QProgressDialog *>(), nullptr);
}

TEST_F(AnalysisWindowTest, ScheduledFitsArePaintedInTheUnitsOfTheRun)
{
    AnalysisWindow window(populations, series, range.low, range.high, 30);
    settle(window);
    child<QComboBox>(window, "CB_steps")->setCurrentIndex(1);
    child<QLineEdit>(window, "EB_schedule")->setText("0,300,400,500,580");
    fitInterval(window, "400", "580", 1);
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    std::optional<DiagramOverlay> shown;
    window.setDiagramOpener([&](QWidget *, const DiagramOverlay &overlay) { shown = overlay; });
    QTest::mouseClick(child<QPushButton>(window, "btn_paint"), Qt::LeftButton);
    ASSERT_TRUE(shown && shown->memberLines.size() == 6u && shown->memberLines[3]);
    // Measured in A/m, drawn in the model's units: the anchored line starts on the run's
    // own point at 400 degrees.
    const TResultVectors &at400 = series[3][400 - 150];
    const auto &line = *shown->memberLines[3];
    EXPECT_NEAR(line.startX, at400.X, 1e-9 * at400.Length());
    EXPECT_NEAR(line.startY, at400.Y, 1e-9 * at400.Length());
    EXPECT_NEAR(line.startZ, at400.Z, 1e-9 * at400.Length());
}

TEST_F(AnalysisWindowTest, TypedNoiseSeedRepeatsTheMeasurementsOfTheBatch)
{
    const auto noisyDeclination = [&](const QString &seed) {
        AnalysisWindow window(populations, series, range.low, range.high, 30);
        settle(window);
        QLineEdit *seedBox = child<QLineEdit>(window, "EB_seed");
        bool isNumber = false;
        seedBox->text().toULongLong(&isNumber);
        EXPECT_TRUE(isNumber) << "the window shows the seed it draws: "
                              << seedBox->text().toStdString();
        child<QComboBox>(window, "CB_steps")->setCurrentIndex(1);
        child<QLineEdit>(window, "EB_schedule")->setText("0,300,400,500,580");
        child<QLineEdit>(window, "EB_noise")->setText("0.05");
        seedBox->setText(seed);
        fitInterval(window, "300", "550", 0);
        const std::vector<MemberFit> &fits = window.model().analysis().fits;
        return fits.size() > 1 && fits[1].fit ? fits[1].fit->angles.declination : -1.0;
    };
    // The measurements the batch makes with this seed.
    MeasurementSettings settings;
    settings.schedule = parseSchedule("0,300,400,500,580");
    settings.noiseAPerM = 0.05;
    settings.noiseSeed = 18446744073709551615u;
    const RunAnalysis batch = analyseRun(stepsOfMeasurements(MeasuredSeries(series, settings)),
        populations, FitType::Free, 300, 550);
    const double typed = noisyDeclination("18446744073709551615");
    EXPECT_EQ(typed, batch.fits.at(1).fit->angles.declination);
    EXPECT_NE(noisyDeclination("42"), typed);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();

    for (const char *bad : { "", "-1", "18446744073709551616", "4x" }) {
        SCOPED_TRACE(bad);
        prompts.errors.clear();
        noisyDeclination(QString::fromLatin1(bad));
        ASSERT_EQ(prompts.errors.size(), 1);
        EXPECT_EQ(prompts.errors[0].toStdString(),
            "The noise seed '" + std::string(bad)
                + "' is not a whole number from 0 to 18446744073709551615.");
    }
}

// A twin saved from the analysis window's unmix window replaces the run the window reads: the
// window closes and names the file to open, instead of opening it under the open window.
TEST_F(AnalysisWindowTest, UnmixTwinClosesTheWindowBeforeItOpens)
{
    AnalysisWindow window(populations, series, range.low, range.high, 30);
    settle(window);
    window.setTwinsOpen(true);
    window.show();
    child<QComboBox>(window, "CB_steps")->setCurrentIndex(1);
    child<QLineEdit>(window, "EB_schedule")->setText("every:25");
    QTest::mouseClick(child<QPushButton>(window, "btn_unmix"), Qt::LeftButton);
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    auto *dialog = window.findChild<UnmixDialog *>();
    ASSERT_NE(dialog, nullptr);
    QSignalSpy finished(dialog, &UnmixDialog::unmixFinished);
    dialog->setChoices(2, UnmixShapes::Any, 0);
    dialog->btn_unmixClick();
    ASSERT_TRUE(finished.wait(60000));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twin.json"));
    prompts.fileNames = { path };
    prompts.answers = { Prompts::Answer::Yes };
    dialog->btn_saveClick();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(window.scenarioToOpen(), path);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}
