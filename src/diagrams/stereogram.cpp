#include "diagrams/stereogram.h"

#include "diagrams/diagramscales.h"
#include "diagrams/labelplacement.h"
#include "diagrams/panelcanvas.h"
#include "diagrams/symbolpainter.h"
#include "diagrams/tracecache.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);

void paintEqualAreaNet(PanelCanvas &canvas, const NetGeometry &net)
{
    const QPointF origin = canvas.origin();
    QPainter &painter = canvas.painter();
    const PanelCanvas::Clip clip(canvas);
    const QPointF centre = origin + QPointF(net.centre(), net.centre());
    const double radius = net.radius();
    painter.setBrush(canvas.faceColour());
    painter.setPen(QPen(Black, 1));
    painter.drawEllipse(centre, radius, radius);
    // Dotted circles of inclination 30 and 60 degrees.
    painter.setPen(QPen(Black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    for (const double inclination : { 30.0, 60.0 }) {
        const double r = radius * std::sqrt(1 - std::sin(inclination * std::numbers::pi / 180));
        painter.drawEllipse(centre, r, r);
    }
    // Declination ticks every 10 degrees, longer at the four directions.
    painter.setPen(QPen(Black, 1));
    for (int declination = 0; declination < 360; declination += 10) {
        const double a = declination * std::numbers::pi / 180;
        const QPointF out(std::sin(a), -std::cos(a));
        const double length = declination % 90 == 0 ? 7 : 4;
        painter.drawLine(centre + out * radius, centre + out * (radius - length));
    }
    painter.drawLine(centre + QPointF(-4, 0), centre + QPointF(4, 0));
    painter.drawLine(centre + QPointF(0, -4), centre + QPointF(0, 4));
    // The four directions inside the circle, past the end of their ticks.
    const QFontMetrics metrics(painter.font());
    const int c = net.centre();
    const int inner = static_cast<int>(radius) - 9;
    const int middle = metrics.ascent() / 2;
    canvas.text(c - metrics.horizontalAdvance(QStringLiteral("N")) / 2, c - inner,
        QStringLiteral("N"), Black, false);
    canvas.text(c + inner - metrics.horizontalAdvance(QStringLiteral("E")), c - middle - 2,
        QStringLiteral("E"), Black, false);
    canvas.text(c - metrics.horizontalAdvance(QStringLiteral("S")) / 2,
        c + inner - metrics.ascent() - 2, QStringLiteral("S"), Black, false);
    canvas.text(c - inner, c - middle - 2, QStringLiteral("W"), Black, false);
}

} // namespace

void paintNet(PanelCanvas &canvas, const NetGeometry &net)
{
    if (net.kind == NetKind::EqualArea) {
        paintEqualAreaNet(canvas, net);
        return;
    }
    const int s = canvas.size();
    const QPointF origin = canvas.origin();
    QPainter &painter = canvas.painter();
    const PanelCanvas::Clip clip(canvas);
    painter.setPen(QPen(Black, 1, Qt::DotLine));
    painter.setBrush(canvas.faceColour());
    // Largest first: each smaller disc covers the inside of the one before, leaving its
    // outline.
    for (int i = 0; i <= 8; ++i) {
        const int r = netCircleInset(net, i);
        painter.drawEllipse(QRectF(origin.x() + r, origin.y() + r, s - 2 * r, s - 2 * r));
    }
    const int half = s / 2;
    painter.setBrush(Black);
    painter.drawEllipse(QRectF(origin.x() + half - 3, origin.y() + half - 3, 6, 6));
    painter.setBrush(Qt::NoBrush);
}

void paintNetWords(PanelCanvas &canvas, const NetGeometry &net, PanelLabels *labels)
{
    // The equal-area net carries its own direction letters and no inclination numbers.
    if (net.kind == NetKind::EqualArea)
        return;
    const int s = canvas.size();
    const int half = s / 2;
    const int m = net.margin;
    const auto text = [&](int x, int y, const QString &word) {
        if (labels)
            labels->add(x, y, word, Blue);
        else
            canvas.text(x, y, word, Blue);
    };
    // With edge room the words step aside from the symbols on the outer circle.
    const QFontMetrics metrics(canvas.painter().font());
    text(0, m == 0 ? half : half - metrics.height(), QStringLiteral("West"));
    text(m == 0 ? half : half + 5, 0, QStringLiteral("North"));
    text(m == 0 ? half : half + 5, s - 15, QStringLiteral("South"));
    for (int i = 0; i <= 8; ++i) {
        const int x = m == 0 ? s - static_cast<int>(std::floor(i * s / 18.0)) - 10
                             : s - m - static_cast<int>(std::floor(i * (s - 2 * m) / 18.0)) - 10;
        text(x, half, QString::number(10 * i));
    }
}

void paintResultStereogram(PanelCanvas &canvas, const ResultSeries &series, int first, int last,
    std::int32_t stereoPointCount, const DiagramViewState &state, PanelLabels *clearLabels,
    const std::atomic<bool> *cancelled, TraceCache *cache)
{
    const NetGeometry net = netGeometry(canvas.size(), state.options);
    paintNet(canvas, net);
    if (series.empty())
        return;
    // Every resulting vector is sampled at the steps of the first one: they share one run.
    const std::int64_t stepCount = static_cast<std::int64_t>(series.front().size());
    const std::int64_t q = stereoSamplingStep(stepCount, stereoPointCount);
    const int lastIndex = static_cast<int>(series.size()) - 1;
    std::size_t symbolCount = 0;
    for (int p = first; p <= last; ++p)
        symbolCount += series[std::size_t(p)].size() / std::size_t(q);
    SymbolPainter symbols(canvas, state.options.hemisphereByFill, symbolCount >= 1'000'000);
    // Adds the symbols of member p to sink, each through sink.add(centre, down).
    const auto trace = [&](int p, auto &sink) {
        const ResultSeriesEntry &steps = series[p];
        const std::int64_t end = std::min(stepCount - 1, std::int64_t(steps.size()));
        // A block of steps is placed first, then drawn: the placements do not wait for each
        // other, so the processor works on several at once.
        constexpr std::int64_t Block = 16;
        std::array<std::optional<PixelPoint>, Block> quick;
        std::array<double, Block> lengths {};
        for (std::int64_t first = 0; first < end; first += Block * q) {
            const std::int64_t count = std::min(Block, (end - first + q - 1) / q);
            for (std::int64_t j = 0; j < count; ++j)
                lengths[j] = steps[first + j * q].Length();
            for (std::int64_t j = 0; j < count; ++j) {
                const TResultVectors &step = steps[first + j * q];
                quick[j] = quickNetPosition(net, step.X, step.Y, step.Z, lengths[j]);
            }
            for (std::int64_t j = 0; j < count; ++j) {
                const std::int64_t i = first + j * q;
                const TResultVectors &step = steps[i];
                const double length = lengths[j];
                if (length == 0)
                    return;
                // The hemisphere is the sign of the inclination, which its sine has.
                const bool down = !(length > 0) || step.Z / length >= 0;
                std::optional<PixelPoint> centre = quick[j];
                if (!centre) {
                    centre = netPosition(
                        net, step.X, step.Y, TResultVectors::InclinationOf(step.Z, length), length);
                }
                // The projection divides by the length: a blown-up quotient ends this vector.
                if (!centre)
                    return;
                sink.add(*centre, down);
                if (p != lastIndex)
                    continue;
                const std::optional<std::int64_t> label = labelValue(i, step.Temperature, state);
                if (label && isLabelled(*label, state)) {
                    if (clearLabels) {
                        // Black labels would vanish among black symbols.
                        clearLabels->add(centre->x, centre->y, QString::number(*label),
                            state.options.hemisphereByFill ? Blue : Black);
                    } else {
                        symbols.flush();
                        canvas.text(centre->x, centre->y, QString::number(*label), Black);
                    }
                }
            }
        }
    };
    // No label comes between the symbols before the last vector's: they are found on every
    // core, the last vector's here, label by label.
    const int unlabelled = last == lastIndex ? last : last + 1;
    const TraceCache::Key key { canvas.size(), static_cast<double>(q), first, unlabelled,
        state.options };
    const bool complete = drawTracedInOrder(
        symbols, cache, key, static_cast<std::size_t>(std::max(unlabelled - first, 0)),
        [&](std::size_t item, SymbolRecord &into) {
            SymbolRecorder sink { into };
            trace(first + static_cast<int>(item), sink);
        },
        cancelled);
    if (!complete)
        return;
    if (unlabelled <= last)
        trace(lastIndex, symbols);
}

void paintInitialStereogram(PanelCanvas &canvas, const InitialDirections &directions, int first,
    int last, const DiagramOptions &options)
{
    const NetGeometry net = netGeometry(canvas.size(), options);
    paintNet(canvas, net);
    std::size_t memberCount = 0;
    for (const std::vector<MemberDirection> &members : directions)
        memberCount += members.size();
    // Places cost a bit per pixel of the panel: worth it for large populations.
    SymbolPainter symbols(canvas, options.hemisphereByFill, memberCount >= 100'000);
    for (const std::vector<MemberDirection> &members : directions) {
        for (int m = first; m <= last && m < static_cast<int>(members.size()); ++m) {
            const MemberDirection &d = members[m];
            const std::optional<PixelPoint> centre
                = netPosition(net, d.north, d.east, d.inclination, d.remaining);
            // A member with nothing left at the start (height 0) has no direction to show;
            // like a division by zero it ends this population.
            if (!centre)
                break;
            symbols.add(*centre, d.inclination >= 0);
        }
    }
}

void setDrawnMembersTemperature(
    ComponentPopulations &populations, int first, int last, std::int32_t runLowTemp)
{
    for (Population &population : populations) {
        for (int m = first; m <= last && m < static_cast<int>(population.size()); ++m)
            population[m].SetTemperature(runLowTemp);
    }
}

} // namespace Demagora
