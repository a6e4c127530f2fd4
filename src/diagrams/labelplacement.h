#pragma once

#include <QColor>
#include <QPoint>
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

// Where each label, tried in the order given, is drawn: the index of the first of its places
// that overlaps neither a label already placed nor an obstacle, or -1 where none is free.
std::vector<int> labelPlaces(
    const std::vector<std::vector<LabelBox>> &places, const std::vector<LabelBox> &obstacles);

// The labels of one panel when they are drawn without a background box: collected while the
// lines and symbols are drawn, then drawn over them all, in the order added, each moved
// inside the panel where it would reach over an edge, skipping overlapping ones. A label may be
// given several places, tried in order, and the panel boxes that no label may cover.
class PanelLabels
{
public:
    explicit PanelLabels(PanelCanvas &canvas)
        : m_canvas(canvas)
    { }

    // A text with its top-left corner at (x, y) in panel pixels.
    void add(int x, int y, const QString &text, const QColor &colour);
    // A text that may stand with its top-left corner at any of the places, the first free one
    // taken.
    void add(std::vector<QPoint> places, const QString &text, const QColor &colour);
    // A box in panel pixels that no label covers: a symbol, a word drawn already.
    void avoid(const LabelBox &box);
    void draw();

private:
    struct Label
    {
        std::vector<QPoint> places;
        QString text;
        QColor colour;
    };
    PanelCanvas &m_canvas;
    std::vector<Label> m_labels;
    std::vector<LabelBox> m_obstacles;
};

} // namespace Demagora
