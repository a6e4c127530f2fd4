#pragma once

namespace Demagora {

// Blocking temperatures beyond this magnitude are refused: the 0.1-degree slices of the
// spectrum sum cannot step down from such a value, and the run would never end.
inline constexpr double MaxBlockingTemperature = 100000;

// Each check throws ModelError with a message for the user when the value is refused.
void checkBlockingTemperature(double degrees);
void checkFisherK(double k);
void checkRandomPoints(int count);

} // namespace Demagora
