#include "diagrams/stereogram.h"

#include "diagrams/diagramscales.h"
#include "diagrams/panelcanvas.h"

#include <QPainter>

#include <cmath>
#include <optional>
#include <unordered_set>
#include <vector>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

// Draws the symbols of one stereogram. A run of hundreds of steps puts many symbols on the
// same pixel. Between two labels only symbols of one size are drawn, so each pixel shows the
// last symbol that covers it; drawing only the last of every equal symbol (same place, same
// colour), in order, therefore gives the same picture at a fraction of the cost.
class SymbolPainter
{
public:
    explicit SymbolPainter(PanelCanvas &canvas)
        : m_canvas(canvas)
        , m_painter(canvas.painter())
        , m_origin(canvas.origin())
    { }
    ~SymbolPainter() { flush(); }

    void add(PixelPoint centre, double inclination)
    {
        m_pending.push_back({ centre, inclination >= 0 });
    }

    // Draws what was added; call before anything else is drawn over the symbols.
    void flush()
    {
        m_seen.clear();
        m_drawn.clear();
        for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it) {
            const std::uint64_t key = (std::uint64_t(std::uint32_t(it->centre.x)) << 33)
                | (std::uint64_t(std::uint32_t(it->centre.y)) << 1) | (it->down ? 1 : 0);
            if (m_seen.insert(key).second)
                m_drawn.push_back(*it);
        }
        m_pending.clear();
        const PanelCanvas::Clip clip(m_canvas);
        std::optional<bool> down;
        for (auto it = m_drawn.rbegin(); it != m_drawn.rend(); ++it) {
            if (down != it->down) {
                const QColor colour = it->down ? Red : Green;
                m_painter.setPen(colour);
                m_painter.setBrush(colour);
                down = it->down;
            }
            m_painter.drawEllipse(
                QRectF(m_origin.x() + it->centre.x - 2, m_origin.y() + it->centre.y - 2, 4, 4));
        }
    }

private:
    struct Symbol
    {
        PixelPoint centre;
        bool down;
    };
    PanelCanvas &m_canvas;
    QPainter &m_painter;
    QPointF m_origin;
    std::vector<Symbol> m_pending;
    std::vector<Symbol> m_drawn;
    std::unordered_set<std::uint64_t> m_seen;
};

} // namespace

void paintNet(PanelCanvas &canvas)
{
    const int s = canvas.size();
    const QPointF origin = canvas.origin();
    QPainter &painter = canvas.painter();
    const PanelCanvas::Clip clip(canvas);
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
    // Every resulting vector is sampled at the steps of the first one: they share one run.
    const std::int64_t stepCount = static_cast<std::int64_t>(series.front().size());
    const std::int64_t q = stereoSamplingStep(stepCount, stereoPointCount);
    const int lastIndex = static_cast<int>(series.size()) - 1;
    SymbolPainter symbols(canvas);
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
            symbols.add(*centre, inclination);
            if (p == lastIndex && isLabelled(i, state)) {
                symbols.flush();
                canvas.text(centre->x, centre->y, QString::number(i), Black);
            }
        }
    }
}

InitialDirections initialDirections(
    const ComponentPopulations &populations, std::int32_t runLowTemp)
{
    InitialDirections directions;
    directions.reserve(populations.size());
    for (const Population &population : populations) {
        std::vector<MemberDirection> &members = directions.emplace_back();
        members.reserve(population.size());
        for (TVector member : population) {
            member.SetTemperature(runLowTemp);
            members.push_back(
                { member.GetX(), member.GetY(), member.Inclination, member.Remaining(runLowTemp) });
        }
    }
    return directions;
}

void paintInitialStereogram(
    PanelCanvas &canvas, const InitialDirections &directions, int first, int last)
{
    paintNet(canvas);
    SymbolPainter symbols(canvas);
    for (const std::vector<MemberDirection> &members : directions) {
        for (int m = first; m <= last && m < static_cast<int>(members.size()); ++m) {
            const MemberDirection &d = members[m];
            const std::optional<PixelPoint> centre
                = stereoPosition(d.north, d.east, d.inclination, d.remaining, canvas.size());
            // A member with nothing left at the start (height 0) has no direction to show;
            // like a division by zero it ends this population.
            if (!centre)
                break;
            symbols.add(*centre, d.inclination);
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
