#include "diagrams/diagramrenderer.h"

#include "diagrams/intensitypanel.h"
#include "diagrams/labelplacement.h"
#include "diagrams/tracecache.h"
#include "diagrams/netprojection.h"
#include "diagrams/overlaypainter.h"
#include "diagrams/panelcanvas.h"
#include "diagrams/stereogram.h"
#include "diagrams/vectordiagram.h"

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
                paintIntensityTitles(spectrum, state.options, &labels->spectrum);
            if (state.showLegend)
                paintLegend(vectors, spectrum, stereo, start, state.options, &*labels);
        }

        paintVectorAxes(vectors);
        paintIntensityAxes(spectrum, state.options);
        std::shared_ptr<const DiagramOverlay> overlay;
        {
            const std::lock_guard lock(m_overlayMutex);
            overlay = m_overlay;
        }
        if (overlay) {
            paintOverlayLines(
                vectors, *overlay, scales, range.first, range.last, state.options.projection);
        }
        paintVectorDiagram(vectors, m_series, scales, range.first, range.last, state,
            labels ? &labels->vectors : nullptr, cancelled, &m_vectorTraces);
        paintIntensityPanel(spectrum, m_series, m_populations, scales, range.first, range.last,
            state, labels ? &labels->spectrum : nullptr, cancelled);
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
                paintIntensityTitles(spectrum, state.options, nullptr);
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

void DiagramRenderer::paintLegend(PanelCanvas &vectors, PanelCanvas &spectrum, PanelCanvas &stereo,
    PanelCanvas &start, const DiagramOptions &options, PictureLabels *labels) const
{
    paintVectorLegend(vectors, options, labels ? &labels->vectors : nullptr);
    paintIntensityLegend(spectrum, options, labels ? &labels->spectrum : nullptr);
    const NetGeometry geometry = netGeometry(vectors.size(), options);
    paintNetWords(stereo, geometry, labels ? &labels->stereo : nullptr);
    paintNetWords(start, geometry, labels ? &labels->start : nullptr);
}

} // namespace Demagora
