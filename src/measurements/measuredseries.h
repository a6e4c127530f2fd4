#pragma once

#include "measurements/measurementsettings.h"
#include "model/populations.h"
#include "model/randomsource.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Demagora {

// One measurement of a specimen: the temperature it was heated to (degrees Celsius) and the
// measured magnetization (A/m; x north, y east, z down). The first step is the NRM.
struct MeasuredStep
{
    std::int32_t temperature = 0;
    double x = 0;
    double y = 0;
    double z = 0;

    double intensity() const;
    // Declination in [0, 360) and inclination in [-90, 90], degrees; both 0 for a zero vector.
    double declination() const;
    double inclination() const;
};

// The measurements of one run curve at the given temperatures: the curve's point at each
// temperature (its first point below the run, its last point above it, otherwise the last point
// not above the temperature), times scaleAPerM, plus noise on every axis when noise is given.
// Above removedAbove (highestBlockHigh of the run's populations) every component is gone: a
// step there measures a zero moment, even where the run ended below it at a whole degree.
std::vector<MeasuredStep> measureMember(const ResultSeriesEntry &curve,
    const std::vector<std::int32_t> &temperatures, double scaleAPerM, double noiseAPerM,
    RandomSource *noise, double removedAbove = std::numeric_limits<double>::infinity());

// The most measurements (specimens times steps) one export writes.
inline constexpr std::uint64_t MaxExportedMeasurements = 2'000'000;

// What the file writers read: specimens one at a time, each a list of steps whose first is the
// NRM, with the settings of the export. A simulated run or the specimens of a measurement file.
class SpecimenSource
{
public:
    virtual ~SpecimenSource() = default;
    virtual std::size_t specimenCount() const = 0;
    virtual std::string specimenName(std::size_t member) const = 0;
    virtual std::vector<MeasuredStep> specimen(std::size_t member) const = 0;
    virtual const MeasurementSettings &settings() const = 0;
    // Whether the specimens come from a simulated run rather than from a measurement file.
    virtual bool simulated() const = 0;
};

// A run seen through the virtual laboratory: one specimen per member, each measured at the
// schedule's temperatures. The file writers read it specimen by specimen, so memory holds one
// specimen at a time; each specimen's noise comes from its own seed and is the same on every read.
class MeasuredSeries : public SpecimenSource
{
public:
    // Throws MeasurementError for an empty run, settings that checkMeasurementSettings refuses,
    // or more than MaxExportedMeasurements measurements.
    // removedAbove: highestBlockHigh of the populations the run was computed from.
    MeasuredSeries(const ResultSeries &series, MeasurementSettings settings,
        double removedAbove = std::numeric_limits<double>::infinity());

    std::size_t specimenCount() const override { return m_series.size(); }
    // The prefix and the member index, zero-padded to the width of the highest index.
    std::string specimenName(std::size_t member) const override;
    std::vector<MeasuredStep> specimen(std::size_t member) const override;

    const std::vector<std::int32_t> &temperatures() const { return m_temperatures; }
    const MeasurementSettings &settings() const override { return m_settings; }
    bool simulated() const override { return true; }

private:
    const ResultSeries &m_series;
    MeasurementSettings m_settings;
    double m_removedAbove;
    std::vector<std::int32_t> m_temperatures;
};

} // namespace Demagora
