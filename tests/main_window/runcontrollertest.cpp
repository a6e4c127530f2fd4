#include "main_window/runcontroller.h"

#include "model/run.h"
#include "support/componentfixtures.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

namespace Demagora {
namespace {

using Testing::component;

// Two components whose members differ, so a mixed-up member index shows in the results.
ComponentPopulations populations(int members)
{
    ComponentPopulations result(2);
    for (int m = 0; m < members; ++m) {
        result[0].push_back(component(m, 0, 10, 100, 200, SpectrumShape::Gauss));
        result[1].push_back(component(90 + m, 0, 5, 150, 250, SpectrumShape::Rectangular));
    }
    return result;
}

bool waitForEnd(RunController &controller, QSignalSpy &finished)
{
    return finished.count() > 0 || finished.wait(60000) || !controller.isRunning();
}

TEST(RunControllerTest, WorkerRunGivesTheResultsOfADirectRun)
{
    ComponentPopulations expectedPopulations = populations(3);
    ResultSeries expected;
    RunDemagnetization(150, 100, 250, expected, expectedPopulations);

    RunController controller;
    // Counted through queued connections, on this thread, as the main window receives them.
    std::vector<int> maxima;
    int advanced = 0;
    int resets = 0;
    bool progressOnThisThread = true;
    QObject::connect(&controller, &RunController::maximumChanged, &controller,
        [&](int maximum) { maxima.push_back(maximum); });
    QObject::connect(&controller, &RunController::advanced, &controller, [&] {
        ++advanced;
        progressOnThisThread &= QThread::currentThread() == controller.thread();
    });
    QObject::connect(&controller, &RunController::progressReset, &controller, [&] { ++resets; });
    QSignalSpy finished(&controller, &RunController::runFinished);

    ASSERT_TRUE(controller.startRun(populations(3), 150, 100, 250));
    ASSERT_TRUE(waitForEnd(controller, finished));
    RunController::Outcome outcome = controller.takeOutcome();
    EXPECT_TRUE(outcome.completed);
    EXPECT_TRUE(outcome.error.isEmpty());
    ASSERT_EQ(outcome.results.size(), 3u);
    for (std::size_t m = 0; m < 3; ++m) {
        ASSERT_EQ(outcome.results[m].size(), 151u);
        for (std::size_t k = 0; k < 151; k += 25) {
            SCOPED_TRACE(testing::Message() << m << " " << k);
            EXPECT_EQ(outcome.results[m][k].Temperature, expected[m][k].Temperature);
            EXPECT_EQ(outcome.results[m][k].X, expected[m][k].X);
            EXPECT_EQ(outcome.results[m][k].Y, expected[m][k].Y);
        }
    }
    EXPECT_EQ(outcome.populations[1][2].Temperature, 250);
    EXPECT_EQ(maxima, (std::vector<int> { 3, 3, 3 }));
    EXPECT_EQ(advanced, 3);
    EXPECT_EQ(resets, 1);
    EXPECT_TRUE(progressOnThisThread);
    EXPECT_FALSE(controller.isRunning());
}

TEST(RunControllerTest, RefusedRunEndsWithTheModelsMessage)
{
    RunController controller;
    QSignalSpy finished(&controller, &RunController::runFinished);
    ASSERT_TRUE(controller.startRun(populations(1), 0, 200, 200));
    ASSERT_TRUE(waitForEnd(controller, finished));
    const RunController::Outcome outcome = controller.takeOutcome();
    EXPECT_FALSE(outcome.completed);
    EXPECT_FALSE(outcome.error.isEmpty());
    EXPECT_TRUE(outcome.results.empty());
}

// Long enough that the stop arrives while members are still being computed, even when the
// test thread is held up on a busy machine.
TEST(RunControllerTest, StoppedRunEndsEarlyWithoutResults)
{
    RunController controller;
    QSignalSpy finished(&controller, &RunController::runFinished);
    ASSERT_TRUE(controller.startRun(populations(50000), 150, 100, 250));
    EXPECT_FALSE(controller.startRun(populations(1), 150, 100, 250));
    controller.requestStop();
    ASSERT_TRUE(waitForEnd(controller, finished));
    const RunController::Outcome outcome = controller.takeOutcome();
    EXPECT_FALSE(outcome.completed);
    EXPECT_TRUE(outcome.results.empty());
    EXPECT_TRUE(outcome.error.isEmpty());
}

TEST(RunControllerTest, DestroyingTheControllerDuringARunIsSafe)
{
    auto controller = std::make_unique<RunController>();
    int advanced = 0;
    QObject::connect(
        controller.get(), &RunController::advanced, controller.get(), [&] { ++advanced; });
    ASSERT_TRUE(controller->startRun(populations(4000), 150, 100, 250));
    for (int i = 0; i < 1000 && advanced == 0; ++i)
        QTest::qWait(5);
    controller.reset();
    // Progress posted before the destruction must not reach a controller that is gone.
    QTest::qWait(50);
}

} // namespace
} // namespace Demagora
