#include "diagrams/backgroundpicture.h"

#include <QPainter>

#include <atomic>
#include <stop_token>

namespace Demagora {

BackgroundPicture::BackgroundPicture(const DiagramRenderer &renderer, QObject *parent)
    : QObject(parent)
    , m_renderer(renderer)
{
    connect(&m_job, &BackgroundJob::finished, this, &BackgroundPicture::collect);
}

const QImage *BackgroundPicture::picture(
    const QSize &size, qreal devicePixelRatio, const DiagramViewState &state)
{
    const Request request { size, devicePixelRatio, state };
    if (m_imageRequest && *m_imageRequest == request)
        return &m_image;
    if (!m_job.isRunning()) {
        start(request);
    } else if (!(m_drawing == request) || m_job.stopRequested()) {
        // Drawn once the drawing under way, stopped now, has ended.
        m_wanted = request;
        m_job.requestStop();
    }
    return nullptr;
}

void BackgroundPicture::start(const Request &request)
{
    m_drawing = request;
    m_wanted.reset();
    m_job.start([this, request](std::stop_token stop) {
        std::atomic<bool> cancelled { false };
        const std::stop_callback onStop(stop, [&cancelled] { cancelled.store(true); });
        // The same format as the picture files, so that the image is the one the renderer
        // paints anywhere else.
        QImage image(request.size * request.ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(request.ratio);
        {
            QPainter painter(&image);
            m_renderer.paint(painter, QRectF(QPointF(0, 0), QSizeF(request.size)), request.state,
                &cancelled);
        }
        if (!cancelled.load())
            m_drawn = std::move(image);
    });
}

void BackgroundPicture::collect()
{
    // A stopped drawing is stale: the newest request is drawn instead.
    if (!m_job.stopRequested() && !m_drawn.isNull()) {
        m_image = std::move(m_drawn);
        m_imageRequest = m_drawing;
    }
    m_drawn = QImage();
    if (m_wanted && !(m_imageRequest && *m_imageRequest == *m_wanted)) {
        start(*m_wanted);
        return;
    }
    m_wanted.reset();
    emit pictureReady();
}

} // namespace Demagora
