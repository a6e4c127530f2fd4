#pragma once

#include "diagrams/diagramoverlay.h"
#include "diagrams/diagramscales.h"
#include "diagrams/diagramviewstate.h"
#include "diagrams/tracecache.h"
#include "diagrams/stereogram.h"
#include "model/populations.h"

#include <QRectF>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

class QPainter;

namespace Demagora {

class PanelCanvas;
class PanelLabels;

// The diagram window's picture: vector diagram, blocking spectra and the two stereograms,
// painted onto any QPainter (the window, an image, an SVG file). Reads the model and a view
// state; painting changes nothing. The model must stay as it was at construction: the
// initial directions are evaluated once, by the first paint (on whichever thread paints).
class DiagramRenderer
{
public:
    DiagramRenderer(const ResultSeries &series, const ComponentPopulations &populations,
        std::int32_t runLowTemp, std::int32_t stereoPointCount);

    // Paints the whole picture into target, whose width plays the window's width: the panels
    // stand where the window places them, below a strip left for the tool bar.
    void paint(QPainter &painter, const QRectF &target, const DiagramViewState &state) const;
    // The same, giving up between members and within long paths once cancelled is set; the
    // picture is then incomplete and meant to be thrown away.
    void paint(QPainter &painter, const QRectF &target, const DiagramViewState &state,
        const std::atomic<bool> *cancelled) const;

    // The result points the picture holds in the given state: the work of a paint.
    std::size_t pointCount(const DiagramViewState &state) const;

    // What an open analysis draws over the picture; without one the picture is the plain one.
    // May be called while another thread paints: that paint keeps the overlay it started with.
    void setOverlay(std::optional<DiagramOverlay> overlay);

    // The longest resulting vector, found by the first call (or paint): on a large run that
    // takes a while, so the window leaves it to the thread that paints.
    double maxLength() const;
    DiagramScales scalesFor(int outerWidth) const;

    // The resulting vectors drawn in the given state: all of them, or the chosen one alone.
    struct IndexRange
    {
        int first = 0;
        int last = -1;
    };
    IndexRange indexRange(const DiagramViewState &state) const;

private:
    // Labels without boxes of the four panels, drawn over everything else at the end.
    struct PictureLabels;
    const InitialDirections &initialDirections() const;
    void paintLegend(PanelCanvas &vectors, PanelCanvas &spectrum, PanelCanvas &stereo,
        PanelCanvas &start, const DiagramOptions &options, PictureLabels *labels) const;

    const ResultSeries &m_series;
    const ComponentPopulations &m_populations;
    std::int32_t m_stereoPointCount;
    mutable std::once_flag m_maxLengthOnce;
    mutable double m_maxLength = 0;
    std::int32_t m_runLowTemp;
    // Evaluating every member's remaining magnetization takes long for a large population:
    // it is left to the first paint, which may run on a worker thread.
    mutable std::once_flag m_initialDirectionsOnce;
    mutable InitialDirections m_initialDirections;
    // What the last paint traced, for a repaint of the same panels.
    mutable TraceCache m_vectorTraces;
    mutable TraceCache m_stereoTraces;
    mutable std::mutex m_overlayMutex;
    std::shared_ptr<const DiagramOverlay> m_overlay;
};

} // namespace Demagora
