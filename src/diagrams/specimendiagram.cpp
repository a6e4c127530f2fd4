#include "diagrams/specimendiagram.h"

#include "diagrams/decaycurve.h"
#include "diagrams/labelplacement.h"
#include "diagrams/netprojection.h"
#include "diagrams/panelcanvas.h"
#include "diagrams/vectordiagram.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace Demagora {

namespace {

const QColor Face(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Grey(150, 150, 150);
const QColor Blue(0, 0, 200);
const QColor Highlight(230, 120, 0);
const QColor BadGrey(160, 160, 160);
constexpr double Pi = 3.14159265358979323846;
constexpr int SymbolRadius = 3;

// The vector diagram's mapping: north to the right, east and down downward (east to the right
// on the east-down plane), one scale for every projection, the origin and every point inside
// the panel.
struct VectorFrame
{
    double scale = 0;
    double originX = 0;
    double originY = 0;
    VerticalPlanes planes;

    QPointF horizontal(const Vector3 &v) const
    {
        return { originX + v.x * scale, originY + v.y * scale };
    }
    QPointF northDown(const Vector3 &v) const
    {
        return { originX + v.x * scale, originY + v.z * scale };
    }
    QPointF eastDown(const Vector3 &v) const
    {
        return { originX + v.y * scale, originY + v.z * scale };
    }
    // Where a vector is drawn: on the horizontal plane, then on each vertical plane shown.
    std::vector<QPointF> places(const Vector3 &v) const
    {
        std::vector<QPointF> points { horizontal(v) };
        if (planes.northDown)
            points.push_back(northDown(v));
        if (planes.eastDown)
            points.push_back(eastDown(v));
        return points;
    }
};

VectorFrame vectorFrame(const SpecimenDiagramData &data, double size)
{
    VectorFrame frame;
    frame.planes = verticalPlanes(data.options.projection);
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    const auto take = [&](const Vector3 &v) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return;
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        if (frame.planes.eastDown) {
            minX = std::min(minX, v.y);
            maxX = std::max(maxX, v.y);
        }
        minY = std::min({ minY, v.y, v.z });
        maxY = std::max({ maxY, v.y, v.z });
    };
    for (const SpecimenDiagramStep &step : data.steps)
        take(step.moment);
    for (const SpecimenDiagramLine &line : data.lines) {
        take(line.from);
        take(line.to);
    }
    for (const SpecimenDiagramPath &path : data.paths) {
        for (const SpecimenDiagramStep &point : path.points)
            take(point.moment);
    }
    const double margin = 28;
    const double room = std::max(1.0, size - 2 * margin);
    const double extent = std::max(maxX - minX, maxY - minY);
    frame.scale = extent > 0 && std::isfinite(extent) ? room / extent : 0;
    // Centre the data's box in the panel.
    frame.originX = size / 2 - (minX + maxX) / 2 * frame.scale;
    frame.originY = size / 2 - (minY + maxY) / 2 * frame.scale;
    return frame;
}

void symbol(PanelCanvas &canvas, QPointF centre, bool filled, QColor colour)
{
    QPainter &painter = canvas.painter();
    painter.setPen(QPen(colour, 1));
    painter.setBrush(filled ? QBrush(colour) : QBrush(canvas.faceColour()));
    painter.drawEllipse(canvas.origin() + centre, SymbolRadius, SymbolRadius);
    painter.setBrush(Qt::NoBrush);
}

// A step's colour: chosen, bad or as its panel draws it.
QColor stepColour(const SpecimenDiagramStep &step, QColor colour)
{
    return step.selected ? Highlight : step.bad ? BadGrey : colour;
}

QString levelText(double level)
{
    return QString::number(level, 'g', 6);
}

LabelBox textBox(const QFontMetrics &metrics, int x, int y, const QString &text)
{
    return { double(x), double(y), double(metrics.horizontalAdvance(text)),
        double(metrics.height()) };
}

bool overlaps(const QRectF &box, const LabelBox &other)
{
    return box.intersects(QRectF(other.left, other.top, other.width, other.height));
}

bool crosses(const QRectF &box, const QLineF &line)
{
    if (box.contains(line.p1()) || box.contains(line.p2()))
        return true;
    const QLineF edges[]
        = { { box.topLeft(), box.topRight() }, { box.topRight(), box.bottomRight() },
              { box.bottomRight(), box.bottomLeft() }, { box.bottomLeft(), box.topLeft() } };
    return std::any_of(std::begin(edges), std::end(edges), [&](const QLineF &edge) {
        return line.intersects(edge, nullptr) == QLineF::BoundedIntersection;
    });
}

// The text of a scale's value: the number, and the unit where one is given.
QString scaleText(double value, const QString &unit)
{
    const QString number = QString::number(value);
    return unit.isEmpty() ? number : number + QLatin1Char(' ') + unit;
}

// What the vector diagram has drawn: texts, symbols and lines, which the scale and the step
// labels keep clear of.
struct VectorContents
{
    std::vector<LabelBox> words;
    std::vector<QPointF> symbols;
    std::vector<QLineF> lines;
};

// A bar of a round length, a quarter of the panel at most, with its value above it, at the
// bottom or top edge where it covers the fewest symbols and lines and no word (a corner where
// several are free); it joins the words.
void paintVectorScale(
    PanelCanvas &canvas, const VectorFrame &frame, const QString &unit, VectorContents &contents)
{
    const int s = canvas.size();
    const std::optional<double> value
        = frame.scale > 0 ? roundScaleValue(s / 4.0 / frame.scale) : std::nullopt;
    if (!value)
        return;
    const double length = *value * frame.scale;
    const QFontMetrics metrics(canvas.painter().font());
    const QString text = scaleText(*value, unit);
    const QSizeF size(
        std::max(length, double(metrics.horizontalAdvance(text))) + 2, metrics.height() + 6);
    const double margin = 4;
    // Along the bottom edge, then the top one: the corners first, then places between them.
    const double free = std::max(0.0, s - 2 * margin - size.width());
    std::vector<QPointF> places;
    for (const double y : { s - margin - size.height(), margin }) {
        for (const double share : { 0.0, 1.0, 0.25, 0.75, 0.5 })
            places.push_back({ margin + share * free, y });
    }
    QRectF best;
    int fewest = std::numeric_limits<int>::max();
    for (const QPointF &place : places) {
        const QRectF box(place, size);
        const double near = SymbolRadius + 2;
        const QRectF reach = box.adjusted(-near, -near, near, near);
        int covered = 0;
        for (const LabelBox &word : contents.words)
            covered += overlaps(box, word) ? 1000 : 0;
        for (const QPointF &symbol : contents.symbols)
            covered += reach.contains(symbol) ? 2 : 0;
        for (const QLineF &line : contents.lines)
            covered += crosses(box, line) ? 1 : 0;
        if (covered < fewest) {
            fewest = covered;
            best = box;
        }
    }
    const double y = best.bottom() - 2;
    canvas.setPen(Black, 1);
    canvas.line(best.left(), y, best.left() + length, y);
    canvas.line(best.left(), y - 4, best.left(), y);
    canvas.line(best.left() + length, y - 4, best.left() + length, y);
    canvas.haloText(int(best.left()), int(best.top()), text, Black);
    contents.words.push_back({ best.left(), best.top(), best.width(), best.height() });
}

void paintVectors(PanelCanvas &canvas, const SpecimenDiagramData &data)
{
    const int s = canvas.size();
    const VectorFrame frame = vectorFrame(data, s);
    const PanelCanvas::Clip clip(canvas);
    canvas.setPen(Grey, 1);
    canvas.line(0, frame.originY, s, frame.originY);
    canvas.line(frame.originX, 0, frame.originX, s);
    VectorContents contents;
    const QFontMetrics metrics(canvas.painter().font());
    const auto word = [&](int x, int y, const QString &text, QColor colour) {
        canvas.text(x, y, text, colour, false);
        contents.words.push_back(textBox(metrics, x, y, text));
    };
    const bool both = frame.planes.both();
    const QColor eastColour = both ? eastBesideNorthColour() : Black;
    const QString north = data.specimenAxes ? QStringLiteral("x") : QStringLiteral("N");
    word(s - metrics.horizontalAdvance(north) - 2, int(frame.originY) + 2, north, Blue);
    if (frame.planes.eastDown) {
        // The east-down plane's own horizontal axis, under the word of the north one.
        const QString east = data.specimenAxes ? QStringLiteral("y") : QStringLiteral("E");
        word(s - metrics.horizontalAdvance(east) - 2, int(frame.originY) + 2 + metrics.height(),
            east, both ? eastColour : Blue);
    }
    // The words of the vertical axis stand beside it, on the side where they fit.
    const QString down = data.specimenAxes ? QStringLiteral("y, z") : QStringLiteral("E, Down");
    const QString up = data.specimenAxes ? QStringLiteral("-y, -z") : QStringLiteral("W, Up");
    const int wordWidth = std::max(metrics.horizontalAdvance(down), metrics.horizontalAdvance(up));
    const int wordX = frame.originX + 3 + wordWidth > s ? int(frame.originX) - 3 - wordWidth
                                                        : int(frame.originX) + 3;
    word(wordX, s - metrics.height(), down, Blue);
    word(wordX, 0, up, Blue);

    // The planes drawn: the horizontal one with filled symbols, the vertical ones with open
    // symbols, the east-down one in its own colour beside the north-down one.
    struct Plane
    {
        QPointF (VectorFrame::*place)(const Vector3 &) const;
        bool filled;
        bool eastDown;
    };
    std::vector<Plane> planes { { &VectorFrame::horizontal, true, false } };
    if (frame.planes.northDown)
        planes.push_back({ &VectorFrame::northDown, false, false });
    if (frame.planes.eastDown)
        planes.push_back({ &VectorFrame::eastDown, false, true });
    const auto segment = [&](const QLineF &line) {
        canvas.line(line.x1(), line.y1(), line.x2(), line.y2());
        contents.lines.push_back(line);
    };
    const auto drawPath
        = [&](const std::vector<SpecimenDiagramStep> &points, QColor colour, bool steps) {
              for (const Plane &plane : planes) {
                  const QColor c = steps && plane.eastDown ? eastColour : colour;
                  canvas.setPen(c, 1);
                  for (std::size_t i = 1; i < points.size(); ++i)
                      segment({ (frame.*plane.place)(points[i - 1].moment),
                          (frame.*plane.place)(points[i].moment) });
                  if (!steps)
                      continue;
                  for (const SpecimenDiagramStep &point : points) {
                      const QPointF p = (frame.*plane.place)(point.moment);
                      symbol(canvas, p, plane.filled && !point.bad, stepColour(point, c));
                      contents.symbols.push_back(p);
                  }
              }
          };
    for (const SpecimenDiagramPath &path : data.paths)
        drawPath(path.points, path.colour, false);
    drawPath(data.steps, Black, true);
    for (const SpecimenDiagramLine &line : data.lines) {
        canvas.setPen(line.colour, 2);
        for (const Plane &plane : planes)
            segment({ (frame.*plane.place)(line.from), (frame.*plane.place)(line.to) });
    }
    paintVectorScale(canvas, frame, data.momentUnit, contents);

    // Each step's label beside its symbol on the horizontal plane, on the first side where it
    // covers no other label, symbol or word; left out where none is free.
    PanelLabels labels(canvas);
    for (const LabelBox &box : contents.words)
        labels.avoid(box);
    for (const QPointF &p : contents.symbols)
        labels.avoid(
            { p.x() - SymbolRadius, p.y() - SymbolRadius, 2.0 * SymbolRadius, 2.0 * SymbolRadius });
    const QRect digits = metrics.tightBoundingRect(QStringLiteral("0123456789"));
    const int inkTop = metrics.ascent() + digits.top();
    const int gap = SymbolRadius + 3;
    for (const SpecimenDiagramStep &step : data.steps) {
        const QPointF p = frame.horizontal(step.moment);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !QRectF(0, 0, s, s).contains(p))
            continue;
        const QString text = levelText(step.level);
        const int x = int(p.x()), y = int(p.y());
        const int right = x + gap;
        const int left = x - gap - metrics.horizontalAdvance(text);
        const int above = y - gap - inkTop - digits.height() + 2;
        const int middle = y - inkTop - digits.height() / 2;
        const int below = y + gap - inkTop - 2;
        labels.add({ { right, above }, { right, middle }, { right, below }, { left, above },
                       { left, middle }, { left, below } },
            text, Black);
    }
    labels.draw();
}

// The frame of a panel plotted against the level, with both axes and the level's ticks; the
// numbers go to numbers, drawn last.
DecayFrame levelFrame(
    PanelCanvas &canvas, double low, double high, int leftRoom, PanelLabels &numbers)
{
    const int s = canvas.size();
    const QFontMetrics metrics(canvas.painter().font());
    const int numberRoom = metrics.horizontalAdvance(QStringLiteral("0000")) + 8;
    const TemperatureAxis axis
        = temperatureAxis(low, high, std::max(2, (s - std::max(leftRoom, 20)) / numberRoom));
    const DecayFrame frame = decayFrame(s, 4, leftRoom, metrics.height() + 5, 12, axis);
    canvas.setPen(Black, 1);
    canvas.line(frame.left, frame.top, frame.left, frame.bottom);
    canvas.line(frame.left, frame.bottom, frame.right, frame.bottom);
    for (const double t : axis.ticks()) {
        if (const std::optional<int> x = decayX(frame, t)) {
            canvas.line(*x, frame.bottom, *x, frame.bottom + 4);
            const QString text = QString::number(t);
            numbers.add(*x - metrics.horizontalAdvance(text) / 2, frame.bottom + 5, text, Black);
        }
    }
    return frame;
}

void paintLosses(PanelCanvas &canvas, const SpecimenDiagramData &data)
{
    const QFontMetrics metrics(canvas.painter().font());
    const std::vector<StepLoss> losses = stepLosses(data.steps);
    double low = data.steps.empty() ? 0 : data.steps.front().level;
    double high = data.steps.empty() ? 1 : data.steps.back().level;
    double largest = 0;
    for (const StepLoss &loss : losses)
        largest = std::max(largest, loss.perLevel);
    for (const SpecimenDiagramSpectrum &spectrum : data.spectra) {
        for (std::size_t i = 0; i < spectrum.levels.size(); ++i) {
            low = std::min(low, spectrum.levels[i]);
            high = std::max(high, spectrum.levels[i]);
            if (std::isfinite(spectrum.values[i]))
                largest = std::max(largest, spectrum.values[i]);
        }
    }
    if (!(high > low))
        high = low + 1;
    // The highest bar stops below the title; the scale is a tick at the largest round value
    // the axis holds.
    const double top = largest / 0.9;
    const std::optional<double> tick = roundScaleValue(top);
    const QString tickText = tick ? QString::number(*tick) : QString();
    PanelLabels numbers(canvas);
    const DecayFrame frame = levelFrame(
        canvas, low, high, tick ? metrics.horizontalAdvance(tickText) + 6 : 8, numbers);
    QString title = QStringLiteral("|\u0394M|/\u0394")
        + (data.levelUnit == "mT" ? QStringLiteral("B") : QStringLiteral("T"));
    if (!data.momentUnit.isEmpty())
        title += QStringLiteral("  (%1/%2)").arg(data.momentUnit, data.levelUnit);
    canvas.text(frame.left + 4, 0, title, Black, false);
    if (!tick)
        return;
    largest = top;
    if (const std::optional<int> y = decayY(frame, *tick / largest)) {
        canvas.setPen(Black, 1);
        canvas.line(frame.left - 4, *y, frame.left, *y);
        numbers.add(frame.left - 6 - metrics.horizontalAdvance(tickText), *y - metrics.height() / 2,
            tickText, Black);
    }
    QPainter &painter = canvas.painter();
    for (const StepLoss &loss : losses) {
        const std::optional<int> x0 = decayX(frame, loss.fromLevel);
        const std::optional<int> x1 = decayX(frame, loss.toLevel);
        const std::optional<int> y = decayY(frame, loss.perLevel / largest);
        if (!x0 || !x1 || !y)
            continue;
        const QRectF bar(
            canvas.origin() + QPointF(*x0, *y), canvas.origin() + QPointF(*x1, frame.bottom));
        painter.fillRect(bar, QColor(180, 190, 215));
        painter.setPen(QPen(Grey, 1));
        painter.drawRect(bar);
    }
    for (const SpecimenDiagramSpectrum &spectrum : data.spectra) {
        canvas.setPen(spectrum.colour, 2);
        std::optional<QPointF> previous;
        for (std::size_t i = 0; i < spectrum.levels.size(); ++i) {
            const std::optional<int> x = decayX(frame, spectrum.levels[i]);
            const std::optional<int> y = decayY(frame, spectrum.values[i] / largest);
            const std::optional<QPointF> point
                = x && y ? std::optional<QPointF>(QPointF(*x, *y)) : std::nullopt;
            if (point && previous)
                canvas.line(previous->x(), previous->y(), point->x(), point->y());
            previous = point;
        }
    }
    numbers.draw();
}

QPointF netPoint(const NetGeometry &net, const Vector3 &v)
{
    const NetPoint p = equalAreaPoint(v.x, v.y, inclinationOf(v));
    return { net.centre() + p.east * net.radius(), net.centre() - p.north * net.radius() };
}

// Points of the circle of the given angular radius about a direction, in order.
std::vector<Vector3> circleAbout(const Vector3 &axis, double radiusDegrees)
{
    const double length = norm(axis);
    if (!(length > 0))
        return {};
    const Vector3 a { axis.x / length, axis.y / length, axis.z / length };
    // Two unit vectors perpendicular to the axis and to each other.
    Vector3 u = std::abs(a.z) < 0.9 ? Vector3 { -a.y, a.x, 0 }
                                             : Vector3 { 0, -a.z, a.y };
    const double ul = norm(u);
    u = { u.x / ul, u.y / ul, u.z / ul };
    const Vector3 w { a.y * u.z - a.z * u.y, a.z * u.x - a.x * u.z,
        a.x * u.y - a.y * u.x };
    const double r = radiusDegrees * Pi / 180;
    std::vector<Vector3> points;
    for (int i = 0; i <= 180; ++i) {
        const double t = 2 * Pi * i / 180;
        const double c = std::cos(r), sr = std::sin(r) * std::cos(t),
                     sw = std::sin(r) * std::sin(t);
        points.push_back({ c * a.x + sr * u.x + sw * w.x,
            c * a.y + sr * u.y + sw * w.y, c * a.z + sr * u.z + sw * w.z });
    }
    return points;
}

void paintCircle(PanelCanvas &canvas, const NetGeometry &net,
    const std::vector<Vector3> &points, QColor colour)
{
    for (std::size_t i = 1; i < points.size(); ++i) {
        const bool lower = points[i].z >= 0 && points[i - 1].z >= 0;
        const bool upper = points[i].z <= 0 && points[i - 1].z <= 0;
        if (!lower && !upper)
            continue;
        canvas.setPen(colour, 1, lower ? Qt::SolidLine : Qt::DashLine);
        const QPointF a = netPoint(net, points[i - 1]);
        const QPointF b = netPoint(net, points[i]);
        canvas.line(a.x(), a.y(), b.x(), b.y());
    }
}

// The means named, in the top left corner: a dot of each one's colour before its name.
void paintConeLegend(
    PanelCanvas &canvas, const QString &heading, const std::vector<SpecimenDiagramCone> &cones)
{
    const QFontMetrics metrics(canvas.painter().font());
    int y = 0;
    for (const SpecimenDiagramCone &cone : cones) {
        if (cone.name.isEmpty())
            continue;
        if (y == 0) {
            canvas.haloText(2, y, heading, Black);
            y += metrics.height();
        }
        symbol(canvas, QPointF(2 + SymbolRadius, y + metrics.height() / 2.0), true, cone.colour);
        canvas.haloText(4 + 2 * SymbolRadius + 3, y, cone.name, Black);
        y += metrics.height();
    }
}

void paintStereogram(PanelCanvas &canvas, const SpecimenDiagramData &data)
{
    DiagramOptions options = data.options;
    options.net = NetKind::EqualArea;
    options.edgeRoom = true;
    const NetGeometry net = netGeometry(canvas.size(), options);
    QPainter &painter = canvas.painter();
    painter.setPen(QPen(Black, 1));
    const QPointF centre = canvas.origin() + QPointF(net.centre(), net.centre());
    painter.drawEllipse(centre, net.radius(), net.radius());
    for (int d = 0; d < 360; d += 90) {
        const double a = d * Pi / 180;
        const QPointF outer(std::sin(a) * net.radius(), -std::cos(a) * net.radius());
        painter.drawLine(centre + outer, centre + outer * 0.95);
    }
    const QFontMetrics metrics(painter.font());
    const QString north = data.specimenAxes ? QStringLiteral("x") : QStringLiteral("N");
    canvas.text(net.centre() - metrics.horizontalAdvance(north) / 2, 0, north, Blue, false);
    painter.drawLine(centre + QPointF(-4, 0), centre + QPointF(4, 0));
    painter.drawLine(centre + QPointF(0, -4), centre + QPointF(0, 4));

    for (const SpecimenDiagramPlane &plane : data.planes)
        paintCircle(canvas, net, circleAbout(plane.pole, 90), plane.colour);
    for (const SpecimenDiagramCone &cone : data.cones) {
        paintCircle(canvas, net, circleAbout(cone.direction, cone.alpha95Degrees), cone.colour);
        symbol(canvas, netPoint(net, cone.direction), cone.direction.z >= 0, cone.colour);
    }
    canvas.setPen(Grey, 1);
    for (std::size_t i = 1; i < data.steps.size(); ++i) {
        const QPointF a = netPoint(net, data.steps[i - 1].moment);
        const QPointF b = netPoint(net, data.steps[i].moment);
        canvas.line(a.x(), a.y(), b.x(), b.y());
    }
    for (const SpecimenDiagramStep &step : data.steps) {
        if (norm(step.moment) > 0)
            symbol(canvas, netPoint(net, step.moment), step.moment.z >= 0 && !step.bad,
                stepColour(step, Black));
    }
    for (const SpecimenDiagramLine &line : data.lines) {
        const Vector3 d { line.from.x - line.to.x, line.from.y - line.to.y,
            line.from.z - line.to.z };
        if (norm(d) > 0) {
            const QPointF p = netPoint(net, d);
            painter.setPen(QPen(line.colour, 2));
            painter.drawRect(QRectF(canvas.origin() + p - QPointF(4, 4), QSizeF(8, 8)));
        }
    }
    paintConeLegend(canvas, data.conesHeading, data.cones);
}

void paintDecay(PanelCanvas &canvas, const SpecimenDiagramData &data)
{
    const QFontMetrics metrics(canvas.painter().font());
    if (data.steps.empty())
        return;
    const double first = norm(data.steps.front().moment);
    double largest = 1;
    for (const SpecimenDiagramStep &step : data.steps) {
        if (first > 0)
            largest = std::max(largest, norm(step.moment) / first);
    }
    // J/J0 may exceed 1; the axis numbers at most seven ratios however far it goes, so that a
    // first step all but 0 cannot ask for millions of labels.
    const RatioAxis ratios = ratioAxis(largest);
    const double top = ratios.top;
    const double low = data.steps.front().level;
    const double high = std::max(data.steps.back().level, low + 1);
    PanelLabels numbers(canvas);
    const int numberWidth = std::max(metrics.horizontalAdvance(QStringLiteral("0.5")),
        metrics.horizontalAdvance(QString::number(top)));
    const DecayFrame frame = levelFrame(canvas, low, high, numberWidth + 6, numbers);
    for (const double ratio : ratios.ticks()) {
        if (const std::optional<int> y = decayY(frame, ratio / top)) {
            canvas.line(frame.left - 4, *y, frame.left, *y);
            const QString text = QString::number(ratio);
            numbers.add(frame.left - 6 - metrics.horizontalAdvance(text), *y - metrics.height() / 2,
                text, Black);
        }
    }
    canvas.text(frame.right - metrics.horizontalAdvance(QStringLiteral("J/J0")), 0,
        QStringLiteral("J/J0"), Black, false);
    if (!(first > 0))
        return;
    const auto drawCurve
        = [&](const std::vector<SpecimenDiagramStep> &points, QColor colour, bool symbols) {
              std::optional<QPointF> previous;
              for (const SpecimenDiagramStep &point : points) {
                  const std::optional<int> x = decayX(frame, point.level);
                  const std::optional<int> y = decayY(frame, norm(point.moment) / first / top);
                  const std::optional<QPointF> p
                      = x && y ? std::optional<QPointF>(QPointF(*x, *y)) : std::nullopt;
                  canvas.setPen(colour, 1);
                  if (p && previous)
                      canvas.line(previous->x(), previous->y(), p->x(), p->y());
                  if (p && symbols)
                      symbol(canvas, *p, !point.bad, stepColour(point, colour));
                  previous = p;
              }
          };
    for (const SpecimenDiagramPath &path : data.paths)
        drawCurve(path.points, path.colour, false);
    drawCurve(data.steps, Black, true);
    numbers.draw();
}

} // namespace

std::vector<StepLoss> stepLosses(const std::vector<SpecimenDiagramStep> &steps)
{
    std::vector<StepLoss> losses;
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const double span = steps[i].level - steps[i - 1].level;
        if (!(span > 0))
            continue;
        const Vector3 removed { steps[i - 1].moment.x - steps[i].moment.x,
            steps[i - 1].moment.y - steps[i].moment.y,
            steps[i - 1].moment.z - steps[i].moment.z };
        losses.push_back({ steps[i - 1].level, steps[i].level, norm(removed) / span });
    }
    return losses;
}

std::optional<double> roundScaleValue(double atMost)
{
    if (!(atMost > 0) || !std::isfinite(atMost))
        return std::nullopt;
    // factor times ten to the exponent; below 1 divided by the power, so that 2e-9 comes out
    // as the double the literal names.
    const auto value = [](double factor, int exponent) {
        return exponent >= 0 ? factor * std::pow(10.0, exponent)
                             : factor / std::pow(10.0, -exponent);
    };
    int exponent = int(std::floor(std::log10(atMost)));
    // log10 may land one off either way next to a power of ten.
    if (value(1, exponent) > atMost)
        --exponent;
    else if (value(1, exponent + 1) <= atMost)
        ++exponent;
    for (const double factor : { 5.0, 2.0, 1.0 }) {
        const double v = value(factor, exponent);
        // Far below the smallest normal double the powers run out.
        if (v <= atMost)
            return v > 0 ? std::optional<double>(v) : std::nullopt;
    }
    return std::nullopt;
}

SpecimenDiagram::Layout SpecimenDiagram::layout(const QRectF &target)
{
    const double gap = 6;
    const double titleRoom = 18;
    const double size = std::max(10.0,
        std::min((target.width() - 3 * gap) / 2, (target.height() - titleRoom - 3 * gap) / 2));
    const double left = target.left() + gap;
    const double top = target.top() + titleRoom + gap;
    Layout places;
    places.vectors = QRectF(left, top, size, size);
    places.losses = QRectF(left + size + gap, top, size, size);
    places.stereogram = QRectF(left, top + size + gap, size, size);
    places.decay = QRectF(left + size + gap, top + size + gap, size, size);
    return places;
}

void SpecimenDiagram::paint(QPainter &painter, const QRectF &target) const
{
    painter.save();
    painter.fillRect(target, QColor(240, 240, 240));
    painter.setPen(Black);
    painter.drawText(QRectF(target.left() + 6, target.top(), target.width() - 12, 18),
        Qt::AlignLeft | Qt::AlignVCenter, m_data.title);
    const Layout places = layout(target);
    const auto panel = [&](const QRectF &place, auto draw) {
        painter.fillRect(place, Face);
        PanelCanvas canvas(painter, place.topLeft(), int(place.width()), Face);
        draw(canvas, m_data);
    };
    painter.setRenderHint(QPainter::Antialiasing, true);
    panel(places.vectors, paintVectors);
    panel(places.losses, paintLosses);
    panel(places.stereogram, paintStereogram);
    panel(places.decay, paintDecay);
    painter.restore();
}

std::optional<int> SpecimenDiagram::stepAt(const QRectF &target, QPointF point, double radius) const
{
    const QRectF place = layout(target).vectors;
    const VectorFrame frame = vectorFrame(m_data, int(place.width()));
    std::optional<int> nearest;
    double best = radius * radius;
    for (std::size_t i = 0; i < m_data.steps.size(); ++i) {
        for (const QPointF p : frame.places(m_data.steps[i].moment)) {
            const QPointF d = place.topLeft() + p - point;
            const double squared = d.x() * d.x() + d.y() * d.y();
            if (squared <= best) {
                best = squared;
                nearest = int(i);
            }
        }
    }
    return nearest;
}

std::vector<int> SpecimenDiagram::stepsIn(const QRectF &target, const QRectF &area) const
{
    const QRectF place = layout(target).vectors;
    const VectorFrame frame = vectorFrame(m_data, int(place.width()));
    const QRectF box = area.normalized();
    std::vector<int> chosen;
    for (std::size_t i = 0; i < m_data.steps.size(); ++i) {
        const std::vector<QPointF> points = frame.places(m_data.steps[i].moment);
        if (std::any_of(points.begin(), points.end(),
                [&](const QPointF &p) { return box.contains(place.topLeft() + p); }))
            chosen.push_back(int(i));
    }
    return chosen;
}

} // namespace Demagora
