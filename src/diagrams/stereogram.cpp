#include "diagrams/stereogram.h"

#include "diagrams/diagramscales.h"
#include "diagrams/panelcanvas.h"

#include <QPainter>

#include <cmath>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

void paintSymbol(PanelCanvas &canvas, const QPointF &origin, PixelPoint centre, double inclination)
{
    const QColor colour = inclination >= 0 ? Red : Green;
    QPainter &painter = canvas.painter();
    painter.setPen(colour);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(origin.x() + centre.x - 2, origin.y() + centre.y - 2, 4, 4));
}

} // namespace

void paintNet(PanelCanvas &canvas)
{
    const int s = canvas.size();
    const QPointF origin = canvas.origin();
    QPainter &painter = canvas.painter();
    painter.setPen(QPen(Black, 1, Qt::DotLine));
    painter.setBrush(canvas.faceColour());
    // Largest first: each smaller disc covers the inside of the one before, leaving its
    // outline.
    for (int i = 0; i <= 8; ++i) {
        const int r = netCircleInset(i, s);
        painter.drawEllipse(QRectF(origin.x() + r, origin.y() + r, s - 2 * r, s - 2 * r));
    }
    const int half = s / 2;
    painter.setBrush(Black);
    painter.drawEllipse(QRectF(origin.x() + half - 3, origin.y() + half - 3, 6, 6));
    painter.setBrush(Qt::NoBrush);
}

void paintNetWords(PanelCanvas &canvas)
{
    const int s = canvas.size();
    const int half = s / 2;
    for (int i = 0; i <= 8; ++i) {
        const int x = s - static_cast<int>(std::floor(i * s / 18.0)) - 10;
        canvas.text(x, half, QString::number(10 * i), Blue);
    }
    canvas.text(0, half, QStringLiteral("West"), Blue);
    canvas.text(half, 0, QStringLiteral("North"), Blue);
    canvas.text(half, s - 15, QStringLiteral("South"), Blue);
}

void paintResultStereogram(PanelCanvas &canvas, const ResultSeries &series, int first, int last,
    std::int32_t stereoPointCount, const DiagramViewState &state)
{
    paintNet(canvas);
    if (series.empty())
        return;
    const QPointF origin = canvas.origin();
    // Every resulting vector is sampled at the steps of the first one: they share one run.
    const std::int64_t stepCount = static_cast<std::int64_t>(series.front().size());
    const std::int64_t q = stereoSamplingStep(stepCount, stereoPointCount);
    const int lastIndex = static_cast<int>(series.size()) - 1;
    for (int p = first; p <= last; ++p) {
        const ResultSeriesEntry &steps = series[p];
        for (std::int64_t i = 0; i < stepCount - 1 && i < std::int64_t(steps.size()); i += q) {
            const TResultVectors &step = steps[i];
            const double length = step.Length();
            if (length == 0)
                break;
            const double inclination = step.Inclination();
            const std::optional<PixelPoint> centre
                = stereoPosition(step.X, step.Y, inclination, length, canvas.size());
            // The projection divides by the length: a blown-up quotient ends this vector.
            if (!centre)
                break;
            paintSymbol(canvas, origin, *centre, inclination);
            if (p == lastIndex && isLabelled(i, state))
                canvas.text(centre->x, centre->y, QString::number(i), Black);
        }
    }
}

void paintInitialStereogram(PanelCanvas &canvas, const ComponentPopulations &populations, int first,
    int last, std::int32_t runLowTemp)
{
    paintNet(canvas);
    const QPointF origin = canvas.origin();
    for (const Population &population : populations) {
        for (int m = first; m <= last && m < static_cast<int>(population.size()); ++m) {
            TVector member = population[m];
            member.SetTemperature(runLowTemp);
            const double remaining = member.Remaining(runLowTemp);
            const std::optional<PixelPoint> centre = stereoPosition(
                member.GetX(), member.GetY(), member.Inclination, remaining, canvas.size());
            // A member with nothing left at the start (height 0) has no direction to show;
            // like a division by zero it ends this population.
            if (!centre)
                break;
            paintSymbol(canvas, origin, *centre, member.Inclination);
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
