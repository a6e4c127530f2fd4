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
    std::vector<bool> drawn(boxes.size(), false);
    std::vector<LabelBox> placed;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        bool free = true;
        for (const LabelBox &other : placed) {
            if (overlap(boxes[i], other)) {
                free = false;
                break;
            }
        }
        if (free) {
            placed.push_back(boxes[i]);
            drawn[i] = true;
        }
    }
    return drawn;
}

void PanelLabels::add(int x, int y, const QString &text, const QColor &colour)
{
    m_labels.push_back({ x, y, text, colour });
}

void PanelLabels::draw()
{
    const QFontMetrics metrics(m_canvas.painter().font());
    std::vector<LabelBox> boxes;
    boxes.reserve(m_labels.size());
    // The box as the digits fill it, with the gap around it; the font's height includes
    // room above and below the digits that neighbouring labels may share.
    const int size = m_canvas.size();
    for (Label &label : m_labels) {
        // A label that would reach over the panel's edge moves inside, whole.
        label.x = std::clamp(label.x, 0, std::max(0, size - metrics.horizontalAdvance(label.text)));
        label.y = std::clamp(label.y, 0, std::max(0, size - metrics.height()));
        const QRect ink = metrics.tightBoundingRect(label.text);
        boxes.push_back({ label.x - LabelGap, label.y + metrics.ascent() + ink.top() - LabelGap,
            metrics.horizontalAdvance(label.text) + 2 * LabelGap, ink.height() + 2 * LabelGap });
    }
    const std::vector<bool> drawn = labelsToDraw(boxes);
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        if (drawn[i])
            m_canvas.haloText(m_labels[i].x, m_labels[i].y, m_labels[i].text, m_labels[i].colour);
    }
    m_labels.clear();
}

} // namespace Demagora
