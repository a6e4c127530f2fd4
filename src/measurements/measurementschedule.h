#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// The temperatures at which the virtual laboratory measures: either a list of whole degrees,
// or every everyDegrees from the run's first step, the run's last step always included.
struct MeasurementSchedule
{
    std::vector<std::int32_t> listedDegrees; // strictly increasing; empty: the step rule
    std::int32_t everyDegrees = 50;

    bool operator==(const MeasurementSchedule &) const = default;
};

// Lowest and highest listed temperature, and the longest list, accepted by parseSchedule.
inline constexpr std::int32_t MinScheduleDegrees = -273;
inline constexpr std::int32_t MaxScheduleDegrees = 100000;
inline constexpr std::size_t MaxScheduleSteps = 10000;

// Reads "every:N" (N whole degrees, at least 1) or a comma-separated list of strictly
// increasing whole degrees ("0,100,150"); blanks around the items are allowed.
// Throws MeasurementError with the user's message for anything else.
MeasurementSchedule parseSchedule(std::string_view text);

// The text parseSchedule reads back into the same schedule.
std::string scheduleText(const MeasurementSchedule &schedule);

// The temperatures measured for a run from runLowDegrees to runHighDegrees: the list as
// given, or runLow, runLow + N, ... and runHigh.
std::vector<std::int32_t> scheduleTemperatures(
    const MeasurementSchedule &schedule, std::int32_t runLowDegrees, std::int32_t runHighDegrees);

} // namespace Demagora
