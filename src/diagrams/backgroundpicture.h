#pragma once

#include "diagrams/diagramrenderer.h"
#include "diagrams/diagramviewstate.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <memory>
#include <vector>

namespace Demagora {

// The diagram picture of a large run, drawn into an image on a worker thread so that the
// diagram window stays responsive. A request for another size or state cancels the drawing
// under way; the window shows the finished image once pictureReady is emitted.
class BackgroundPicture : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundPicture(const DiagramRenderer &renderer, QObject *parent = nullptr);
    // Cancels the drawings under way and waits for their workers to let go of the run, which
    // they do at their next check, within a few milliseconds.
    ~BackgroundPicture() override;

    // The finished picture of size and state, or nullptr while it is being drawn: the first
    // call for a new size or state starts the drawing and cancels an older one without
    // waiting for it.
    // The image has devicePixelRatio times as many pixels each way, as the window's own.
    const QImage *picture(const QSize &size, qreal devicePixelRatio, const DiagramViewState &state);
    // The last finished picture, whatever its size and state; null before the first.
    const QImage &lastPicture() const { return m_image; }
    bool isBusy() const { return m_job != nullptr; }

    struct Job;

signals:
    void pictureReady();
    // From a worker: a drawing has ended; collect() looks whether it is the current one.
    void drawingEnded();

private:
    static void drawPending();
    void start(const QSize &size, qreal devicePixelRatio, const DiagramViewState &state);
    // Cancels the current drawing; its worker ends on its own.
    void abandon();
    void collect();

    const DiagramRenderer &m_renderer;
    std::shared_ptr<Job> m_job;
    std::vector<std::shared_ptr<Job>> m_abandoned;
    QImage m_image;
    QSize m_imageSize;
    qreal m_imageRatio = 1;
    DiagramViewState m_imageState;
    bool m_haveImage = false;
};

} // namespace Demagora
