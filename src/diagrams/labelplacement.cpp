#include "diagrams/labelplacement.h"

#include "diagrams/panelcanvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace Demagora {

namespace {

bool overlap(const LabelBox &a, const LabelBox &b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height
        && b.top < a.top + a.height;
}

// Digits of two labels side by side would read as one number: a label keeps this much room
// around it.
constexpr double LabelGap = 2;

} // namespace

std::vector<bool> labelsToDraw(const std::vector<LabelBox> &boxes)
{
    std::vector<std::vector<LabelBox>> places;
    places.reserve(boxes.size());
    for (const LabelBox &box : boxes)
        places.push_back({ box });
    const std::vector<int> chosen = labelPlaces(places, {});
    std::vector<bool> drawn(boxes.size(), false);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        drawn[i] = chosen[i] >= 0;
    return drawn;
}

std::vector<int> labelPlaces(
    const std::vector<std::vector<LabelBox>> &places, const std::vector<LabelBox> &obstacles)
{
    std::vector<int> chosen(places.size(), -1);
    std::vector<LabelBox> taken = obstacles;
    const auto free = [&taken](const LabelBox &box) {
        return std::none_of(taken.begin(), taken.end(),
            [&box](const LabelBox &other) { return overlap(box, other); });
    };
    for (std::size_t i = 0; i < places.size(); ++i) {
        for (std::size_t k = 0; k < places[i].size(); ++k) {
            if (free(places[i][k])) {
                taken.push_back(places[i][k]);
                chosen[i] = int(k);
                break;
            }
        }
    }
    return chosen;
}

void PanelLabels::add(int x, int y, const QString &text, const QColor &colour)
{
    m_labels.push_back({ { QPoint(x, y) }, text, colour });
}

void PanelLabels::add(std::vector<QPoint> places, const QString &text, const QColor &colour)
{
    m_labels.push_back({ std::move(places), text, colour });
}

void PanelLabels::avoid(const LabelBox &box)
{
    m_obstacles.push_back(box);
}

void PanelLabels::draw()
{
    const QFontMetrics metrics(m_canvas.painter().font());
    std::vector<std::vector<LabelBox>> boxes;
    boxes.reserve(m_labels.size());
    // The box as the digits fill it, with the gap around it; the font's height includes
    // room above and below the digits that neighbouring labels may share.
    const int size = m_canvas.size();
    for (Label &label : m_labels) {
        const int width = metrics.horizontalAdvance(label.text);
        const QRect ink = metrics.tightBoundingRect(label.text);
        std::vector<LabelBox> &places = boxes.emplace_back();
        for (QPoint &place : label.places) {
            // A label that would reach over the panel's edge moves inside, whole.
            place.setX(std::clamp(place.x(), 0, std::max(0, size - width)));
            place.setY(std::clamp(place.y(), 0, std::max(0, size - metrics.height())));
            places.push_back(
                { place.x() - LabelGap, place.y() + metrics.ascent() + ink.top() - LabelGap,
                    width + 2 * LabelGap, ink.height() + 2 * LabelGap });
        }
    }
    const std::vector<int> chosen = labelPlaces(boxes, m_obstacles);
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        if (chosen[i] >= 0) {
            const QPoint at = m_labels[i].places[std::size_t(chosen[i])];
            m_canvas.haloText(at.x(), at.y(), m_labels[i].text, m_labels[i].colour);
        }
    }
    m_labels.clear();
    m_obstacles.clear();
}

} // namespace Demagora
