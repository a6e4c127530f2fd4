#include "measurements/measuredseries.h"

#include "measurements/measurementerror.h"
#include "model/tresultvectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace Demagora {
namespace {

// A curve from low to high by step whose every point differs: X = t, Y = -2t, Z = t / 2 + m.
ResultSeriesEntry distinctCurve(int low, int high, int step = 1, double member = 0)
{
    ResultSeriesEntry curve;
    for (int t = low; t <= high; t += step)
        curve.push_back({ double(t), double(t), -2.0 * t, t / 2.0 + member });
    return curve;
}

MeasurementSettings settingsWith(const char *schedule)
{
    MeasurementSettings settings;
    settings.schedule = parseSchedule(schedule);
    return settings;
}

TEST(MeasuredSeriesTest, MeasuresTheScaledCurveAndTheRunsEndsOutsideIt)
{
    const ResultSeries series { distinctCurve(100, 200), distinctCurve(100, 200, 1, 7) };
    MeasurementSettings settings = settingsWith("20,100,137,200,650");
    settings.scaleAPerM = 0.25;
    const MeasuredSeries measured(series, settings);
    // Below the run nothing has demagnetized; above it the last step stays.
    const std::int32_t curveTemperature[] = { 100, 100, 137, 200, 200 };
    const std::vector<MeasuredStep> steps = measured.specimen(1);
    ASSERT_EQ(steps.size(), 5u);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const double t = curveTemperature[i];
        EXPECT_EQ(steps[i].temperature, settings.schedule.listedDegrees[i]);
        EXPECT_EQ(steps[i].x, t * 0.25);
        EXPECT_EQ(steps[i].y, -2 * t * 0.25);
        EXPECT_EQ(steps[i].z, (t / 2 + 7) * 0.25);
    }

    // The run ended at 200, the whole degree below the highest upper end, 200.4: its last step
    // stands up to 200.4, and nothing is left above.
    const std::vector<MeasuredStep> ended = MeasuredSeries(series, settings, 200.4).specimen(0);
    EXPECT_EQ(ended[3].x, 200 * 0.25);
    EXPECT_EQ(std::hypot(ended[4].x, ended[4].y, ended[4].z), 0);

    // A curve coarser than a degree gives its last point not above the temperature.
    const ResultSeries coarse { distinctCurve(100, 200, 10) };
    EXPECT_EQ(MeasuredSeries(coarse, settingsWith("105")).specimen(0).front().x, 100 * 1e-3);
}

TEST(MeasuredSeriesTest, NamesSortAndDirectionsAreTheRuns)
{
    const ResultSeries series(11, distinctCurve(0, 60));
    MeasurementSettings settings = settingsWith("every:20");
    settings.prefix = "x-1.";
    const MeasuredSeries measured(series, settings);
    EXPECT_EQ(measured.specimenName(0), "x-1.00");
    EXPECT_EQ(measured.specimenName(10), "x-1.10");
    EXPECT_EQ(MeasuredSeries(ResultSeries(1, distinctCurve(0, 1)), {}).specimenName(0), "sim0");

    for (const MeasuredStep &step : measured.specimen(3)) {
        SCOPED_TRACE(step.temperature);
        const TResultVectors &point = series[3][std::size_t(step.temperature)];
        EXPECT_NEAR(step.declination(), std::fmod(point.Declination() + 360, 360), 1e-9);
        EXPECT_NEAR(step.inclination(), point.Inclination(), 1e-9);
        EXPECT_NEAR(step.intensity(), point.Length() * 1e-3, 1e-15);
    }
}

TEST(MeasuredSeriesTest, DirectionsStayInRangeAndAZeroVectorHasNone)
{
    struct Case
    {
        MeasuredStep step;
        double declination;
        double inclination;
    };
    const Case cases[] = {
        { { 0, 0, 0, 0 }, 0, 0 },
        { { 0, 1, -1e-300, 0 }, 0, 0 }, // would round to 360
        { { 0, 0, -1, 0 }, 270, 0 },
        { { 0, -1, 0, -1 }, 180, -45 },
        { { 0, 0, 0, 2 }, 0, 90 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.declination);
        EXPECT_NEAR(c.step.declination(), c.declination, 1e-12);
        EXPECT_LT(c.step.declination(), 360);
        EXPECT_NEAR(c.step.inclination(), c.inclination, 1e-12);
    }
}

TEST(MeasuredSeriesTest, NoiseIsSeededGaussianAndPerSpecimen)
{
    // A zero curve: everything measured is noise.
    ResultSeriesEntry zero;
    for (int t = 0; t <= 10000; ++t)
        zero.push_back({ double(t), 0, 0, 0 });
    const ResultSeries flat(3, zero);
    MeasurementSettings settings = settingsWith("every:1");
    settings.noiseAPerM = 2e-6;
    settings.noiseSeed = 42;
    const MeasuredSeries measured(flat, settings);

    std::vector<double> values;
    for (const MeasuredStep &step : measured.specimen(2)) {
        values.push_back(step.x);
        values.push_back(step.y);
        values.push_back(step.z);
    }
    const double n = double(values.size());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / n;
    double squares = 0;
    for (const double v : values)
        squares += (v - mean) * (v - mean);
    const double deviation = std::sqrt(squares / (n - 1));
    EXPECT_NEAR(mean, 0, 4 * 2e-6 / std::sqrt(n));
    EXPECT_NEAR(deviation, 2e-6, 0.03 * 2e-6);

    // Same seed, same noise, whatever was read before; other specimens and seeds differ.
    const MeasuredSeries again(flat, settings);
    EXPECT_EQ(again.specimen(2)[77].y, measured.specimen(2)[77].y);
    EXPECT_NE(measured.specimen(1)[77].y, measured.specimen(2)[77].y);
    settings.noiseSeed = 43;
    EXPECT_NE(MeasuredSeries(flat, settings).specimen(2)[77].y, measured.specimen(2)[77].y);
}

TEST(MeasuredSeriesTest, RefusesWhatCannotBeExported)
{
    const ResultSeries series { distinctCurve(0, 10) };
    struct Case
    {
        const char *message;
        void (*change)(MeasurementSettings &);
    };
    const Case cases[] = {
        { "the scale must be a positive number of A/m per unit",
            [](MeasurementSettings &s) { s.scaleAPerM = 0; } },
        { "the specimen volume must be a positive number of cm3",
            [](MeasurementSettings &s) { s.volumeCm3 = std::nan(""); } },
        { "the noise must be 0 or a positive number of A/m",
            [](MeasurementSettings &s) { s.noiseAPerM = -1e-6; } },
        { "the specimen name prefix 'a\tb' may hold only letters, digits, '-', '_' and '.'",
            [](MeasurementSettings &s) { s.prefix = "a\tb"; } },
        { "the specimen name prefix is longer than 40 characters",
            [](MeasurementSettings &s) { s.prefix = std::string(41, 'a'); } },
        { "the specimen name prefix is empty; the site and location take its name",
            [](MeasurementSettings &s) { s.prefix.clear(); } },
        { "the latitude must lie from -90 to 90 degrees",
            [](MeasurementSettings &s) { s.latitude = 90.5; } },
        { "20 specimens at 100001 steps are more than 2000000 measurements; measure fewer "
          "steps or fewer members",
            nullptr },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        MeasurementSettings settings;
        ResultSeries input = series;
        if (c.change) {
            c.change(settings);
        } else {
            input.assign(20, distinctCurve(0, 100000));
            settings.schedule = parseSchedule("every:1");
        }
        try {
            MeasuredSeries measured(input, settings);
            ADD_FAILURE() << "accepted";
        } catch (const MeasurementError &error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
    EXPECT_THROW(MeasuredSeries(ResultSeries {}, {}), MeasurementError);
}

// Settings whose moments would overflow are refused by name; they were written as 0 before.
TEST(MeasuredSeriesTest, RefusesSettingsWhoseMomentsWouldOverflow)
{
    struct Case
    {
        double scale;
        double volume;
        double noise;
        double largest; // the run's largest component, model units
        const char *message; // nullptr: accepted
    };
    const Case cases[] = {
        { 1e308, 10, 0, 10,
            "the scale 1e+308 A/m per unit is too large: the moments would "
            "overflow (at most 1e+100)" },
        { 1e-3, 1e308, 0, 10,
            "the specimen volume 1e+308 cm3 is too large: the moments would "
            "overflow (at most 1e+100)" },
        { 1e60, 1e60, 0, 10,
            "the scale times the specimen volume is 1e+120: the moments would "
            "overflow (at most 1e+100)" },
        { 1e-3, 10, 1e300, 10,
            "the noise 1e+300 A/m is too large: the moments would overflow "
            "(at most 1e+100)" },
        { 1e100, 1e-6, 0, 1e60,
            "the scale 1e+100 A/m per unit is too large for this run: its largest "
            "magnetization, 1e+60 units, would exceed 1e+150 A/m" },
        { 1e90, 1, 0, 1e55,
            "the scale 1e+90 A/m per unit times the specimen volume 1 cm3 is too large for "
            "this run: its largest moment would exceed 1e+150 pico A m2" },
        { 1e90, 1, 0, 1e50, nullptr },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message ? c.message : "accepted");
        MeasurementSettings settings = settingsWith("0,10");
        settings.scaleAPerM = c.scale;
        settings.volumeCm3 = c.volume;
        settings.noiseAPerM = c.noise;
        ResultSeriesEntry curve = distinctCurve(0, 10);
        curve.back().X = -c.largest;
        const ResultSeries series { curve };
        try {
            const MeasuredSeries measured(series, settings);
            EXPECT_EQ(c.message, nullptr) << "accepted";
            const MeasuredStep last = measured.specimen(0).back();
            EXPECT_TRUE(std::isfinite(last.intensity()));
            EXPECT_GT(last.intensity() * c.volume * 1e6, 0.5e140);
        } catch (const MeasurementError &error) {
            ASSERT_NE(c.message, nullptr) << error.what();
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

} // namespace
} // namespace Demagora
