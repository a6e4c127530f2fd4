#include "diagrams/backgroundpicture.h"

#include <QPainter>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace Demagora {

struct BackgroundPicture::Job
{
    QSize size;
    qreal ratio = 1;
    DiagramViewState state;
    QImage image;
    std::atomic<bool> cancelled { false };
    std::mutex mutex;
    std::condition_variable ended;
    bool running = true;
    bool drawn = false; // the image is finished and not cancelled

    bool hasEnded()
    {
        const std::lock_guard lock(mutex);
        return !running;
    }

    void waitUntilEnded()
    {
        std::unique_lock lock(mutex);
        ended.wait(lock, [this] { return !running; });
    }
};

BackgroundPicture::BackgroundPicture(const DiagramRenderer &renderer, QObject *parent)
    : QObject(parent)
    , m_renderer(renderer)
{
    connect(this, &BackgroundPicture::drawingEnded, this, &BackgroundPicture::collect,
        Qt::QueuedConnection);
}

BackgroundPicture::~BackgroundPicture()
{
    abandon();
    for (const std::shared_ptr<Job> &job : m_abandoned)
        job->waitUntilEnded();
}

const QImage *BackgroundPicture::picture(
    const QSize &size, qreal devicePixelRatio, const DiagramViewState &state)
{
    if (m_haveImage && m_imageSize == size && m_imageRatio == devicePixelRatio
        && m_imageState == state)
        return &m_image;
    if (!m_job || m_job->size != size || m_job->ratio != devicePixelRatio
        || !(m_job->state == state))
        start(size, devicePixelRatio, state);
    return nullptr;
}

namespace {

// A drawing waiting for a worker of the pool. The workers take their drawings from this
// queue under its lock instead of from captured data: that lock orders what the window wrote
// before the drawing, also for tools that do not see inside the pool (ThreadSanitizer).
struct PendingDrawing
{
    BackgroundPicture *owner = nullptr;
    std::shared_ptr<BackgroundPicture::Job> job;
    const DiagramRenderer *renderer = nullptr;
};

std::mutex g_pendingMutex;
std::deque<PendingDrawing> g_pending;

} // namespace

void BackgroundPicture::start(
    const QSize &size, qreal devicePixelRatio, const DiagramViewState &state)
{
    abandon();
    std::erase_if(m_abandoned, [](const std::shared_ptr<Job> &old) { return old->hasEnded(); });
    auto job = std::make_shared<Job>();
    job->size = size;
    job->ratio = devicePixelRatio;
    job->state = state;
    m_job = job;
    {
        const std::lock_guard lock(g_pendingMutex);
        g_pending.push_back({ this, job, &m_renderer });
    }
    // One task per queued drawing; whichever task runs first takes the oldest.
    QThreadPool::globalInstance()->start([] { drawPending(); });
}

void BackgroundPicture::drawPending()
{
    PendingDrawing drawing;
    {
        const std::lock_guard lock(g_pendingMutex);
        drawing = std::move(g_pending.front());
        g_pending.pop_front();
    }
    Job &job = *drawing.job;
    // The same format as the picture files, so that the image is the one the renderer
    // paints anywhere else.
    QImage image(job.size * job.ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(job.ratio);
    {
        QPainter painter(&image);
        drawing.renderer->paint(
            painter, QRectF(QPointF(0, 0), QSizeF(job.size)), job.state, &job.cancelled);
    }
    const bool drawn = !job.cancelled.load();
    {
        const std::lock_guard lock(job.mutex);
        if (drawn) {
            job.image = std::move(image);
            job.drawn = true;
        }
    }
    // Delivered on the window's thread by the queued connection made there; the owner
    // outlives the call, because its destructor waits for the worker below.
    if (drawn)
        emit drawing.owner->drawingEnded();
    const std::lock_guard lock(job.mutex);
    job.running = false;
    job.ended.notify_all();
}

void BackgroundPicture::abandon()
{
    if (!m_job)
        return;
    m_job->cancelled.store(true);
    m_abandoned.push_back(std::move(m_job));
    m_job.reset();
}

void BackgroundPicture::collect()
{
    // Only the drawing under way counts: an abandoned one is stale, a newer one is wanted.
    if (!m_job)
        return;
    {
        const std::lock_guard lock(m_job->mutex);
        if (!m_job->drawn)
            return;
        m_image = std::move(m_job->image);
    }
    m_imageSize = m_job->size;
    m_imageRatio = m_job->ratio;
    m_imageState = m_job->state;
    m_haveImage = true;
    m_job.reset();
    emit pictureReady();
}

} // namespace Demagora
