#include "model/paralleltasks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Demagora;

TEST(ParallelTasksTest, RunsEveryTaskOnceAndReportsEach)
{
    for (const unsigned threads : { 1u, 2u, 4u }) {
        SCOPED_TRACE(threads);
        std::vector<std::atomic<int>> runs(50);
        int reports = 0;
        const bool completed = runParallelTasks(
            runs.size(), threads, [&](std::size_t i) { ++runs[i]; }, [&] { ++reports; },
            [] { return false; });
        EXPECT_TRUE(completed);
        EXPECT_EQ(reports, 50);
        for (const std::atomic<int> &count : runs)
            EXPECT_EQ(count.load(), 1);
    }
}

TEST(ParallelTasksTest, NoTasksIsNoWork)
{
    int calls = 0;
    EXPECT_TRUE(runParallelTasks(
        0, 2, [&](std::size_t) { ++calls; }, [&] { ++calls; }, [] { return false; }));
    EXPECT_EQ(calls, 0);
}

TEST(ParallelTasksTest, StopSkipsTasksNotStarted)
{
    for (const unsigned threads : { 1u, 2u }) {
        SCOPED_TRACE(threads);
        std::atomic<int> started = 0;
        int reports = 0;
        const bool completed = runParallelTasks(
            1000, threads,
            [&](std::size_t) {
                ++started;
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            },
            [&] { ++reports; }, [&] { return reports >= 3; });
        EXPECT_FALSE(completed);
        EXPECT_GE(reports, 3);
        EXPECT_LT(started.load(), 1000);
    }
}

TEST(ParallelTasksTest, FirstTaskFailureIsRethrownAfterWorkersEnd)
{
    for (const unsigned threads : { 1u, 2u, 3u }) {
        SCOPED_TRACE(threads);
        std::atomic<int> finished = 0;
        EXPECT_THROW(runParallelTasks(
                         200, threads,
                         [&](std::size_t i) {
                             if (i == 17)
                                 throw std::out_of_range("task 17");
                             ++finished;
                         },
                         [] {}, [] { return false; }),
            std::out_of_range);
        EXPECT_LT(finished.load(), 200);
    }
}
