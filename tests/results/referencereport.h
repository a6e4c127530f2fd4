#pragma once

// The report builder as it stood when every cell was formed up front and held as a string:
// the reference the tables formed on demand are compared with, cell for cell.

#include "model/populations.h"
#include "results/reporttable.h"
#include "text/statistics.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora::Testing {

struct ReferenceReport
{
    std::string caption;
    int columnCount = 0;
    int rowCount = 0;
    std::vector<std::string> cells; // row-major, rowCount * columnCount

    const std::string &cell(int column, int row) const
    {
        return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columnCount)
            + static_cast<std::size_t>(column)];
    }
};

inline std::string referenceFormatGeneral(long double value, std::string_view decimalSeparator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // Rounded to 15 significant digits first: the notation follows the rounded exponent, so
    // 9.99999999999999949E-5 becomes 0.0001 and not 1E-4.
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 14);
    const std::string_view scientific(buffer.data(), result.ptr - buffer.data());

    const bool negative = scientific.front() == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t exponentMark = scientific.find('e');
    std::string digits;
    for (std::size_t i = mantissaStart; i < exponentMark; ++i) {
        if ((scientific[i] >= '0' && scientific[i] <= '9'))
            digits += scientific[i];
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    int exponent = 0;
    std::string_view exponentText = scientific.substr(exponentMark + 1);
    if (exponentText.front() == '+')
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    // The value as 0.d1d2... x 10^e.
    const int e = exponent + 1;

    std::string text = negative ? "-" : "";
    if (e >= -3 && e <= 15) {
        if (e > 0) {
            const auto whole = static_cast<std::size_t>(e);
            if (digits.size() <= whole) {
                text += digits;
                text.append(whole - digits.size(), '0');
            } else {
                text += digits.substr(0, whole);
                text += decimalSeparator;
                text += digits.substr(whole);
            }
        } else {
            text += '0';
            text += decimalSeparator;
            text.append(static_cast<std::size_t>(-e), '0');
            text += digits;
        }
    } else {
        text += digits.front();
        if (digits.size() > 1) {
            text += decimalSeparator;
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(exponent);
    }
    return text;
}

// Fills a reference report cell by cell; the grid is sized once, before any cell is written.
class GridBuilder
{
public:
    GridBuilder(ReferenceReport &table, std::string_view decimalSeparator)
        : m_table(table)
        , m_separator(decimalSeparator)
    { }

    void resize(int columnCount, int rowCount)
    {
        m_table.columnCount = columnCount;
        m_table.rowCount = rowCount;
        m_table.cells.assign(
            static_cast<std::size_t>(columnCount) * static_cast<std::size_t>(rowCount), {});
    }

    void setText(int column, int row, std::string text)
    {
        m_table.cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_table.columnCount)
            + static_cast<std::size_t>(column)]
            = std::move(text);
    }

    void setInteger(int column, int row, long long value)
    {
        setText(column, row, std::to_string(value));
    }

    void setNumber(int column, int row, long double value)
    {
        setText(column, row, referenceFormatGeneral(value, m_separator));
    }

    // A block of one sample has no sample standard deviation: its cell stays empty.
    void setStandardDeviation(int column, int row, const SampleStatistics &statistics)
    {
        if (statistics.standardDeviation)
            setNumber(column, row, *statistics.standardDeviation);
    }

private:
    ReferenceReport &m_table;
    std::string_view m_separator;
};

inline void buildInitialReport(
    ReferenceReport &table, GridBuilder &grid, const ComponentPopulations &populations)
{
    const int n = populations.empty() ? 0 : static_cast<int>(populations.front().size());
    const int c = static_cast<int>(populations.size());
    const bool scattered = n - 1 > 0;

    table.caption = "initial components";
    grid.resize(scattered ? 8 : 6, n * c + 1);
    if (scattered) {
        grid.setText(6, 0, "StDev(lengths)");
        grid.setText(7, 0, "StDev(heights)");
    }
    grid.setText(0, 0, "component");
    grid.setText(1, 0, "vector");
    grid.setText(2, 0, "declination");
    grid.setText(3, 0, "inclination");
    grid.setText(4, 0, "length of vector");
    grid.setText(5, 0, "heights");

    // The last member of a scattered population is not listed.
    const int m = scattered ? n - 1 : 1;
    std::vector<double> lengthSamples;
    std::vector<double> heightSamples;
    int row = 1;
    for (int q = 0; q < c; ++q) {
        const Population &population = populations[static_cast<std::size_t>(q)];
        const int listed = std::min(m, static_cast<int>(population.size()));
        const int blockRow = row;
        lengthSamples.clear();
        heightSamples.clear();
        for (int j = 0; j < listed; ++j, ++row) {
            const TVector &member = population[static_cast<std::size_t>(j)];
            const double length = member.Remaining(0);
            grid.setInteger(0, row, q);
            grid.setInteger(1, row, j);
            grid.setNumber(2, row, member.Declination);
            grid.setNumber(3, row, member.Inclination);
            grid.setNumber(4, row, length);
            grid.setNumber(5, row, member.Height);
            lengthSamples.push_back(length);
            heightSamples.push_back(member.Height);
        }
        if (scattered && !lengthSamples.empty()) {
            grid.setStandardDeviation(6, blockRow, sampleStatistics(lengthSamples));
            grid.setStandardDeviation(7, blockRow, sampleStatistics(heightSamples));
        }
    }
}

inline void buildResultingReport(ReferenceReport &table, GridBuilder &grid,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp)
{
    const long long v = static_cast<long long>(series.size());
    const long long s = std::max<long long>(0, static_cast<long long>(runHighTemp) - runLowTemp);
    const bool scattered = v - 1 > 0;
    // The last series of a scattered run is not listed, nor is the last step of any series.
    const long long w = scattered ? v - 1 : 1;

    // Step 0 is listed even in a run of a single step. Steps a series does not hold are not
    // listed at all, rather than read past its end.
    const long long listedSeries = std::min(w, v);
    long long steps = listedSeries > 0 ? std::max<long long>(s, 1) : 0;
    for (long long index = 0; index < listedSeries; ++index) {
        const std::size_t held = series[static_cast<std::size_t>(index)].size();
        steps = std::min(steps, static_cast<long long>(held));
    }
    const long long filledRows = 1 + steps * listedSeries;

    table.caption = "resulting vectors";
    const long long rowCount = std::max((s + 1) * v, filledRows);
    if (rowCount * (scattered ? 7 : 5) > std::numeric_limits<int>::max())
        throw std::length_error("The result table has too many rows to be shown");
    grid.resize(scattered ? 7 : 5, static_cast<int>(rowCount));
    if (scattered) {
        grid.setText(5, 0, "Mean(Length)");
        grid.setText(6, 0, "StDev(Length)");
    }
    grid.setText(0, 0, "Temperature");
    grid.setText(1, 0, "vector");
    grid.setText(2, 0, "declination");
    grid.setText(3, 0, "inclination");
    grid.setText(4, 0, "length");

    std::vector<double> lengthSamples;
    int row = 1;
    for (long long t = 0; t < steps; ++t) {
        const int blockRow = row;
        lengthSamples.clear();
        for (long long index = 0; index < listedSeries; ++index, ++row) {
            const TResultVectors &point
                = series[static_cast<std::size_t>(index)][static_cast<std::size_t>(t)];
            const double length = point.Length();
            grid.setInteger(0, row, t);
            grid.setInteger(1, row, index);
            grid.setNumber(2, row, point.Declination());
            grid.setNumber(3, row, point.Inclination());
            grid.setNumber(4, row, length);
            lengthSamples.push_back(length);
        }
        if (scattered) {
            const SampleStatistics statistics = sampleStatistics(lengthSamples);
            grid.setNumber(5, blockRow, statistics.mean);
            grid.setStandardDeviation(6, blockRow, statistics);
        }
    }
}

inline ReferenceReport buildReferenceReport(const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    std::string_view decimalSeparator = ".")
{
    ReferenceReport table;
    GridBuilder grid(table, decimalSeparator);
    if (kind == ReportKind::Initial)
        buildInitialReport(table, grid, populations);
    else
        buildResultingReport(table, grid, series, runLowTemp, runHighTemp);
    return table;
}

} // namespace Demagora::Testing
