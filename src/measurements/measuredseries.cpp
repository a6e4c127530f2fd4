#include "measurements/measuredseries.h"

#include "measurements/measurementerror.h"
#include "measurements/measurementnoise.h"
#include "measurements/measurementtext.h"
#include "model/angles.h"
#include "model/vector3.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace Demagora {

double MeasuredStep::intensity() const
{
    return norm({ x, y, z });
}

double MeasuredStep::declination() const
{
    return directionOf({ x, y, z }).declination;
}

double MeasuredStep::inclination() const
{
    return directionOf({ x, y, z }).inclination;
}

namespace {

const TResultVectors &pointAt(const ResultSeriesEntry &curve, std::int32_t temperature)
{
    // The first point above the temperature, then one back: the last point not above it.
    const auto above = std::upper_bound(curve.begin(), curve.end(), double(temperature),
        [](double t, const TResultVectors &point) { return t < point.Temperature; });
    return above == curve.begin() ? curve.front() : *(above - 1);
}

// The most deviations one Gaussian draw can add: with uniforms of 53 bits the polar method
// never goes past about 12.
constexpr double NoiseReach = 16;

// Refuses a scale (or scale and volume) that would carry the run's largest magnetization
// beyond MaxMeasuredValue, where the written moments would overflow.
void checkMeasuredRange(const ResultSeries &series, const MeasurementSettings &settings)
{
    double largest = 0;
    for (const ResultSeriesEntry &curve : series) {
        for (const TResultVectors &point : curve)
            largest
                = std::max({ largest, std::fabs(point.X), std::fabs(point.Y), std::fabs(point.Z) });
    }
    const double aPerM = largest * settings.scaleAPerM + NoiseReach * settings.noiseAPerM;
    // A/m times cm3 is 1e6 pico A m2.
    const double picoMoment = aPerM * settings.volumeCm3 * 1e6;
    if (!(aPerM <= MaxMeasuredValue)) {
        throw MeasurementError("the scale " + formatMeasuredValue(settings.scaleAPerM)
            + " A/m per unit is too large for this run: its largest magnetization, "
            + formatMeasuredValue(largest) + " units, would exceed "
            + formatMeasuredValue(MaxMeasuredValue) + " A/m");
    }
    if (!(picoMoment <= MaxMeasuredValue)) {
        throw MeasurementError("the scale " + formatMeasuredValue(settings.scaleAPerM)
            + " A/m per unit times the specimen volume " + formatMeasuredValue(settings.volumeCm3)
            + " cm3 is too large for this run: its largest moment would exceed "
            + formatMeasuredValue(MaxMeasuredValue) + " pico A m2");
    }
}

} // namespace

std::vector<MeasuredStep> measureMember(const ResultSeriesEntry &curve,
    const std::vector<std::int32_t> &temperatures, double scaleAPerM, double noiseAPerM,
    RandomSource *noise, double removedAbove)
{
    std::vector<MeasuredStep> steps;
    if (curve.empty())
        return steps;
    steps.reserve(temperatures.size());
    std::optional<GaussianNoise> gaussian;
    if (noise && noiseAPerM > 0)
        gaussian.emplace(*noise);
    for (const std::int32_t temperature : temperatures) {
        MeasuredStep step { temperature, 0, 0, 0 };
        if (!(temperature > removedAbove)) {
            const TResultVectors &point = pointAt(curve, temperature);
            step.x = point.X * scaleAPerM;
            step.y = point.Y * scaleAPerM;
            step.z = point.Z * scaleAPerM;
        }
        if (gaussian) {
            step.x += gaussian->next(noiseAPerM);
            step.y += gaussian->next(noiseAPerM);
            step.z += gaussian->next(noiseAPerM);
        }
        steps.push_back(step);
    }
    return steps;
}

MeasuredSeries::MeasuredSeries(
    const ResultSeries &series, MeasurementSettings settings, double removedAbove)
    : m_series(series)
    , m_settings(std::move(settings))
    , m_removedAbove(removedAbove)
{
    if (m_series.empty() || m_series.front().empty())
        throw MeasurementError("there is no run to export; calculate one first");
    checkMeasurementSettings(m_settings);
    const ResultSeriesEntry &first = m_series.front();
    m_temperatures = scheduleTemperatures(m_settings.schedule,
        static_cast<std::int32_t>(std::floor(first.front().Temperature)),
        static_cast<std::int32_t>(std::floor(first.back().Temperature)));
    checkMeasuredRange(m_series, m_settings);
    const std::uint64_t count = std::uint64_t(m_series.size()) * m_temperatures.size();
    if (count > MaxExportedMeasurements) {
        throw MeasurementError(std::to_string(m_series.size()) + " specimens at "
            + std::to_string(m_temperatures.size()) + " steps are more than "
            + std::to_string(MaxExportedMeasurements)
            + " measurements; measure fewer steps or fewer members");
    }
}

std::string MeasuredSeries::specimenName(std::size_t member) const
{
    const std::size_t width = std::to_string(m_series.size() - 1).size();
    std::string index = std::to_string(member);
    if (index.size() < width)
        index.insert(0, width - index.size(), '0');
    return m_settings.prefix + index;
}

std::vector<MeasuredStep> MeasuredSeries::specimen(std::size_t member) const
{
    if (m_settings.noiseAPerM > 0) {
        MersenneTwisterSource noise(specimenNoiseSeed(m_settings.noiseSeed, member));
        return measureMember(m_series.at(member), m_temperatures, m_settings.scaleAPerM,
            m_settings.noiseAPerM, &noise, m_removedAbove);
    }
    return measureMember(
        m_series.at(member), m_temperatures, m_settings.scaleAPerM, 0, nullptr, m_removedAbove);
}

} // namespace Demagora
