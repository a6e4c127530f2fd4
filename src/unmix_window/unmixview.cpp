#include "unmix_window/unmixview.h"

#include "model/vector3.h"
#include "unmixing/continuousspectrum.h"

#include <algorithm>
#include <cmath>

namespace Demagora {

namespace {

// Degrees between the points of the model's path and of the spectra's curves.
constexpr double PathStepDegrees = 2;
constexpr int SpectrumSamples = 121;

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString scientific(double value)
{
    return QString::number(value, 'g', 4);
}

// "value (low to high)", or the value alone without intervals: a dash would read as the sign
// of a negative exponent.
QString withInterval(
    double value, const ComponentInterval *interval, double low, double high, bool temperature)
{
    const QString text = temperature ? number(value, 1) : scientific(value);
    if (!interval)
        return text;
    return temperature
        ? QStringLiteral("%1 (%2 to %3)").arg(text, number(low, 1), number(high, 1))
        : QStringLiteral("%1 (%2 to %3)").arg(text, scientific(low), scientific(high));
}

// The spectrum's moment per degree at t: the peak times the Gauss curve, or the height.
double spectrumValue(const UnmixComponent &c, double t)
{
    if (t < c.low || t > c.high)
        return 0;
    if (c.shape != SpectrumShape::Gauss)
        return c.height;
    const double sigma = (c.high - c.low) / 6;
    const double z = (t - (c.low + c.high) / 2) / sigma;
    return c.height * std::exp(-z * z / 2);
}

} // namespace

QColor unmixComponentColour(std::size_t index)
{
    static const QColor colours[]
        = { QColor(200, 30, 30), QColor(20, 110, 200), QColor(30, 150, 60), QColor(190, 110, 0) };
    return colours[index % std::size(colours)];
}

SpecimenDiagramData unmixDiagramData(
    const QString &title, const std::vector<UnmixStep> &steps, const UnmixResult &result)
{
    SpecimenDiagramData data;
    data.title = title;
    for (const UnmixStep &s : steps)
        data.steps.push_back({ s.temperature, s.moment, false });
    if (steps.empty() || result.best.components.empty())
        return data;

    const double first = steps.front().temperature;
    const double last = steps.back().temperature;
    std::vector<double> temperatures;
    for (double t = first; t < last; t += PathStepDegrees)
        temperatures.push_back(t);
    temperatures.push_back(last);
    const std::vector<Vector3> path = predictedMoments(result.best.components, temperatures);
    SpecimenDiagramPath modelPath;
    modelPath.colour = QColor(90, 90, 90);
    for (std::size_t i = 0; i < path.size(); ++i)
        modelPath.points.push_back({ temperatures[i], { path[i].x, path[i].y, path[i].z }, false });
    data.paths.push_back(std::move(modelPath));

    for (std::size_t j = 0; j < result.best.components.size(); ++j) {
        const UnmixComponent &c = result.best.components[j];
        SpecimenDiagramSpectrum spectrum;
        spectrum.colour = unmixComponentColour(j);
        // Within the steps' range only: a range reaching past them was never measured there.
        const double from = std::max(c.low, first);
        const double to = std::min(c.high, last);
        for (int i = 0; i < SpectrumSamples && to > from; ++i) {
            const double t = from + (to - from) * i / (SpectrumSamples - 1);
            spectrum.levels.push_back(t);
            spectrum.values.push_back(spectrumValue(c, t));
        }
        data.spectra.push_back(std::move(spectrum));
        // The direction on the stereogram, inside its cone when the bootstrap gave one.
        const double cone = j < result.intervals.size() ? result.intervals[j].alpha95 : 0;
        data.cones.push_back(
            { unitVector(c.declination, c.inclination), cone, unmixComponentColour(j), QString() });
    }
    return data;
}

QStringList unmixComponentHeadings()
{
    return { QStringLiteral("Component"), QStringLiteral("Shape"), QStringLiteral("Dec"),
        QStringLiteral("Inc"), QStringLiteral("\u03B195"), QStringLiteral("Stable"),
        QStringLiteral("Height (95 %)"), QStringLiteral("Low (95 %)"),
        QStringLiteral("High (95 %)") };
}

namespace {

// "yes", or "no" with the most one left-out step turns it; a dash without the bootstrap and its
// jackknife.
QString stabilityText(const ComponentInterval *interval)
{
    if (!interval)
        return QStringLiteral("-");
    if (interval->stable)
        return QStringLiteral("yes");
    return QStringLiteral("no (%1\u00B0)").arg(number(interval->jackknife, 1));
}

} // namespace

std::vector<QStringList> unmixComponentRows(const UnmixResult &result)
{
    std::vector<QStringList> rows;
    for (std::size_t j = 0; j < result.best.components.size(); ++j) {
        const UnmixComponent &c = result.best.components[j];
        const ComponentInterval *interval
            = j < result.intervals.size() ? &result.intervals[j] : nullptr;
        rows.push_back({ QString::number(j + 1),
            c.shape == SpectrumShape::Gauss ? QStringLiteral("Gauss")
                                            : QStringLiteral("Rectangular"),
            number(c.declination, 1), number(c.inclination, 1),
            interval ? number(interval->alpha95, 1) : QStringLiteral("-"), stabilityText(interval),
            withInterval(c.height, interval, interval ? interval->heightLow : 0,
                interval ? interval->heightHigh : 0, false),
            withInterval(c.low, interval, interval ? interval->lowLow : 0,
                interval ? interval->lowHigh : 0, true),
            withInterval(c.high, interval, interval ? interval->highLow : 0,
                interval ? interval->highHigh : 0, true) });
    }
    return rows;
}

QStringList unmixCandidateHeadings()
{
    return { QStringLiteral("Components"), QStringLiteral("Shapes"), QStringLiteral("rms"),
        QStringLiteral("BIC"), QStringLiteral("Chosen") };
}

std::vector<QStringList> unmixCandidateRows(const UnmixResult &result)
{
    std::vector<QStringList> rows;
    for (std::size_t i = 0; i < result.candidates.size(); ++i) {
        const UnmixCandidate &c = result.candidates[i];
        const auto gauss = std::count_if(c.components.begin(), c.components.end(),
            [](const UnmixComponent &u) { return u.shape == SpectrumShape::Gauss; });
        const auto rectangular = qsizetype(c.components.size()) - qsizetype(gauss);
        QStringList shapes;
        if (gauss > 0)
            shapes << QStringLiteral("%1 Gauss").arg(gauss);
        if (rectangular > 0)
            shapes << QStringLiteral("%1 rectangular").arg(rectangular);
        QString mark = i == result.chosen ? QStringLiteral("chosen") : QString();
        const auto add = [&mark](const QString &why) {
            mark += mark.isEmpty() ? why : QStringLiteral(", ") + why;
        };
        if (!c.converged)
            add(QStringLiteral("not converged"));
        if (c.cancellation > MaxUnmixCancellation)
            add(QStringLiteral("components cancel"));
        if (c.fewestSteps < MinUnmixStepsInRange)
            add(QStringLiteral("%1 step(s) in a range").arg(c.fewestSteps));
        rows.push_back({ QString::number(c.components.size()), shapes.join(QStringLiteral(", ")),
            scientific(c.rms), number(c.bic, 1), mark });
    }
    return rows;
}

QStringList unmixResidualHeadings()
{
    return { QStringLiteral("Step"), QStringLiteral("Residual"), QStringLiteral("/ noise") };
}

std::vector<QStringList> unmixResidualRows(
    const std::vector<UnmixStep> &steps, const UnmixResult &result)
{
    std::vector<double> temperatures;
    for (const UnmixStep &s : steps)
        temperatures.push_back(s.temperature);
    const std::vector<Vector3> fitted = predictedMoments(result.best.components, temperatures);
    std::vector<QStringList> rows;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const double dx = steps[i].moment.x - fitted[i].x;
        const double dy = steps[i].moment.y - fitted[i].y;
        const double dz = steps[i].moment.z - fitted[i].z;
        const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        rows.push_back({ number(steps[i].temperature, 0), scientific(length),
            result.noise > 0 ? number(length / result.noise, 2) : QStringLiteral("-") });
    }
    return rows;
}

QString unmixSummaryText(const UnmixResult &result, bool chosenByBic)
{
    const std::size_t k = result.best.components.size();
    std::size_t asked = 0;
    for (const UnmixCandidate &c : result.candidates)
        asked = std::max(asked, c.components.size());
    QString text = QStringLiteral("%1 component(s)").arg(k);
    if (chosenByBic)
        text += QStringLiteral(", chosen by BIC");
    else if (asked > k)
        text += QStringLiteral(" (%1 asked: no fit of more is sound, see the candidates)")
                    .arg(asked);
    text += QStringLiteral("; rms %1, noise %2 per axis (%3), BIC %4.")
                .arg(scientific(result.best.rms), scientific(result.noise),
                    !result.noiseFromErrors     ? QStringLiteral("from the residuals")
                        : result.noiseScale > 1 ? QStringLiteral("the steps' errors times %1")
                                                      .arg(number(result.noiseScale, 1))
                                                : QStringLiteral("from the steps' errors"),
                    number(result.best.bic, 1));
    if (result.misfit) {
        text += QStringLiteral(" Misfit %1 (chi-square per degree of freedom; %2 to %3 expected).")
                    .arg(number(*result.misfit, 2), number(result.misfitLow, 2),
                        number(result.misfitHigh, 2));
    }
    if (result.bootstrapRefits > 0) {
        text += QStringLiteral(" Bootstrap: %1 refits, %2 did not converge; jackknife: %3 refits.")
                    .arg(result.bootstrapRefits)
                    .arg(result.bootstrapNotConverged)
                    .arg(result.jackknifeRefits);
    } else {
        text += QStringLiteral(" No bootstrap: no intervals.");
    }
    return text;
}

QString unmixWarningText(const UnmixResult &result)
{
    QStringList warnings;
    // First: nothing else in the window counts if the components are not magnetizations.
    if (result.turning) {
        QString turning = QString::fromUtf8(TurningPathMessage) + QLatin1Char('.');
        turning[0] = turning[0].toUpper();
        warnings << turning;
    }
    if (result.misfit && result.noiseScale > 1)
        warnings << QStringLiteral("The model does not fit the steps within their errors: the "
                                   "intervals use the larger noise of the residuals.");
    const auto unstable = std::count_if(result.intervals.begin(), result.intervals.end(),
        [](const ComponentInterval &i) { return !i.stable; });
    if (unstable > 0)
        warnings << QStringLiteral("%1 component(s) turn more than their cone when one step is "
                                   "left out: their \u03B195 is widened to that turn.")
                        .arg(unstable);
    return warnings.join(QLatin1Char(' '));
}

} // namespace Demagora
