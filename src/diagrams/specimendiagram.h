#pragma once

#include "diagrams/diagramoptions.h"
#include "model/vector3.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace Demagora {

// One measured step as the specimen picture draws it.
struct SpecimenDiagramStep
{
    double level = 0; // degrees Celsius or mT
    Vector3 moment;
    bool selected = false;
    // Marked bad: drawn hollow and grey in every panel.
    bool bad = false;
};

// A fitted line drawn over the vector diagram, from one point to another, and its direction
// on the stereogram.
struct SpecimenDiagramLine
{
    Vector3 from;
    Vector3 to;
    QColor colour;
};

// A fitted plane: its great circle on the stereogram, given by its pole.
struct SpecimenDiagramPlane
{
    Vector3 pole;
    QColor colour;
};

// A mean direction with its cone of confidence on the stereogram.
struct SpecimenDiagramCone
{
    Vector3 direction;
    double alpha95Degrees = 0;
    QColor colour;
    // What the mean is of (a component's name), in the stereogram's legend; none when empty.
    QString name;
};

// A modelled path (the unmixed components summed): drawn as a line through the vector diagram
// and as a curve of its J/J0.
struct SpecimenDiagramPath
{
    std::vector<SpecimenDiagramStep> points;
    QColor colour;
};

// A spectrum drawn over the bars of the losses: value per degree (or per mT) at levels.
struct SpecimenDiagramSpectrum
{
    std::vector<double> levels;
    std::vector<double> values;
    QColor colour;
};

// Everything the specimen picture shows.
struct SpecimenDiagramData
{
    QString title;
    QString levelUnit = QStringLiteral("\u00B0C");
    // The unit of the moments ("A m2", "A/m"), named by the scales of the vector diagram and
    // the losses; the scales give bare numbers without it.
    QString momentUnit;
    // The steps are in the specimen's own frame: the axes are named x, y and z, not north, east
    // and down.
    bool specimenAxes = false;
    std::vector<SpecimenDiagramStep> steps;
    std::vector<SpecimenDiagramLine> lines;
    std::vector<SpecimenDiagramPlane> planes;
    std::vector<SpecimenDiagramCone> cones;
    // The heading of the named cones in the stereogram's legend.
    QString conesHeading = QStringLiteral("Site means");
    std::vector<SpecimenDiagramPath> paths;
    std::vector<SpecimenDiagramSpectrum> spectra;
    DiagramOptions options;
};

// The loss between two steps: the length of the vector the later step removed, per degree
// (or mT) of the step; empty where the levels do not rise.
struct StepLoss
{
    double fromLevel = 0;
    double toLevel = 0;
    double perLevel = 0;
};
std::vector<StepLoss> stepLosses(const std::vector<SpecimenDiagramStep> &steps);

// The round value (1, 2 or 5 times a power of ten) a scale stands for: the largest not above
// atMost; empty unless atMost is positive and finite.
std::optional<double> roundScaleValue(double atMost);

// The four panels of one measured specimen, painted onto any QPainter: the vector diagram
// (north-down, east-down or both, as the options' projection says) with a scale, the losses
// between steps as bars with a scale, the equal-area stereogram of the step directions with a
// legend of the site means, and the decay J/J0 relative to the first step. Used by the
// specimens window and the batch's picture of a measured specimen.
class SpecimenDiagram
{
public:
    explicit SpecimenDiagram(SpecimenDiagramData data)
        : m_data(std::move(data))
    { }

    const SpecimenDiagramData &data() const { return m_data; }
    void setProjection(VerticalProjection projection) { m_data.options.projection = projection; }

    void paint(QPainter &painter, const QRectF &target) const;

    // The panels' places in a target: vector diagram, losses, stereogram, decay.
    struct Layout
    {
        QRectF vectors;
        QRectF losses;
        QRectF stereogram;
        QRectF decay;
    };
    static Layout layout(const QRectF &target);

    // The step whose symbol in the vector diagram lies nearest to a point of the target, within
    // radius pixels; empty when none does.
    std::optional<int> stepAt(const QRectF &target, QPointF point, double radius) const;
    // The steps whose symbols in the vector diagram lie inside a rectangle of the target.
    std::vector<int> stepsIn(const QRectF &target, const QRectF &area) const;

private:
    SpecimenDiagramData m_data;
};

} // namespace Demagora
