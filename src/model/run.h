#pragma once

#include "model/populations.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace Demagora {

// How a run reports to its caller. All calls come from the thread that called
// RunDemagnetization, never from a worker thread.
class RunObserver
{
public:
    virtual ~RunObserver() = default;
    virtual void setMaximum(int maximum) { (void)maximum; }
    virtual void advance() { }
    virtual void reset() { }
    // Asked before the first member and between members; a run that is stopped leaves
    // ResultSeries empty. setMaximum and advance come once per finished member, reset once
    // at the end of every run that passed its checks (stopped or failed too).
    virtual bool stopRequested() const { return false; }
};

// Fills series (emptied first) with one curve per member index: at every step from
// runLowTemp to runHighTemp by (runHighTemp - runLowTemp) div pointCount, the sum over the
// populations of each member's X, Y and Z, added in population order. Sets every member's
// current temperature to the last step. Throws ModelError when the run cannot be carried
// out (no population, differing member counts, pointCount below 1 or above the range).
// Member indices are computed on all cores (a small run stays on the calling thread); the
// results are bit for bit those of summing every member's GetX, GetY and GetZ step by
// step. Blocking temperatures and run temperatures beyond MaxBlockingTemperature are
// refused.
void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer = nullptr);

// The same on threadCount worker threads (1: on the calling thread alone).
void RunDemagnetization(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
    ResultSeries &series, ComponentPopulations &populations, RunObserver *observer,
    unsigned threadCount);

// A run made ready: its step temperatures and the spectrum tables of its populations. It
// gives the curve of any member index, bit for bit the one RunDemagnetization stores in
// ResultSeries, without keeping every curve: for callers that use each curve once, in turn.
// The populations must outlive it unchanged. memberCurve may be called from several threads
// at once.
class PreparedRun
{
public:
    // Checks the inputs as RunDemagnetization does (throws ModelError) and builds the tables
    // on threadCount threads (0: as many as the size of the run calls for), asking
    // stopRequested, when given, between tables.
    PreparedRun(std::int32_t pointCount, std::int32_t runLowTemp, std::int32_t runHighTemp,
        const ComponentPopulations &populations, unsigned threadCount = 0,
        const std::function<bool()> &stopRequested = {});
    ~PreparedRun();
    PreparedRun(const PreparedRun &) = delete;
    PreparedRun &operator=(const PreparedRun &) = delete;

    // False when stopRequested stopped the building of the tables; no curve can be had then.
    bool complete() const;
    std::size_t memberCount() const;
    std::size_t stepCount() const;
    // Member m's curve, in curve (resized to stepCount()).
    void memberCurve(std::size_t m, ResultSeriesEntry &curve) const;
    // The curves of members first, first + 1, ..., one per entry of curves: the same, with
    // the spectrum sums of several members formed side by side.
    void memberCurves(std::size_t first, std::span<ResultSeriesEntry> curves) const;
    // The temperature of the last step, at which a finished run leaves every member.
    double lastTemperature() const;

private:
    struct Tables;
    const ComponentPopulations &m_populations;
    std::unique_ptr<Tables> m_tables;
};

} // namespace Demagora
