#pragma once

#include "diagrams/specimendiagram.h"

#include <QPoint>
#include <QWidget>

#include <optional>
#include <vector>

class QMenu;

namespace Demagora {

// The specimen picture in the specimens window. A click on a step of the vector diagram
// chooses it (Ctrl adds it to the choice or takes it out); dragging a rectangle chooses the
// steps inside it. The vertical projection of its vector diagram is the picture's own choice,
// kept for every specimen shown.
class SpecimenPicture : public QWidget
{
    Q_OBJECT

public:
    explicit SpecimenPicture(QWidget *parent = nullptr);

    void setDiagram(SpecimenDiagram diagram);
    const SpecimenDiagram &diagram() const { return m_diagram; }

    VerticalProjection projection() const { return m_projection; }
    void setProjection(VerticalProjection projection);
    // "Vertical projection": north-down, east-down or both, as the diagram window offers them.
    QMenu *projectionMenu(QWidget *parent);

    QSize sizeHint() const override { return { 640, 660 }; }

signals:
    // The steps chosen with the mouse; add is set when they join the current choice.
    void stepsChosen(const std::vector<int> &steps, bool add);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    SpecimenDiagram m_diagram { SpecimenDiagramData {} };
    VerticalProjection m_projection = VerticalProjection::North;
    std::optional<QPoint> m_pressedAt;
    QPoint m_dragTo;
};

} // namespace Demagora
