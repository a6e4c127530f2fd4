#pragma once

#include "model/populations.h"
#include "results/reportkind.h"
#include "text/statistics.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// A report of the last run: its caption, its fixed layout and the text of any cell, formed
// when it is asked for from the populations and series themselves, so that nothing per cell is
// held. The result window, its Export and demagora-batch read their tables from it.
// A run report reads the populations and series it was built from: they must outlive it and
// stay unchanged. An Initial report sums every member's whole magnetization and its blocks'
// statistics once, when it is built (on every core); a Resulting report keeps the statistics
// of recently read blocks in a small cache of fixed size, so one table must not be read from
// two threads at once.
class ReportTable
{
public:
    ReportTable() = default;

    // A table of given texts, row-major, row 0 holding the headings.
    static ReportTable fromTexts(
        std::string caption, int columnCount, std::vector<std::string> cells);

    const std::string &caption() const { return m_caption; }
    ReportKind kind() const { return m_kind; }
    int columnCount() const { return m_columnCount; }
    int rowCount() const { return m_rowCount; }

    // The text of a cell; empty outside the grid and in rows that are not filled.
    std::string cell(int column, int row) const;
    // Appends the text of a cell to text, the way writers build a whole line.
    void appendCell(std::string &text, int column, int row) const;

private:
    friend ReportTable buildReportTable(const ComponentPopulations &, const ResultSeries &,
        std::int32_t, std::int32_t, ReportKind, std::string_view);

    void layOutInitial();
    void layOutResulting(std::int32_t runLowTemp, std::int32_t runHighTemp);
    void appendInitialCell(std::string &text, int column, long long index) const;
    void appendResultingCell(std::string &text, int column, long long index) const;
    void appendNumber(std::string &text, long double value) const;
    const SampleStatistics &blockStatistics(long long block) const;
    SampleStatistics computeStatistics(long long block) const;

    std::string m_caption;
    ReportKind m_kind = ReportKind::Initial;
    int m_columnCount = 0;
    int m_rowCount = 0;
    std::vector<std::string> m_texts; // the cells of a table of given texts only
    std::vector<std::string> m_headings;

    const ComponentPopulations *m_populations = nullptr;
    const ResultSeries *m_series = nullptr;
    std::string m_separator = ".";
    bool m_scattered = false;
    // Initial report: the first grid row index (0-based below the headings) of every
    // component's block, and one past the last.
    std::vector<long long> m_blockStarts;
    // Initial report: every member's Remaining(0), and per block the statistics of the listed
    // members' lengths and heights.
    std::vector<std::vector<double>> m_lengths;
    std::vector<SampleStatistics> m_lengthStatistics;
    std::vector<SampleStatistics> m_heightStatistics;
    // Resulting report: the listed series per step and the listed steps.
    long long m_rowsPerBlock = 0;
    long long m_steps = 0;

    // Resulting report: direct-mapped cache of step statistics; slot block % size holds the
    // block it names.
    static constexpr std::size_t CacheSlots = 4096;
    struct CachedStatistics
    {
        long long block = -1;
        SampleStatistics statistics;
    };
    mutable std::vector<CachedStatistics> m_cache;
    mutable std::vector<double> m_samples;
};

// Lays out the Initial or Resulting report of the last run; numbers use decimalSeparator.
// Forms no cell. The Resulting report's work is proportional to the number of series; the
// Initial report sums every member's spectrum once (over all cores), which for a large run
// takes long enough to keep off the user-interface thread.
// Throws std::length_error for a grid whose rows cannot be counted in an int.
ReportTable buildReportTable(const ComponentPopulations &populations, const ResultSeries &series,
    std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    std::string_view decimalSeparator = ".");
// The table reads the run it was built from, so it cannot be built from temporaries.
ReportTable buildReportTable(ComponentPopulations &&, const ResultSeries &, std::int32_t,
    std::int32_t, ReportKind, std::string_view = ".")
    = delete;
ReportTable buildReportTable(const ComponentPopulations &, ResultSeries &&, std::int32_t,
    std::int32_t, ReportKind, std::string_view = ".")
    = delete;
ReportTable buildReportTable(ComponentPopulations &&, ResultSeries &&, std::int32_t, std::int32_t,
    ReportKind, std::string_view = ".")
    = delete;

} // namespace Demagora
