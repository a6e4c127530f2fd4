#include "diagrams/specimenpicture.h"

#include <QActionGroup>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <tuple>
#include <utility>
#include <vector>

namespace Demagora {

SpecimenPicture::SpecimenPicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SpecimenPicture"));
    setMinimumSize(320, 340);
}

void SpecimenPicture::setDiagram(SpecimenDiagram diagram)
{
    m_diagram = std::move(diagram);
    m_diagram.setProjection(m_projection);
    update();
}

void SpecimenPicture::setProjection(VerticalProjection projection)
{
    m_projection = projection;
    m_diagram.setProjection(projection);
    update();
}

QMenu *SpecimenPicture::projectionMenu(QWidget *parent)
{
    auto *menu = new QMenu(QStringLiteral("Vertical projection"), parent);
    auto *group = new QActionGroup(menu);
    std::vector<std::pair<VerticalProjection, QAction *>> actions;
    for (const auto &[choice, name, text] :
        { std::tuple { VerticalProjection::North, "act_projectionNorth", "North - down" },
            std::tuple { VerticalProjection::East, "act_projectionEast", "East - down" },
            std::tuple { VerticalProjection::Both, "act_projectionBoth", "Both" } }) {
        QAction *action = menu->addAction(QString::fromLatin1(text));
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        action->setChecked(choice == m_projection);
        group->addAction(action);
        connect(action, &QAction::triggered, this,
            [this, projection = choice] { setProjection(projection); });
        actions.push_back({ choice, action });
    }
    // The choice may have been set without the menu.
    connect(menu, &QMenu::aboutToShow, menu, [this, actions] {
        for (const auto &[choice, action] : actions)
            action->setChecked(choice == m_projection);
    });
    return menu;
}

void SpecimenPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_diagram.paint(painter, rect());
    if (m_pressedAt && (*m_pressedAt - m_dragTo).manhattanLength() > 3) {
        painter.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
        painter.drawRect(QRect(*m_pressedAt, m_dragTo).normalized());
    }
}

void SpecimenPicture::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedAt = event->position().toPoint();
    m_dragTo = *m_pressedAt;
}

void SpecimenPicture::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressedAt)
        return;
    m_dragTo = event->position().toPoint();
    update();
}

void SpecimenPicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressedAt || event->button() != Qt::LeftButton)
        return;
    const QPoint from = *m_pressedAt;
    const QPoint to = event->position().toPoint();
    m_pressedAt.reset();
    update();
    const bool add = event->modifiers() & Qt::ControlModifier;
    if ((from - to).manhattanLength() > 3) {
        emit stepsChosen(m_diagram.stepsIn(rect(), QRectF(from, to)), add);
        return;
    }
    if (const std::optional<int> step = m_diagram.stepAt(rect(), to, 6))
        emit stepsChosen({ *step }, add);
    else if (!add)
        emit stepsChosen({}, false);
}

} // namespace Demagora
