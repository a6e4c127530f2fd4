#pragma once

#include <cstddef>
#include <functional>

namespace Demagora {

// How many threads the processor runs at once (at least 1): the worker count of every
// parallel loop of the program.
unsigned coreCount();

// Runs task(i) for every i in [0, count) on up to threadCount worker threads, in any
// order. The calling thread does not share the work: it waits, calls onFinished() once for
// every finished task and asks stopRequested() before the work starts, after each report
// but the last, and while it waits, so that both are only ever called from the caller's
// thread. With a threadCount of 1 the tasks run on the calling thread itself,
// stopRequested() asked before each of them. Returns false when stopped (even if the
// workers had finished everything meanwhile); tasks not yet started are then skipped.
// The first exception of a task (or of a callback) is rethrown after every worker has
// ended.
bool runParallelTasks(std::size_t count, unsigned threadCount,
    const std::function<void(std::size_t)> &task, const std::function<void()> &onFinished,
    const std::function<bool()> &stopRequested);

} // namespace Demagora
