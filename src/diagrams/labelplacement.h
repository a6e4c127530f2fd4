#pragma once

#include <QColor>
#include <QString>

#include <vector>

namespace Demagora {

class PanelCanvas;

// A label's box in panel pixels.
struct LabelBox
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// Which labels, tried in the order given, are drawn: each one that overlaps a label already
// drawn is left out. Boxes that only touch do not overlap.
std::vector<bool> labelsToDraw(const std::vector<LabelBox> &boxes);

// The labels of one panel when they are drawn without a background box: collected while the
// lines and symbols are drawn, then drawn over them all, in the order added, each moved
// inside the panel where it would reach over an edge, skipping overlapping ones.
class PanelLabels
{
public:
    explicit PanelLabels(PanelCanvas &canvas)
        : m_canvas(canvas)
    { }

    // A text with its top-left corner at (x, y) in panel pixels.
    void add(int x, int y, const QString &text, const QColor &colour);
    void draw();

private:
    struct Label
    {
        int x = 0;
        int y = 0;
        QString text;
        QColor colour;
    };
    PanelCanvas &m_canvas;
    std::vector<Label> m_labels;
};

} // namespace Demagora
