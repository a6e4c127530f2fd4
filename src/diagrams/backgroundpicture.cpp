#include "diagrams/backgroundpicture.h"

#include <QMetaObject>
#include <QPainter>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
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
{ }

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
    const DiagramRenderer *renderer = &m_renderer;
    QThreadPool::globalInstance()->start([this, job, renderer] {
        // The same format as the picture files, so that the image is the one the renderer
        // paints anywhere else.
        QImage image(job->size * job->ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(job->ratio);
        {
            QPainter painter(&image);
            renderer->paint(
                painter, QRectF(QPointF(0, 0), QSizeF(job->size)), job->state, &job->cancelled);
        }
        if (!job->cancelled.load()) {
            job->image = std::move(image);
            // Delivered on the window's thread; this object outlives the call, because its
            // destructor waits for the worker below.
            QMetaObject::invokeMethod(
                this, [this, job] { finish(job); }, Qt::QueuedConnection);
        }
        const std::lock_guard lock(job->mutex);
        job->running = false;
        job->ended.notify_all();
    });
}

void BackgroundPicture::abandon()
{
    if (!m_job)
        return;
    m_job->cancelled.store(true);
    m_abandoned.push_back(std::move(m_job));
    m_job.reset();
}

void BackgroundPicture::finish(const std::shared_ptr<Job> &job)
{
    // A drawing that was cancelled after it ended is stale: a newer one is under way.
    if (job != m_job)
        return;
    m_image = std::move(job->image);
    m_imageSize = job->size;
    m_imageRatio = job->ratio;
    m_imageState = job->state;
    m_haveImage = true;
    m_job.reset();
    emit pictureReady();
}

} // namespace Demagora
