#pragma once

#include "diagrams/diagramscales.h"
#include "diagrams/diagramviewstate.h"
#include "diagrams/stereogram.h"
#include "model/populations.h"

#include <QRectF>

#include <cstdint>

class QPainter;

namespace Demagora {

class PanelCanvas;

// The diagram window's picture: vector diagram, blocking spectra and the two stereograms,
// painted onto any QPainter (the window, an image, an SVG file). Reads the model and a view
// state; painting changes nothing. The model must stay as it was at construction: the
// initial directions are evaluated once, when the renderer is made.
class DiagramRenderer
{
public:
    DiagramRenderer(const ResultSeries &series, const ComponentPopulations &populations,
        std::int32_t runLowTemp, std::int32_t stereoPointCount);

    // Paints the whole picture into target, whose width plays the window's width: the panels
    // stand where the window places them, below a strip left for the tool bar.
    void paint(QPainter &painter, const QRectF &target, const DiagramViewState &state) const;

    double maxLength() const { return m_maxLength; }
    DiagramScales scalesFor(int outerWidth) const;

    // The resulting vectors drawn in the given state: all of them, or the chosen one alone.
    struct IndexRange
    {
        int first = 0;
        int last = -1;
    };
    IndexRange indexRange(const DiagramViewState &state) const;

    // Result points of the curves drawn in the given state: what an SVG drawing grows with.
    std::uint64_t drawnResultPoints(const DiagramViewState &state) const;

private:
    void paintAxes(PanelCanvas &vectors, PanelCanvas &spectrum) const;
    void paintVectorDiagram(PanelCanvas &canvas, const DiagramScales &scales, IndexRange range,
        const DiagramViewState &state) const;
    void paintSpectrumCurve(PanelCanvas &canvas, const TVector &component,
        const DiagramScales &scales, const DiagramViewState &state) const;
    void paintTicks(PanelCanvas &canvas) const;
    void paintLegend(
        PanelCanvas &vectors, PanelCanvas &spectrum, PanelCanvas &stereo, PanelCanvas &start) const;

    const ResultSeries &m_series;
    const ComponentPopulations &m_populations;
    std::int32_t m_stereoPointCount;
    double m_maxLength;
    InitialDirections m_initialDirections;
};

} // namespace Demagora
