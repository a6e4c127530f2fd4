#pragma once

namespace Demagora::Testing {

// The two-component run (A Gauss north, height 10, 100 to 200 degrees; B rectangular east,
// height 5, 150 to 250 degrees) at chosen steps, to ten significant digits. Z and the
// inclination are 0 at every step.
struct WorkedRunRow
{
    int temperature;
    double x, y, length, declination;
};

inline constexpr WorkedRunRow WorkedRunRows[] = {
    { 100, 416.6545573, 500.5, 651.2305813, 50.22340933 },
    { 150, 208.8272786, 500.5, 542.3182482, 67.35228136 },
    { 175, 27.51429540, 375.5, 376.5066885, 85.80921249 },
    { 200, 0, 250.5, 250.5, 90 },
    { 249, 0, 5.5, 5.5, 90 },
    { 250, 0, 0, 0, 0 },
};

} // namespace Demagora::Testing
