#include "diagrams/diagramrenderer.h"

#include "diagrams/decaycurve.h"
#include "diagrams/labelplacement.h"
#include "diagrams/lastoccurrence.h"
#include "diagrams/netprojection.h"
#include "diagrams/overlaypainter.h"
#include "diagrams/panelcanvas.h"
#include "diagrams/rasterstamps.h"
#include "diagrams/stereogram.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace Demagora {

namespace {

const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
// The east-down projection beside the north-down one: apart from red in lightness too.
const QColor Orange(230, 140, 0);

// Whole-degree bound of a blocking temperature; empty where the loop over the curve's
// degrees could not run (not finite, or beyond any temperature a run can cover).
std::optional<std::int64_t> wholeDegrees(double t)
{
    if (!std::isfinite(t) || std::fabs(t) > 2.0e9)
        return std::nullopt;
    return static_cast<std::int64_t>(std::floor(t));
}

// A segment between two pixels in one of the colours an OrderedLines has seen.
struct SegmentKey
{
    std::int32_t x1, y1, x2, y2;
    std::uint32_t colour;
    bool operator==(const SegmentKey &) const = default;
};

struct SegmentHash
{
    std::uint64_t operator()(const SegmentKey &k) const
    {
        return mixHash((std::uint64_t(std::uint32_t(k.x1)) << 32) | std::uint32_t(k.y1),
            (std::uint64_t(std::uint32_t(k.x2)) << 32 | std::uint32_t(k.y2)) + k.colour);
    }
};

// Most segments of a long path join neighbouring pixels of the panel: each of those has a
// place of its own, by its start, its step (-1, 0 or 1 either way) and its colour (0 to 2).
struct SegmentPlaces
{
    static constexpr std::size_t None = SIZE_MAX;
    // Starts at 0 to side - 1 either way have places; 0 for none.
    int side = 0;

    // Panels too large for places of at most 32 MB go without.
    static SegmentPlaces forPanel(int boxSize)
    {
        const std::size_t side = static_cast<std::size_t>(std::max(boxSize, 0)) + 1;
        return { side * side * 27 * 4 <= (std::size_t { 32 } << 20) ? static_cast<int>(side) : 0 };
    }

    std::size_t size() const { return std::size_t(side) * std::size_t(side) * 27; }

    std::size_t index(const SegmentKey &k) const
    {
        const std::int64_t dx = std::int64_t { k.x2 } - k.x1;
        const std::int64_t dy = std::int64_t { k.y2 } - k.y1;
        if (std::uint32_t(k.x1) >= std::uint32_t(side) || std::uint32_t(k.y1) >= std::uint32_t(side)
            || dx < -1 || dx > 1 || dy < -1 || dy > 1 || k.colour > 2)
            return None;
        const std::size_t start = std::size_t(k.y1) * std::size_t(side) + std::size_t(k.x1);
        return (start * 9 + std::size_t((dy + 1) * 3 + (dx + 1))) * 3 + k.colour;
    }

    SegmentKey key(std::size_t place) const
    {
        const auto colour = static_cast<std::uint32_t>(place % 3);
        place /= 3;
        const int step = static_cast<int>(place % 9);
        place /= 9;
        const int x1 = static_cast<int>(place % std::size_t(side));
        const int y1 = static_cast<int>(place / std::size_t(side));
        return { x1, y1, x1 + step % 3 - 1, y1 + step / 3 - 1, colour };
    }
};

using SegmentRecord = LastOccurrence<SegmentKey, SegmentHash, SegmentPlaces>;

// From this many points on, the segments and symbols of a picture get places of their own.
constexpr std::size_t PlacesFromPoints = 1'000'000;

// A pixel as one word; NoEnd is none, as no pixel has the coordinates INT32_MIN.
std::uint64_t packedPixel(int x, int y)
{
    return (std::uint64_t(std::uint32_t(x)) << 32) | std::uint32_t(y);
}
constexpr std::uint64_t NoEnd = ~std::uint64_t { 0 };

// Whether a segment adds to its path: most steps of a long run move a point by less than a
// pixel, and a segment that stays on the pixel where the path's last segment of its colour
// ended (end) adds nothing. Moves end to the segment's end. Computed without a branch: whether
// a path moved is a guess the processor would keep getting wrong.
bool extendsPath(std::uint64_t &end, int x1, int y1, int x2, int y2)
{
    const std::uint64_t to = packedPixel(x2, y2);
    const bool stays = (packedPixel(x1, y1) == to) & (end == to);
    end = to;
    return !stays;
}

// The segments of one path of the vector diagram, recorded away from the painter: colours 0
// to 2 as OrderedLines numbers them.
struct PathRecorder
{
    SegmentRecord &segments;
    std::array<std::uint64_t, 3> ends { NoEnd, NoEnd, NoEnd };

    [[gnu::always_inline]] void add(std::uint32_t colour, int x1, int y1, int x2, int y2)
    {
        const bool extends = extendsPath(ends[colour], x1, y1, x2, y2);
        segments.add({ x1, y1, x2, y2, colour }, extends);
    }
};

// Draws the lines of a diagram as if each were drawn in the order given, over the ones before
// it, so that a later segment covers an earlier one where they cross. Of equal segments only
// the last is drawn (see LastOccurrence); lines of one colour that follow each other go to
// the painter together. Most steps of a long run move a point by less than a pixel: a segment
// that stays on the pixel where the path's last line of its colour ended adds nothing and is
// left out. Every end lies on a whole pixel.
class OrderedLines
{
public:
    // With places, the segments to neighbouring pixels of the panel each have one (see
    // SegmentPlaces): worth their memory on a long run.
    OrderedLines(PanelCanvas &canvas, int penWidth, SegmentPlaces places = {})
        : m_canvas(canvas)
        , m_penWidth(penWidth)
        , m_segments(places)
    { }
    ~OrderedLines() { flush(); }

    // The index under which segments of the given colour are added.
    std::uint32_t colour(const QColor &colour)
    {
        for (std::size_t i = 0; i < m_colours.size(); ++i) {
            if (m_colours[i] == colour)
                return static_cast<std::uint32_t>(i);
        }
        m_colours.push_back(colour);
        m_ends.push_back(NoEnd);
        return static_cast<std::uint32_t>(m_colours.size() - 1);
    }

    void add(std::uint32_t colour, int x1, int y1, int x2, int y2)
    {
        if (extendsPath(m_ends[colour], x1, y1, x2, y2))
            m_segments.add({ x1, y1, x2, y2, colour });
    }

    // The next segments belong to a new path.
    void startPath() { std::fill(m_ends.begin(), m_ends.end(), NoEnd); }

    // Where segments recorded elsewhere are added, as if added here.
    SegmentRecord &record() { return m_segments; }

    void add(const QColor &colour, const QLineF &segment)
    {
        add(this->colour(colour), static_cast<int>(segment.x1()), static_cast<int>(segment.y1()),
            static_cast<int>(segment.x2()), static_cast<int>(segment.y2()));
    }

    // Forgets what was added, for a picture that is given up.
    void abandon() { m_segments.clear(); }

    // Draws what was added; call before anything else is drawn over the lines.
    void flush()
    {
        Batches batches(*this);
        m_segments.drain([&](const SegmentKey &k) { batches.add(k); });
    }

    // Draws segments in the order given, after what was added before.
    void draw(const std::vector<SegmentKey> &segments)
    {
        flush();
        Batches batches(*this);
        for (const SegmentKey &k : segments)
            batches.add(k);
    }

private:
    // Segments of one colour that follow each other go to the painter together; where the
    // painter allows, the short ones are set as stamps right away (the order among segments
    // of one colour does not matter).
    class Batches
    {
    public:
        explicit Batches(OrderedLines &lines)
            : m_lines(lines)
            , m_stamps(lines.m_canvas.stamps())
        { }
        ~Batches() { draw(); }

        void add(const SegmentKey &k)
        {
            if (k.colour != m_colour) {
                draw();
                m_colour = k.colour;
            }
            const QLineF segment(k.x1, k.y1, k.x2, k.y2);
            if (m_stamps && m_lines.m_canvas.stampLine(*m_stamps, segment, pen()))
                return;
            m_batch.push_back(segment);
        }

    private:
        const QPen &pen()
        {
            if (!m_pen || m_pen->first != m_colour) {
                QPen pen(m_lines.m_colours[m_colour], m_lines.m_penWidth);
                pen.setCapStyle(Qt::SquareCap);
                m_pen.emplace(m_colour, pen);
            }
            return m_pen->second;
        }

        void draw()
        {
            if (m_batch.empty())
                return;
            m_lines.m_canvas.setPen(m_lines.m_colours[m_colour], m_lines.m_penWidth);
            m_lines.m_canvas.lines(m_batch);
            m_batch.clear();
        }

        OrderedLines &m_lines;
        const std::unique_ptr<RasterStamps> m_stamps;
        std::uint32_t m_colour = 0;
        std::optional<std::pair<std::uint32_t, QPen>> m_pen;
        std::vector<QLineF> m_batch;
    };

    PanelCanvas &m_canvas;
    int m_penWidth;
    std::vector<QColor> m_colours;
    // Per colour, where the path's last segment of that colour ended.
    std::vector<std::uint64_t> m_ends;
    SegmentRecord m_segments;
};

} // namespace

struct DiagramRenderer::PictureLabels
{
    PictureLabels(PanelCanvas &v, PanelCanvas &sp, PanelCanvas &st, PanelCanvas &sa)
        : vectors(v)
        , spectrum(sp)
        , stereo(st)
        , start(sa)
    { }
    PanelLabels vectors;
    PanelLabels spectrum;
    PanelLabels stereo;
    PanelLabels start;
};

DiagramRenderer::DiagramRenderer(const ResultSeries &series,
    const ComponentPopulations &populations, std::int32_t runLowTemp, std::int32_t stereoPointCount)
    : m_series(series)
    , m_populations(populations)
    , m_stereoPointCount(stereoPointCount)
    , m_runLowTemp(runLowTemp)
{ }

const InitialDirections &DiagramRenderer::initialDirections() const
{
    std::call_once(m_initialDirectionsOnce,
        [this] { m_initialDirections = Demagora::initialDirections(m_populations, m_runLowTemp); });
    return m_initialDirections;
}

double DiagramRenderer::maxLength() const
{
    std::call_once(m_maxLengthOnce, [this] { m_maxLength = maxResultLength(m_series); });
    return m_maxLength;
}

DiagramScales DiagramRenderer::scalesFor(int outerWidth) const
{
    return Demagora::scalesFor(outerWidth, maxLength(), m_populations);
}

DiagramRenderer::IndexRange DiagramRenderer::indexRange(const DiagramViewState &state) const
{
    const int count = static_cast<int>(m_series.size());
    if (count == 0)
        return {};
    if (state.mode == DisplayMode::Multiple)
        return { 0, count - 1 };
    const int current = std::clamp(state.currentVector, 0, count - 1);
    return { current, current };
}

std::size_t DiagramRenderer::pointCount(const DiagramViewState &state) const
{
    const IndexRange range = indexRange(state);
    std::size_t count = 0;
    for (int p = range.first; p <= range.last; ++p)
        count += m_series[static_cast<std::size_t>(p)].size();
    return count;
}

void DiagramRenderer::paint(
    QPainter &painter, const QRectF &target, const DiagramViewState &state) const
{
    paint(painter, target, state, nullptr);
}

void DiagramRenderer::paint(QPainter &painter, const QRectF &target, const DiagramViewState &state,
    const std::atomic<bool> *cancelled) const
{
    const auto stopped = [cancelled] { return cancelled && cancelled->load(); };
    painter.save();
    painter.fillRect(target, state.faceColour);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    painter.setFont(font);

    const int width = static_cast<int>(std::floor(target.width()));
    const DiagramLayout layout = layoutForWidth(width);
    if (layout.boxSize > 0) {
        DiagramScales scales = scalesFor(width);
        // With edge room the longest vector ends a margin inside the panel's edge.
        if (state.options.edgeRoom) {
            scales.vectorScale
                = vectorScale(layout.boxSize - 2 * edgeMargin(layout.boxSize), maxLength());
        }
        const int s = layout.boxSize;
        const QPointF origin = target.topLeft();
        PanelCanvas vectors(painter, origin + QPointF(0, layout.upperTop), s, state.faceColour);
        PanelCanvas spectrum(painter, origin + QPointF(s, layout.upperTop), s, state.faceColour);
        PanelCanvas stereo(painter, origin + QPointF(0, layout.lowerTop), s, state.faceColour);
        PanelCanvas start(painter, origin + QPointF(s, layout.lowerTop), s, state.faceColour);
        const IndexRange range = indexRange(state);
        // Labels without boxes are collected per panel and drawn over everything at the
        // end; the legend words go first, so that no label pushes them out.
        std::optional<PictureLabels> labels;
        if (state.options.clearLabels) {
            labels.emplace(vectors, spectrum, stereo, start);
            if (state.options.axisTitles)
                paintPanelTitles(spectrum, state.options, &labels->spectrum);
            if (state.showLegend)
                paintLegend(vectors, spectrum, stereo, start, state.options, &*labels);
        }

        const bool spectra = state.options.panel == IntensityPanel::Spectra;
        paintAxes(vectors, spectrum, spectra);
        std::shared_ptr<const DiagramOverlay> overlay;
        {
            const std::lock_guard lock(m_overlayMutex);
            overlay = m_overlay;
        }
        if (overlay) {
            paintOverlayLines(
                vectors, *overlay, scales, range.first, range.last, state.options.projection);
        }
        paintVectorDiagram(
            vectors, scales, range, state, cancelled, labels ? &labels->vectors : nullptr);
        if (spectra) {
            for (const Population &population : m_populations) {
                if (!population.empty()) {
                    paintSpectrumCurve(spectrum, population.front(), scales, state,
                        labels ? &labels->spectrum : nullptr);
                }
            }
            paintTicks(spectrum, scales, state);
        } else {
            paintDecayPanel(spectrum, range, state, cancelled);
        }
        if (stopped()) {
            painter.restore();
            return;
        }
        paintResultStereogram(stereo, m_series, range.first, range.last, m_stereoPointCount, state,
            labels ? &labels->stereo : nullptr, cancelled, &m_stereoTraces);
        if (stopped()) {
            painter.restore();
            return;
        }
        if (overlay) {
            paintOverlayCircles(
                stereo, *overlay, netGeometry(s, state.options), range.first, range.last);
            paintOverlayMean(stereo, *overlay, netGeometry(s, state.options));
        }
        paintInitialStereogram(start, initialDirections(), range.first, range.last, state.options);
        if (labels) {
            for (PanelLabels *panel :
                { &labels->vectors, &labels->spectrum, &labels->stereo, &labels->start })
                panel->draw();
        } else {
            if (state.options.axisTitles)
                paintPanelTitles(spectrum, state.options, nullptr);
            if (state.showLegend)
                paintLegend(vectors, spectrum, stereo, start, state.options, nullptr);
        }
    }
    painter.restore();
}

void DiagramRenderer::setOverlay(std::optional<DiagramOverlay> overlay)
{
    std::shared_ptr<const DiagramOverlay> shared;
    if (overlay)
        shared = std::make_shared<const DiagramOverlay>(std::move(*overlay));
    const std::lock_guard lock(m_overlayMutex);
    m_overlay = std::move(shared);
}

void DiagramRenderer::paintAxes(PanelCanvas &vectors, PanelCanvas &spectrum, bool spectra) const
{
    const int s = vectors.size();
    const int half = s / 2;
    vectors.setPen(Black, 1);
    vectors.line(half, 0, half, s);
    vectors.line(0, half, s, half);
    if (!spectra)
        return;
    spectrum.setPen(Black, 1);
    spectrum.line(0, 0, 0, s);
    spectrum.line(0, s - 1, s, s - 1);
}

void DiagramRenderer::paintVectorDiagram(PanelCanvas &canvas, const DiagramScales &scales,
    IndexRange range, const DiagramViewState &state, const std::atomic<bool> *cancelled,
    PanelLabels *clearLabels) const
{
    const int lastIndex = static_cast<int>(m_series.size()) - 1;
    const VerticalProjection projection = state.options.projection;
    const bool northDown = projection != VerticalProjection::East;
    const bool eastDown = projection != VerticalProjection::North;
    const QColor eastColour = projection == VerticalProjection::Both ? Orange : Red;
    const auto stopped
        = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    // Step by step: the blue segment, the red one, then the labels of the step.
    OrderedLines lines(canvas, 2,
        pointCount(state) >= PlacesFromPoints ? SegmentPlaces::forPanel(canvas.size())
                                              : SegmentPlaces {});
    const std::uint32_t blue = lines.colour(Blue);
    const std::uint32_t red = lines.colour(Red);
    const std::uint32_t east = lines.colour(eastColour);
    // Traces the path of member p into sink; false when cancelled on the way.
    const auto trace = [&](int p, auto &sink) {
        const ResultSeriesEntry &steps = m_series[p];
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
                std::size_t k = 1;
                for (; k + 1 <= count; k += 2) {
                    const auto two = stepPixels(steps[i + k], steps[i + k + 1], scale, boxSize);
                    block[k] = two[0];
                    block[k + 1] = two[1];
                }
                if (k <= count)
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
    const int unlabelled = range.last == lastIndex ? range.last : range.last + 1;
    const TraceCache::Key key { scales.boxSize, scales.vectorScale, range.first, unlabelled,
        state.options };
    // The paths before the last vector's, the last of equal segments in order: drawn first,
    // they leave the pixels drawing them all would, whatever the last vector then draws.
    using Segments = std::vector<SegmentKey>;
    std::shared_ptr<const Segments> traced = m_vectorTraces.find<Segments>(key);
    if (!traced) {
        SegmentRecord record(lines.record().denseIndex());
        const bool complete = recordInOrder(
            record, static_cast<std::size_t>(std::max(unlabelled - range.first, 0)),
            [&](std::size_t item, SegmentRecord &into) {
                PathRecorder path { into };
                trace(range.first + static_cast<int>(item), path);
            },
            cancelled);
        if (!complete) {
            lines.abandon();
            return;
        }
        auto ordered = std::make_shared<Segments>();
        record.drain([&](const SegmentKey &k) { ordered->push_back(k); });
        traced = std::move(ordered);
        m_vectorTraces.store(key, traced);
    }
    lines.draw(*traced);
    if (unlabelled <= range.last && !trace(lastIndex, lines))
        lines.abandon();
}

void DiagramRenderer::paintSpectrumCurve(PanelCanvas &canvas, const TVector &component,
    const DiagramScales &scales, const DiagramViewState &state, PanelLabels *clearLabels) const
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

void DiagramRenderer::paintTicks(
    PanelCanvas &canvas, const DiagramScales &scales, const DiagramViewState &state) const
{
    const int s = canvas.size();
    canvas.setPen(Black, 1);
    const std::optional<std::int64_t> interval
        = state.showTemperatures ? state.labelInterval : std::nullopt;
    for (const int x : spectrumTicks(s, scales.tempScale, interval))
        canvas.line(x, s, x, s - 10);
}

void DiagramRenderer::paintPanelTitles(
    PanelCanvas &spectrum, const DiagramOptions &options, PanelLabels *labels) const
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

void DiagramRenderer::paintLegend(PanelCanvas &vectors, PanelCanvas &spectrum, PanelCanvas &stereo,
    PanelCanvas &start, const DiagramOptions &options, PictureLabels *labels) const
{
    const auto word = [labels](PanelCanvas &canvas, PanelLabels *clear, int x, int y,
                          const QString &text, const QColor &colour) {
        if (labels)
            clear->add(x, y, text, colour);
        else
            canvas.text(x, y, text, colour);
    };
    const int s = vectors.size();
    const int half = s / 2;
    PanelLabels *vectorLabels = labels ? &labels->vectors : nullptr;
    word(vectors, vectorLabels, half, 0, QStringLiteral("West"), Blue);
    word(vectors, vectorLabels, half, 20, QStringLiteral("Up"), Red);
    word(vectors, vectorLabels, s - 30, half, QStringLiteral("North"), Blue);
    word(vectors, vectorLabels, half, s - 35, QStringLiteral("East"), Blue);
    word(vectors, vectorLabels, half, s - 15, QStringLiteral("Down"), Red);
    word(vectors, vectorLabels, 0, half, QStringLiteral("South"), Blue);
    if (options.projection != VerticalProjection::North) {
        // The east-down projection's own horizontal axis, under the words of the north one.
        const QColor colour = options.projection == VerticalProjection::Both ? Orange : Red;
        const int below = half + QFontMetrics(vectors.painter().font()).height();
        word(vectors, vectorLabels, s - 30, below, QStringLiteral("East"), colour);
        word(vectors, vectorLabels, 0, below, QStringLiteral("West"), colour);
    }
    // With axis titles the intensity panel's title stands anyway.
    if (!options.axisTitles) {
        PanelLabels *spectrumLabels = labels ? &labels->spectrum : nullptr;
        if (options.panel == IntensityPanel::Spectra) {
            word(spectrum, spectrumLabels, 5, 0, QStringLiteral("dJ/dT"), Black);
        } else {
            const QString title = QStringLiteral("J/J0");
            const int width = QFontMetrics(spectrum.painter().font()).horizontalAdvance(title);
            word(spectrum, spectrumLabels, s - width - std::max(edgeMargin(s, options), 4), 0,
                title, Black);
        }
    }
    const NetGeometry geometry = netGeometry(s, options);
    paintNetWords(stereo, geometry, labels ? &labels->stereo : nullptr);
    paintNetWords(start, geometry, labels ? &labels->start : nullptr);
}

void DiagramRenderer::paintDecayPanel(PanelCanvas &canvas, IndexRange range,
    const DiagramViewState &state, const std::atomic<bool> *cancelled) const
{
    if (m_series.empty() || m_series.front().empty())
        return;
    const auto stopped
        = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    // The axis reaches the highest J/J0 of the drawn curves.
    double highest = 1;
    for (int p = range.first; p <= range.last && !stopped(); ++p) {
        if (const std::optional<double> ratio = largestRatio(m_series[std::size_t(p)]))
            highest = std::max(highest, *ratio);
    }
    const RatioAxis ratios = ratioAxis(highest);
    const int s = canvas.size();
    const int margin = edgeMargin(s, state.options);
    const QFontMetrics metrics(canvas.painter().font());
    // The run's temperatures, shared by every resulting vector.
    const ResultSeriesEntry &run = m_series.front();
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

    OrderedLines curve(canvas, range.first == range.last ? 2 : 1);
    for (int p = range.first; p <= range.last; ++p) {
        if (stopped()) {
            curve.abandon();
            return;
        }
        const ResultSeriesEntry &steps = m_series[std::size_t(p)];
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

} // namespace Demagora
