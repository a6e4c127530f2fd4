#include "model/paralleltasks.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace Demagora {

namespace {

// How often a waiting caller asks whether it should stop while no task finishes.
constexpr std::chrono::milliseconds StopPollInterval { 20 };

class TaskPool
{
public:
    TaskPool(std::size_t count, const std::function<void(std::size_t)> &task)
        : m_count(count)
        , m_task(task)
    { }

    // Joins every worker, whatever way the caller leaves, so no thread outlives the run.
    ~TaskPool()
    {
        m_stop = true;
        for (std::thread &worker : m_workers)
            worker.join();
    }

    void start(unsigned threadCount)
    {
        for (unsigned i = 0; i < threadCount; ++i)
            m_workers.emplace_back([this] { work(); });
    }

    void stop() { m_stop = true; }

    // Waits until tasks have finished since the last call, an error occurred or the poll
    // interval has passed; returns how many finished since the last call.
    std::size_t waitForFinished()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(
            lock, StopPollInterval, [this] { return m_finished > m_reported || m_error; });
        const std::size_t newlyFinished = m_finished - m_reported;
        m_reported = m_finished;
        return newlyFinished;
    }

    void rethrowError()
    {
        std::exception_ptr error;
        {
            std::lock_guard lock(m_mutex);
            error = m_error;
        }
        if (error)
            std::rethrow_exception(error);
    }

private:
    void work()
    {
        while (!m_stop) {
            const std::size_t i = m_next.fetch_add(1);
            if (i >= m_count)
                return;
            try {
                m_task(i);
            } catch (...) {
                std::lock_guard lock(m_mutex);
                if (!m_error)
                    m_error = std::current_exception();
                m_stop = true;
                m_changed.notify_all();
                return;
            }
            std::lock_guard lock(m_mutex);
            ++m_finished;
            m_changed.notify_all();
        }
    }

    const std::size_t m_count;
    const std::function<void(std::size_t)> &m_task;
    std::vector<std::thread> m_workers;
    std::atomic<std::size_t> m_next { 0 };
    std::atomic<bool> m_stop { false };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_finished = 0;
    std::size_t m_reported = 0;
    std::exception_ptr m_error;
};

bool runOnCallingThread(std::size_t count, const std::function<void(std::size_t)> &task,
    const std::function<void()> &onFinished, const std::function<bool()> &stopRequested)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (stopRequested())
            return false;
        task(i);
        onFinished();
    }
    return true;
}

} // namespace

unsigned coreCount()
{
    return std::max(1U, std::thread::hardware_concurrency());
}

bool runParallelTasks(std::size_t count, unsigned threadCount,
    const std::function<void(std::size_t)> &task, const std::function<void()> &onFinished,
    const std::function<bool()> &stopRequested)
{
    const auto workers = static_cast<unsigned>(std::min<std::size_t>(threadCount, count));
    if (workers <= 1)
        return runOnCallingThread(count, task, onFinished, stopRequested);

    if (stopRequested())
        return false;
    TaskPool pool(count, task);
    pool.start(workers);
    std::size_t reported = 0;
    while (reported < count) {
        const std::size_t newlyFinished = pool.waitForFinished();
        pool.rethrowError();
        for (std::size_t i = 0; i < newlyFinished; ++i) {
            onFinished();
            ++reported;
            if (reported < count && stopRequested()) {
                pool.stop();
                return false;
            }
        }
        if (newlyFinished == 0 && stopRequested()) {
            pool.stop();
            return false;
        }
    }
    return true;
}

} // namespace Demagora
