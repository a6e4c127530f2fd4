#pragma once

#include <QSemaphore>
#include <QThreadPool>

#include <chrono>
#include <thread>

namespace Demagora::Testing {

// Holds every thread of the global pool until released, so that a drawing started meanwhile
// waits in the queue.
class BusyPool
{
public:
    BusyPool()
    {
        QThreadPool *pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        for (int i = 0; i < threads; ++i) {
            pool->start([this] {
                m_started.release();
                m_release.acquire();
            });
        }
        m_started.acquire(threads);
        m_threads = threads;
    }
    void releaseLater(std::chrono::milliseconds delay)
    {
        m_releaser = std::thread([this, delay] {
            std::this_thread::sleep_for(delay);
            m_release.release(m_threads);
        });
    }
    ~BusyPool()
    {
        if (m_releaser.joinable())
            m_releaser.join();
        else
            m_release.release(m_threads);
        // The semaphores go with this object: every holder must have let go of them.
        QThreadPool::globalInstance()->waitForDone();
    }

private:
    QSemaphore m_started;
    QSemaphore m_release;
    int m_threads = 0;
    std::thread m_releaser;
};

} // namespace Demagora::Testing
