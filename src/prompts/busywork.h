#pragma once

#include <functional>

namespace Demagora {

// Runs work on a worker thread under the busy cursor and returns when it has ended, rethrowing
// whatever it threw. Meanwhile this thread goes on painting and handling every event but the
// user's input, so nothing here reads or changes what work changes. For the commands that
// rebuild scattered populations or sum a large report, which can take seconds.
void runWhileBusy(const std::function<void()> &work);

} // namespace Demagora
