#include "prompts/backgroundjob.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace Demagora {
namespace {

// Work that runs until it is asked to stop, as a long fit or reading does.
void untilStopped(std::stop_token stop)
{
    while (!stop.stop_requested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(BackgroundJobTest, OneJobAtATimeEndsWithOneFinishWhenStopped)
{
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    ASSERT_TRUE(job.start(untilStopped));
    EXPECT_TRUE(job.isRunning());
    EXPECT_FALSE(job.start([](std::stop_token) { }));
    job.requestStop();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(job.isRunning());
    EXPECT_TRUE(job.stopRequested());
    QTest::qWait(20);
    EXPECT_EQ(finished.count(), 1);
}

// A window that closes stops its job and waits for it; the end that job queued must not
// finish the next job started at once (or join a thread that is no longer running).
TEST(BackgroundJobTest, StopAndWaitLeavesNoFinishForTheNextJob)
{
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    std::atomic<bool> firstEnded { false };
    ASSERT_TRUE(job.start([&](std::stop_token stop) {
        untilStopped(stop);
        firstEnded = true;
    }));
    job.stopAndWait();
    EXPECT_TRUE(firstEnded);
    EXPECT_FALSE(job.isRunning());

    std::atomic<bool> release { false };
    ASSERT_TRUE(job.start([&](std::stop_token) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }));
    QTest::qWait(50); // the first job's queued end is delivered here
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(job.isRunning());
    release = true;
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(job.stopRequested());
}

} // namespace
} // namespace Demagora
