#include "unmix_window/unmixdialog.h"

#include "document/scenario.h"
#include "diagrams/specimenpicture.h"
#include "support/scriptedprompts.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace Demagora {
namespace {

// Two overlapping Gauss components measured every 25 degrees, without noise.
const std::vector<UnmixComponent> Truth = { { SpectrumShape::Gauss, 20, 40, 2e-3, 100, 600 },
    { SpectrumShape::Gauss, 200, -30, 3e-3, 300, 450 } };

std::vector<UnmixStep> twoComponentSteps()
{
    std::vector<double> temperatures;
    for (int t = 0; t <= 650; t += 25)
        temperatures.push_back(t);
    std::vector<UnmixStep> steps;
    const auto moments = predictedMoments(Truth, temperatures);
    for (std::size_t i = 0; i < temperatures.size(); ++i)
        steps.push_back({ temperatures[i], moments[i], {} });
    return steps;
}

std::unique_ptr<UnmixDialog> openDialog()
{
    auto dialog = std::make_unique<UnmixDialog>("S1", twoComponentSteps(), 1e-3);
    dialog->show();
    return dialog;
}

double angleTo(const UnmixComponent &a, const UnmixComponent &b)
{
    const auto unit = [](const UnmixComponent &c) {
        const double d = c.declination * M_PI / 180, i = c.inclination * M_PI / 180;
        return std::array<double, 3> { std::cos(i) * std::cos(d), std::cos(i) * std::sin(d),
            std::sin(i) };
    };
    const auto u = unit(a), v = unit(b);
    return std::acos(std::clamp(u[0] * v[0] + u[1] * v[1] + u[2] * v[2], -1.0, 1.0)) * 180 / M_PI;
}

// The fit runs on the worker: the window answers while it runs, Cancel ends it without a
// result, and closing the window mid-run stops the worker instead of waiting for it.
TEST(UnmixDialogTest, CancelEndsTheWorkerWithoutAResult)
{
    const auto dialog = openDialog();
    QSignalSpy finished(dialog.get(), &UnmixDialog::unmixFinished);
    // A fit without refits ends with its progress full.
    dialog->setChoices(2, UnmixShapes::Gauss, 0);
    dialog->btn_unmixClick();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(dialog->result().has_value());
    auto *progress = dialog->findChild<QProgressBar *>(QStringLiteral("m_progress"));
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_GT(progress->maximum(), 0);

    // A new fit cancelled leaves no result of the last one to show or save.
    dialog->setChoices(0, UnmixShapes::Any, 100000);
    dialog->btn_unmixClick();
    ASSERT_TRUE(dialog->isRunning());
    QTest::qWait(300); // the event loop turns: the window is not frozen
    EXPECT_TRUE(dialog->isRunning());
    EXPECT_FALSE(dialog->findChild<QWidget *>(QStringLiteral("btn_unmix"))->isEnabled());
    dialog->btn_cancelClick();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_FALSE(dialog->result().has_value());
    EXPECT_EQ(dialog->statusText(), QStringLiteral("Unmixing cancelled."));
    EXPECT_TRUE(dialog->findChild<QWidget *>(QStringLiteral("btn_unmix"))->isEnabled());
    EXPECT_FALSE(dialog->findChild<QWidget *>(QStringLiteral("btn_save"))->isEnabled());
    EXPECT_EQ(dialog->findChild<QTableWidget *>(QStringLiteral("SG_components"))->rowCount(), 0);

    // Closing mid-run stops the worker before the window goes, and the finish the worker
    // queued never reaches the window. How long closing takes is measured by
    // BM_CloseUnmixWindowMidRun in bench/bench_specimens_window.cpp.
    auto closing = std::make_unique<UnmixDialog>("S1", twoComponentSteps(), 1e-3);
    QSignalSpy closingFinished(closing.get(), &UnmixDialog::unmixFinished);
    closing->setChoices(2, UnmixShapes::Gauss, 100000);
    closing->btn_unmixClick();
    QTest::qWait(100);
    ASSERT_TRUE(closing->isRunning());
    closing.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(closingFinished.count(), 0);
}

// A finished fit is shown: the components and their intervals, a residual per step, the
// model's path and one spectrum per component in the picture.
TEST(UnmixDialogTest, ShowsTheFittedComponents)
{
    const auto dialog = openDialog();
    QSignalSpy finished(dialog.get(), &UnmixDialog::unmixFinished);
    dialog->setChoices(0, UnmixShapes::Gauss, 20);
    dialog->btn_unmixClick();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(dialog->result().has_value());
    const UnmixResult &result = *dialog->result();
    ASSERT_EQ(result.best.components.size(), 2u);
    for (const UnmixComponent &truth : Truth) {
        double nearest = 180;
        for (const UnmixComponent &c : result.best.components)
            nearest = std::min(nearest, angleTo(c, truth));
        EXPECT_LT(nearest, 0.01);
    }
    EXPECT_EQ(result.bootstrapRefits, 20);
    const auto *components = dialog->findChild<QTableWidget *>(QStringLiteral("SG_components"));
    ASSERT_EQ(components->rowCount(), 2);
    EXPECT_TRUE(components->item(0, 6)->text().contains(QLatin1Char('(')));
    EXPECT_EQ(components->item(0, 5)->text(), QStringLiteral("yes"));
    // Every count tried (Gauss only: one candidate each), the one with the least BIC marked.
    const auto *candidates = dialog->findChild<QTableWidget *>(QStringLiteral("SG_candidates"));
    ASSERT_EQ(candidates->rowCount(), 4);
    int lowest = 0;
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(candidates->item(r, 0)->text(), QString::number(r + 1));
        EXPECT_EQ(candidates->item(r, 1)->text(), QStringLiteral("%1 Gauss").arg(r + 1));
        if (candidates->item(r, 3)->text().toDouble()
            < candidates->item(lowest, 3)->text().toDouble())
            lowest = r;
    }
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(candidates->item(r, 4)->text().startsWith(QStringLiteral("chosen")), r == 1) << r;
    EXPECT_EQ(lowest, 1);

    EXPECT_EQ(dialog->findChild<QTableWidget *>(QStringLiteral("SG_residuals"))->rowCount(), 27);
    const SpecimenDiagramData &picture = dialog->picture().diagram().data();
    EXPECT_EQ(picture.steps.size(), 27u);
    ASSERT_EQ(picture.paths.size(), 1u);
    EXPECT_EQ(picture.paths.front().points.front().level, 0);
    EXPECT_EQ(picture.paths.front().points.back().level, 650);
    ASSERT_EQ(picture.spectra.size(), 2u);
    // Each fitted direction stands on the stereogram inside its bootstrap cone.
    ASSERT_EQ(picture.cones.size(), 2u);
    for (std::size_t j = 0; j < 2; ++j) {
        const UnmixComponent &c = result.best.components[j];
        const Vector3 &d = picture.cones[j].direction;
        EXPECT_NEAR(std::atan2(d.y, d.x) * 180 / 3.14159265358979323846,
            c.declination > 180 ? c.declination - 360 : c.declination, 1e-9);
        EXPECT_NEAR(std::asin(d.z) * 180 / 3.14159265358979323846, c.inclination, 1e-9);
        EXPECT_EQ(picture.cones[j].alpha95Degrees, result.intervals[j].alpha95);
    }
    EXPECT_TRUE(dialog->statusText().startsWith(QStringLiteral("2 component(s), chosen by BIC")));
}

// A path whose direction turns through 180 degrees, over ten overlapping Gauss components, is
// said to turn where the fit is summed up, so that its components are not read as
// magnetizations; the two-component path of the other cases is not.
TEST(UnmixDialogTest, SaysWhenTheDirectionTurnsAlongTheWholePath)
{
    std::vector<UnmixComponent> turning;
    for (int i = 0; i < 10; ++i)
        turning.push_back(
            { SpectrumShape::Gauss, 20.0 * i, 0, 1e-3, 100.0 + 40 * i, 250.0 + 40 * i });
    std::vector<double> temperatures;
    for (int t = 0; t <= 650; t += 25)
        temperatures.push_back(t);
    const auto moments = predictedMoments(turning, temperatures);
    std::vector<UnmixStep> steps;
    for (std::size_t i = 0; i < temperatures.size(); ++i)
        steps.push_back({ temperatures[i], moments[i], {} });
    const QString message = QStringLiteral(
        "The direction turns along the whole path; the components describe the path.");
    const struct
    {
        const char *name;
        std::vector<UnmixStep> steps;
        bool turns;
    } cases[] = { { "turning", steps, true }, { "two components", twoComponentSteps(), false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        UnmixDialog dialog("S1", c.steps, 1e-3);
        dialog.show();
        QSignalSpy finished(&dialog, &UnmixDialog::unmixFinished);
        dialog.setChoices(0, UnmixShapes::Any, 0);
        dialog.btn_unmixClick();
        ASSERT_TRUE(finished.wait(60000));
        const auto *warning = dialog.findChild<QLabel *>(QStringLiteral("lbl_warning"));
        EXPECT_EQ(warning->text().startsWith(message), c.turns) << warning->text().toStdString();
        EXPECT_EQ(warning->isVisible(), c.turns);
    }
}

// Save as scenario writes the twin, asks before replacing a file, and offers to open it.
TEST(UnmixDialogTest, SavesTheTwinAsAScenario)
{
    Testing::ScriptedPrompts prompts;
    const auto dialog = openDialog();
    QSignalSpy finished(dialog.get(), &UnmixDialog::unmixFinished);
    QString opened;
    dialog->setScenarioOpener([&opened](const QString &path) { opened = path; });
    dialog->setChoices(2, UnmixShapes::Gauss, 0);
    dialog->btn_unmixClick();
    ASSERT_TRUE(finished.wait(60000));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twin.json"));
    prompts.fileNames = { path };
    prompts.answers = { Prompts::Answer::Yes };
    dialog->btn_saveClick();
    const Scenario twin = readScenarioFile(path.toStdString());
    ASSERT_EQ(twin.components.size(), 2u);
    // Heights in the model's unit: the steps' unit divided by the scale.
    double heights = twin.components[0].Height + twin.components[1].Height;
    EXPECT_NEAR(heights, 5, 1e-4);
    EXPECT_EQ(opened, path);

    // The file exists now: the user is asked, and No leaves it as it was.
    QFile::resize(path, 0);
    prompts.fileNames = { path };
    prompts.answers = { Prompts::Answer::No };
    dialog->btn_saveClick();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(prompts.questions.size(), 2);

    // A file the steps were measured in is refused before any question, even answered Yes.
    const QString measured = dir.filePath(QStringLiteral("S1.sam"));
    {
        QFile file(measured);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("measured\n");
    }
    dialog->setMeasurementsRead({ QFile::encodeName(measured).toStdString() });
    prompts.fileNames = { measured };
    prompts.answers = { Prompts::Answer::Yes };
    dialog->btn_saveClick();
    EXPECT_EQ(prompts.questions.size(), 2);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors.front().contains("the measurements were read from it"));
    QFile file(measured);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("measured\n"));
}

} // namespace
} // namespace Demagora
