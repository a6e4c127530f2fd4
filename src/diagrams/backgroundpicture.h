#pragma once

#include "diagrams/diagramrenderer.h"
#include "diagrams/diagramviewstate.h"
#include "prompts/backgroundjob.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <optional>

namespace Demagora {

// The diagram picture of a large run, drawn into an image on a BackgroundJob so that the
// diagram window stays responsive. A request for another size or state stops the drawing
// under way, which ends at its next check, and the newest request is drawn once it has; the
// window shows the finished image once pictureReady is emitted.
class BackgroundPicture : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundPicture(const DiagramRenderer &renderer, QObject *parent = nullptr);
    // Stops the drawing under way and waits for it to let go of the run, which it does at its
    // next check, within a few milliseconds.
    ~BackgroundPicture() override = default;

    // The finished picture of size and state, or nullptr while it is being drawn: the first
    // call for a new size or state asks for its drawing, stopping an older one.
    // The image has devicePixelRatio times as many pixels each way, as the window's own.
    const QImage *picture(const QSize &size, qreal devicePixelRatio, const DiagramViewState &state);
    // The last finished picture, whatever its size and state; null before the first.
    const QImage &lastPicture() const { return m_image; }
    bool isBusy() const { return m_job.isRunning() || m_wanted.has_value(); }

signals:
    void pictureReady();

private:
    struct Request
    {
        QSize size;
        qreal ratio = 1;
        DiagramViewState state;
        bool operator==(const Request &other) const
        {
            return size == other.size && ratio == other.ratio && state == other.state;
        }
    };

    void start(const Request &request);
    void collect();

    const DiagramRenderer &m_renderer;
    // The drawing under way, and the newest request waiting for it to end.
    Request m_drawing;
    std::optional<Request> m_wanted;
    QImage m_drawn; // written by the job, read once it has ended
    QImage m_image;
    std::optional<Request> m_imageRequest;
    // Last, so that it goes first: the drawing it runs reads the renderer and writes m_drawn.
    BackgroundJob m_job;
};

} // namespace Demagora
