#include "diagrams/vectordiagram.h"

#include "diagrams/labelplacement.h"
#include "diagrams/netprojection.h"
#include "diagrams/orderedlines.h"
#include "diagrams/panelcanvas.h"
#include "diagrams/tracecache.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

// From this many points on, the segments of a picture get places of their own.
constexpr std::size_t PlacesFromPoints = 1'000'000;

} // namespace

void paintVectorAxes(PanelCanvas &canvas)
{
    const int s = canvas.size();
    const int half = s / 2;
    canvas.setPen(Black, 1);
    canvas.line(half, 0, half, s);
    canvas.line(0, half, s, half);
}

void paintVectorDiagram(PanelCanvas &canvas, const ResultSeries &series,
    const DiagramScales &scales, int first, int last, const DiagramViewState &state,
    PanelLabels *clearLabels, const std::atomic<bool> *cancelled, TraceCache *cache)
{
    const int lastIndex = static_cast<int>(series.size()) - 1;
    std::size_t pointCount = 0;
    for (int p = first; p <= last; ++p)
        pointCount += series[static_cast<std::size_t>(p)].size();
    const VerticalPlanes planes = verticalPlanes(state.options.projection);
    const bool northDown = planes.northDown;
    const bool eastDown = planes.eastDown;
    const QColor eastColour = planes.both() ? eastBesideNorthColour() : Red;
    const auto stopped
        = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    // Step by step: the blue segment, the red one, then the labels of the step.
    OrderedLines lines(canvas, 2,
        pointCount >= PlacesFromPoints ? SegmentPlaces::forPanel(canvas.size()) : SegmentPlaces {});
    const std::uint32_t blue = lines.colour(Blue);
    const std::uint32_t red = lines.colour(Red);
    const std::uint32_t east = lines.colour(eastColour);
    // Traces the path of member p into sink; false when cancelled on the way.
    const auto trace = [&](int p, auto &sink) {
        const ResultSeriesEntry &steps = series[p];
        // Each step's pixels serve as the end of one segment and the start of the next. They
        // are found a block of steps at a time: the steps do not wait for each other there.
        constexpr std::size_t Block = 32;
        std::array<StepPixels, Block + 1> block;
        const double scale = scales.vectorScale;
        const int boxSize = scales.boxSize;
        if (!steps.empty())
            block[Block] = stepPixels(steps[0], scale, boxSize);
        for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
            const std::size_t j = i % Block;
            if (j == 0) {
                if (i % 65536 == 0 && i > 0 && stopped())
                    return false;
                block[0] = block[Block];
                const std::size_t count = std::min(Block, steps.size() - 1 - i);
                for (std::size_t k = 1; k <= count; ++k)
                    block[k] = stepPixels(steps[i + k], scale, boxSize);
            }
            // A step that has lost all its magnetization ends the path: what follows it
            // carries no direction to follow.
            if (block[j].zero)
                break;
            const std::optional<int> x0 = block[j].x, y0 = block[j].y, z0 = block[j].z;
            const std::optional<int> x1 = block[j + 1].x, y1 = block[j + 1].y, z1 = block[j + 1].z;
            if (x0 && x1 && y0 && y1)
                sink.add(blue, *x0, *y0, *x1, *y1);
            if (northDown && x0 && x1 && z0 && z1)
                sink.add(red, *x0, *z0, *x1, *z1);
            if (eastDown && y0 && y1 && z0 && z1)
                sink.add(east, *y0, *z0, *y1, *z1);
            if (p != lastIndex || !x0 || !y0 || !z0)
                continue;
            const std::optional<std::int64_t> label
                = labelValue(static_cast<std::int64_t>(i), steps[i].Temperature, state);
            if (label && isLabelled(*label, state)) {
                const QString text = QString::number(*label);
                std::vector<std::pair<QPoint, QColor>> places { { { *x0, *y0 }, Blue } };
                if (northDown)
                    places.push_back({ { *x0, *z0 }, Red });
                if (eastDown)
                    places.push_back({ { *y0, *z0 }, eastColour });
                if (!clearLabels)
                    lines.flush();
                for (const auto &[at, colour] : places) {
                    if (clearLabels)
                        clearLabels->add(at.x(), at.y(), text, colour);
                    else
                        canvas.text(at.x(), at.y(), text, colour);
                }
            }
        }
        return true;
    };
    // No label comes between the paths before the last vector's: they are traced on every
    // core, the last one here, label by label.
    const int unlabelled = last == lastIndex ? last : last + 1;
    const TraceCache::Key key { scales.boxSize, scales.vectorScale, first, unlabelled,
        state.options };
    const bool complete = drawTracedInOrder(
        lines, cache, key, static_cast<std::size_t>(std::max(unlabelled - first, 0)),
        [&](std::size_t item, SegmentRecord &into) {
            PathRecorder path { into };
            trace(first + static_cast<int>(item), path);
        },
        cancelled);
    if (complete && unlabelled <= last && !trace(lastIndex, lines))
        lines.abandon();
}

void paintVectorLegend(PanelCanvas &canvas, const DiagramOptions &options, PanelLabels *labels)
{
    const auto word = [&](int x, int y, const QString &text, const QColor &colour) {
        if (labels)
            labels->add(x, y, text, colour);
        else
            canvas.text(x, y, text, colour);
    };
    const int s = canvas.size();
    const int half = s / 2;
    word(half, 0, QStringLiteral("West"), Blue);
    word(half, 20, QStringLiteral("Up"), Red);
    word(s - 30, half, QStringLiteral("North"), Blue);
    word(half, s - 35, QStringLiteral("East"), Blue);
    word(half, s - 15, QStringLiteral("Down"), Red);
    word(0, half, QStringLiteral("South"), Blue);
    const VerticalPlanes planes = verticalPlanes(options.projection);
    if (planes.eastDown) {
        // The east-down projection's own horizontal axis, under the words of the north one.
        const QColor colour = planes.both() ? eastBesideNorthColour() : Red;
        const int below = half + QFontMetrics(canvas.painter().font()).height();
        word(s - 30, below, QStringLiteral("East"), colour);
        word(0, below, QStringLiteral("West"), colour);
    }
}

} // namespace Demagora
