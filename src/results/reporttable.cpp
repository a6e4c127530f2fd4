#include "results/reporttable.h"

#include "model/wholemagnetization.h"
#include "text/numbertext.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <span>
#include <stdexcept>

namespace Demagora {

namespace {

void appendInteger(std::string &text, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

} // namespace

ReportTable ReportTable::fromTexts(
    std::string caption, int columnCount, std::vector<std::string> cells)
{
    ReportTable table;
    table.m_caption = std::move(caption);
    table.m_columnCount = columnCount;
    table.m_rowCount = columnCount > 0 ? static_cast<int>(cells.size()) / columnCount : 0;
    table.m_texts = std::move(cells);
    return table;
}

std::string ReportTable::cell(int column, int row) const
{
    std::string text;
    appendCell(text, column, row);
    return text;
}

void ReportTable::appendCell(std::string &text, int column, int row) const
{
    if (column < 0 || column >= m_columnCount || row < 0 || row >= m_rowCount)
        return;
    if (!m_texts.empty()) {
        text += m_texts[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columnCount)
            + static_cast<std::size_t>(column)];
        return;
    }
    if (row == 0) {
        text += m_headings[static_cast<std::size_t>(column)];
        return;
    }
    if (m_kind == ReportKind::Initial)
        appendInitialCell(text, column, row - 1);
    else
        appendResultingCell(text, column, row - 1);
}

void ReportTable::appendNumber(std::string &text, long double value) const
{
    appendGeneral(text, value, m_separator);
}

void ReportTable::layOutInitial()
{
    const ComponentPopulations &populations = *m_populations;
    const int n = populations.empty() ? 0 : static_cast<int>(populations.front().size());
    const int c = static_cast<int>(populations.size());
    m_scattered = n - 1 > 0;

    m_caption = "initial components";
    m_headings
        = { "component", "vector", "declination", "inclination", "length of vector", "heights" };
    if (m_scattered) {
        m_headings.push_back("StDev(lengths)");
        m_headings.push_back("StDev(heights)");
    }
    m_columnCount = static_cast<int>(m_headings.size());
    m_rowCount = n * c + 1;

    // The last member of a scattered population is not listed; the blocks follow one another
    // from the first row below the headings.
    const int m = m_scattered ? n - 1 : 1;
    m_blockStarts.assign(1, 0);
    for (const Population &population : populations) {
        const int listed = std::min(m, static_cast<int>(population.size()));
        m_blockStarts.push_back(m_blockStarts.back() + listed);
    }

    // The statistics are summed in the order of the rows that list the samples.
    m_lengths = wholeMagnetizations(populations);
    std::vector<double> samples;
    for (std::size_t q = 0; q < populations.size(); ++q) {
        const auto listed = static_cast<std::size_t>(m_blockStarts[q + 1] - m_blockStarts[q]);
        m_lengthStatistics.push_back(
            sampleStatistics(std::span<const double>(m_lengths[q]).first(listed)));
        samples.clear();
        for (std::size_t j = 0; j < listed; ++j)
            samples.push_back(populations[q][j].Height);
        m_heightStatistics.push_back(sampleStatistics(samples));
    }
}

void ReportTable::layOutResulting(std::int32_t runLowTemp, std::int32_t runHighTemp)
{
    const ResultSeries &series = *m_series;
    const long long v = static_cast<long long>(series.size());
    const long long s = std::max<long long>(0, static_cast<long long>(runHighTemp) - runLowTemp);
    m_scattered = v - 1 > 0;
    // The last series of a scattered run is not listed, nor is the last step of any series.
    const long long w = m_scattered ? v - 1 : 1;

    // Step 0 is listed even in a run of a single step. Steps a series does not hold are not
    // listed at all, rather than read past its end.
    m_rowsPerBlock = std::min(w, v);
    m_steps = m_rowsPerBlock > 0 ? std::max<long long>(s, 1) : 0;
    for (long long index = 0; index < m_rowsPerBlock; ++index) {
        const std::size_t held = series[static_cast<std::size_t>(index)].size();
        m_steps = std::min(m_steps, static_cast<long long>(held));
    }
    const long long filledRows = 1 + m_steps * m_rowsPerBlock;

    m_caption = "resulting vectors";
    m_headings = { "Temperature", "vector", "declination", "inclination", "length" };
    if (m_scattered) {
        m_headings.push_back("Mean(Length)");
        m_headings.push_back("StDev(Length)");
    }
    m_columnCount = static_cast<int>(m_headings.size());
    const long long rowCount = std::max((s + 1) * v, filledRows);
    if (rowCount > std::numeric_limits<int>::max())
        throw std::length_error("The result table has too many rows to be shown");
    m_rowCount = static_cast<int>(rowCount);
}

void ReportTable::appendInitialCell(std::string &text, int column, long long index) const
{
    if (index >= m_blockStarts.back())
        return;
    const auto next = std::upper_bound(m_blockStarts.begin(), m_blockStarts.end(), index);
    const long long q = (next - m_blockStarts.begin()) - 1;
    const long long j = index - *(next - 1);
    const TVector &member
        = (*m_populations)[static_cast<std::size_t>(q)][static_cast<std::size_t>(j)];
    switch (column) {
    case 0:
        return appendInteger(text, q);
    case 1:
        return appendInteger(text, j);
    case 2:
        return appendNumber(text, member.Declination);
    case 3:
        return appendNumber(text, member.Inclination);
    case 4:
        return appendNumber(
            text, m_lengths[static_cast<std::size_t>(q)][static_cast<std::size_t>(j)]);
    case 5:
        return appendNumber(text, member.Height);
    default:
        break;
    }
    // A block of one sample has no sample standard deviation: its cell stays empty.
    if (j == 0) {
        const SampleStatistics &statistics = column == 6
            ? m_lengthStatistics[static_cast<std::size_t>(q)]
            : m_heightStatistics[static_cast<std::size_t>(q)];
        if (statistics.standardDeviation)
            appendNumber(text, *statistics.standardDeviation);
    }
}

void ReportTable::appendResultingCell(std::string &text, int column, long long index) const
{
    if (index >= m_steps * m_rowsPerBlock)
        return;
    const long long t = index / m_rowsPerBlock;
    const long long v = index % m_rowsPerBlock;
    const TResultVectors &point
        = (*m_series)[static_cast<std::size_t>(v)][static_cast<std::size_t>(t)];
    switch (column) {
    case 0:
        return appendInteger(text, t);
    case 1:
        return appendInteger(text, v);
    case 2:
        return appendNumber(text, point.Declination());
    case 3:
        return appendNumber(text, point.Inclination());
    case 4:
        return appendNumber(text, point.Length());
    default:
        break;
    }
    if (v != 0)
        return;
    const SampleStatistics &statistics = blockStatistics(t);
    if (column == 5)
        appendNumber(text, statistics.mean);
    else if (statistics.standardDeviation)
        appendNumber(text, *statistics.standardDeviation);
}

const SampleStatistics &ReportTable::blockStatistics(long long block) const
{
    if (m_cache.empty())
        m_cache.resize(CacheSlots);
    CachedStatistics &slot = m_cache[static_cast<std::size_t>(block) % CacheSlots];
    if (slot.block != block) {
        slot.statistics = computeStatistics(block);
        slot.block = block;
    }
    return slot.statistics;
}

// The lengths of a step in the order of the rows, so that the sums are formed as the rows
// list them.
SampleStatistics ReportTable::computeStatistics(long long block) const
{
    m_samples.clear();
    for (long long v = 0; v < m_rowsPerBlock; ++v) {
        m_samples.push_back(
            (*m_series)[static_cast<std::size_t>(v)][static_cast<std::size_t>(block)].Length());
    }
    return sampleStatistics(m_samples);
}

ReportTable buildReportTable(const ComponentPopulations &populations, const ResultSeries &series,
    std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    std::string_view decimalSeparator)
{
    ReportTable table;
    // Any kind other than Initial gives the Resulting report.
    table.m_kind = kind == ReportKind::Initial ? ReportKind::Initial : ReportKind::Resulting;
    table.m_populations = &populations;
    table.m_series = &series;
    table.m_separator = std::string(decimalSeparator);
    if (kind == ReportKind::Initial)
        table.layOutInitial();
    else
        table.layOutResulting(runLowTemp, runHighTemp);
    return table;
}

} // namespace Demagora
