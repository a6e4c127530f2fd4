#include "diagrams/intensitypanel.h"

#include "diagrams/decaycurve.h"
#include "diagrams/labelplacement.h"
#include "diagrams/netprojection.h"
#include "diagrams/orderedlines.h"
#include "diagrams/panelcanvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);

// Whole-degree bound of a blocking temperature; empty where the loop over the curve's
// degrees could not run (not finite, or beyond any temperature a run can cover).
std::optional<std::int64_t> wholeDegrees(double t)
{
    if (!std::isfinite(t) || std::fabs(t) > 2.0e9)
        return std::nullopt;
    return static_cast<std::int64_t>(std::floor(t));
}

// One population's blocking spectrum dJ/dT, with the temperature labels under it.
void paintSpectrumCurve(PanelCanvas &canvas, const TVector &component, const DiagramScales &scales,
    const DiagramViewState &state, PanelLabels *clearLabels)
{
    const std::optional<std::int64_t> t0 = wholeDegrees(component.BlockLow);
    const std::optional<std::int64_t> t1 = wholeDegrees(component.BlockHigh);
    if (!t0 || !t1)
        return;
    const int s = scales.boxSize;
    const bool rectangular = component.Shape != SpectrumShape::Gauss;
    auto xAt
        = [&](std::int64_t t) { return floorPixel(static_cast<double>(t) * scales.tempScale); };
    auto yAt = [&](std::int64_t t) { return spectrumY(component, t, s, scales.heightScale); };

    // In the order of the degrees: each label stands over the curve up to its degree, and the
    // degrees after it are drawn over the label.
    OrderedLines curve(canvas, 2);
    std::optional<int> xPrev = xAt(*t0 - 1);
    std::optional<int> yPrev = yAt(*t0);
    // Where the next continued line starts: the end of the last line drawn.
    std::optional<QPointF> pen;
    if (rectangular && xPrev && yPrev) {
        curve.add(Black, QLineF(*xPrev, *yPrev, *xPrev, s));
        pen = QPointF(*xPrev, s);
    }
    for (std::int64_t t = *t0; t <= *t1; ++t) {
        const std::optional<int> x = xAt(t);
        const std::optional<int> y = yAt(t);
        if (x && y && xPrev && yPrev) {
            curve.add(Black, QLineF(*x, *y, *xPrev, *yPrev));
            pen = QPointF(*xPrev, *yPrev);
        } else {
            pen.reset();
        }
        if (x && isLabelled(t, state)) {
            const int left = *x + 20 > s ? s - 20 : (*x - 10 < 0 ? 0 : *x - 10);
            if (clearLabels) {
                clearLabels->add(left, s - 20, QString::number(t), Black);
            } else {
                curve.flush();
                canvas.text(left, s - 20, QString::number(t), Black);
            }
        }
        xPrev = x;
        yPrev = y;
    }
    if (rectangular && pen) {
        if (const std::optional<int> xEnd = xAt(*t1))
            curve.add(Black, QLineF(*pen, QPointF(*xEnd, s)));
    }
}

void paintTicks(PanelCanvas &canvas, const DiagramScales &scales, const DiagramViewState &state)
{
    const int s = canvas.size();
    canvas.setPen(Black, 1);
    const std::optional<std::int64_t> interval
        = state.showTemperatures ? state.labelInterval : std::nullopt;
    for (const int x : spectrumTicks(s, scales.tempScale, interval))
        canvas.line(x, s, x, s - 10);
}

// The decay curves J/J0 of the resulting vectors in the place of the spectra.
void paintDecayPanel(PanelCanvas &canvas, const ResultSeries &series, int first, int last,
    const DiagramViewState &state, const std::atomic<bool> *cancelled)
{
    if (series.empty() || series.front().empty())
        return;
    const auto stopped
        = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    // The axis reaches the highest J/J0 of the drawn curves.
    double highest = 1;
    for (int p = first; p <= last && !stopped(); ++p) {
        if (const std::optional<double> ratio = largestRatio(series[std::size_t(p)]))
            highest = std::max(highest, *ratio);
    }
    const RatioAxis ratios = ratioAxis(highest);
    const int s = canvas.size();
    const int margin = edgeMargin(s, state.options);
    const QFontMetrics metrics(canvas.painter().font());
    // The run's temperatures, shared by every resulting vector.
    const ResultSeriesEntry &run = series.front();
    const int leftRoom = metrics.horizontalAdvance(QStringLiteral("0.5")) + 6;
    const int numberRoom = metrics.horizontalAdvance(QStringLiteral("0000")) + 8;
    const int maxTicks = std::max(2, (s - 2 * margin - leftRoom) / std::max(1, numberRoom));
    const TemperatureAxis axis
        = temperatureAxis(run.front().Temperature, run.back().Temperature, maxTicks);
    const std::vector<double> ticks = axis.ticks();
    const int rightRoom
        = ticks.empty() ? 0 : metrics.horizontalAdvance(QString::number(ticks.back())) / 2 + 1;
    DecayFrame frame = decayFrame(s, margin, leftRoom, metrics.height() + 5, rightRoom, axis);
    frame.ratioTop = ratios.top;

    canvas.setPen(Black, 1);
    canvas.line(frame.left, frame.top, frame.left, frame.bottom);
    canvas.line(frame.left, frame.bottom, frame.right, frame.bottom);
    // The numbers stand outside the plot area: no box, never over each other.
    PanelLabels numbers(canvas);
    for (const double t : ticks) {
        if (const std::optional<int> x = decayX(frame, t)) {
            canvas.line(*x, frame.bottom, *x, frame.bottom + 4);
            const QString text = QString::number(t);
            numbers.add(*x - metrics.horizontalAdvance(text) / 2, frame.bottom + 5, text, Black);
        }
    }
    for (const double ratio : ratios.ticks()) {
        if (const std::optional<int> y = decayY(frame, ratio)) {
            canvas.line(frame.left - 4, *y, frame.left, *y);
            const QString text = QString::number(ratio);
            numbers.add(frame.left - 6 - metrics.horizontalAdvance(text), *y - metrics.height() / 2,
                text, Black);
        }
    }

    OrderedLines curve(canvas, first == last ? 2 : 1);
    for (int p = first; p <= last; ++p) {
        if (stopped()) {
            curve.abandon();
            return;
        }
        const ResultSeriesEntry &steps = series[std::size_t(p)];
        // Each curve relative to its own first step, the NRM.
        const double first = steps.front().Length();
        if (!decayRatio(first, first))
            continue;
        curve.startPath();
        std::optional<QPointF> previous;
        for (const TResultVectors &step : steps) {
            const std::optional<double> ratio = decayRatio(step.Length(), first);
            const std::optional<int> x = decayX(frame, step.Temperature);
            const std::optional<int> y = ratio ? decayY(frame, *ratio) : std::nullopt;
            const std::optional<QPointF> point
                = x && y ? std::optional<QPointF>(QPointF(*x, *y)) : std::nullopt;
            if (point && previous)
                curve.add(Black, QLineF(*previous, *point));
            previous = point;
        }
    }
    curve.flush();
    numbers.draw();
}

} // namespace

void paintIntensityAxes(PanelCanvas &canvas, const DiagramOptions &options)
{
    if (options.panel != IntensityPanel::Spectra)
        return;
    const int s = canvas.size();
    canvas.setPen(Black, 1);
    canvas.line(0, 0, 0, s);
    canvas.line(0, s - 1, s, s - 1);
}

void paintIntensityPanel(PanelCanvas &canvas, const ResultSeries &series,
    const ComponentPopulations &populations, const DiagramScales &scales, int first, int last,
    const DiagramViewState &state, PanelLabels *clearLabels, const std::atomic<bool> *cancelled)
{
    if (state.options.panel != IntensityPanel::Spectra) {
        paintDecayPanel(canvas, series, first, last, state, cancelled);
        return;
    }
    for (const Population &population : populations) {
        if (!population.empty())
            paintSpectrumCurve(canvas, population.front(), scales, state, clearLabels);
    }
    paintTicks(canvas, scales, state);
}

void paintIntensityTitles(PanelCanvas &spectrum, const DiagramOptions &options, PanelLabels *labels)
{
    const auto word = [&](int x, int y, const QString &text) {
        if (labels)
            labels->add(x, y, text, Black);
        else
            spectrum.text(x, y, text, Black);
    };
    const int s = spectrum.size();
    const QFontMetrics metrics(spectrum.painter().font());
    const auto atRight = [&](const QString &text) {
        word(s - metrics.horizontalAdvance(text) - std::max(edgeMargin(s, options), 4), 0, text);
    };
    if (options.panel == IntensityPanel::Spectra) {
        word(5, 0, QStringLiteral("dJ/dT"));
        atRight(QStringLiteral("T in \u00B0C"));
    } else {
        atRight(QStringLiteral("J/J0, T in \u00B0C"));
    }
}

void paintIntensityLegend(PanelCanvas &canvas, const DiagramOptions &options, PanelLabels *labels)
{
    // With axis titles the panel's title stands anyway.
    if (options.axisTitles)
        return;
    const auto word = [&](int x, int y, const QString &text) {
        if (labels)
            labels->add(x, y, text, Black);
        else
            canvas.text(x, y, text, Black);
    };
    if (options.panel == IntensityPanel::Spectra) {
        word(5, 0, QStringLiteral("dJ/dT"));
    } else {
        const int s = canvas.size();
        const QString title = QStringLiteral("J/J0");
        const int width = QFontMetrics(canvas.painter().font()).horizontalAdvance(title);
        word(s - width - std::max(edgeMargin(s, options), 4), 0, title);
    }
}

} // namespace Demagora
