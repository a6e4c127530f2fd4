#pragma once

#include "model/populations.h"

#include <cstdint>

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

} // namespace Demagora
