#include "measurements/measurementschedule.h"

#include "measurements/measurementerror.h"

#include <charconv>

namespace Demagora {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Reads a whole number of degrees; false when the text is not one.
bool readWholeDegrees(std::string_view text, std::int32_t &value)
{
    // from_chars takes no leading '+'; a sign of its own is still a number the user means.
    if (text.starts_with('+'))
        text.remove_prefix(1);
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    return !text.empty() && error == std::errc() && end == last;
}

MeasurementSchedule parseEvery(std::string_view text, std::string_view stepText)
{
    MeasurementSchedule schedule;
    if (!readWholeDegrees(trimmed(stepText), schedule.everyDegrees) || schedule.everyDegrees < 1
        || schedule.everyDegrees > MaxScheduleDegrees) {
        throw MeasurementError("measurement steps '" + std::string(text)
            + "': the step of every:N must be a whole number of degrees from 1 to "
            + std::to_string(MaxScheduleDegrees));
    }
    return schedule;
}

} // namespace

MeasurementSchedule parseSchedule(std::string_view text)
{
    const std::string_view whole = trimmed(text);
    if (whole.starts_with("every:"))
        return parseEvery(text, whole.substr(6));
    if (whole.empty()) {
        throw MeasurementError(
            "no measurement steps given: list temperatures like 0,100,150 or give every:N");
    }

    MeasurementSchedule schedule;
    std::string_view rest = whole;
    while (true) {
        const auto comma = rest.find(',');
        const std::string_view item = trimmed(rest.substr(0, comma));
        std::int32_t degrees = 0;
        if (!readWholeDegrees(item, degrees)) {
            throw MeasurementError("measurement steps: '" + std::string(item)
                + "' is not a whole number of degrees (list temperatures like 0,100,150 or "
                  "give every:N)");
        }
        if (degrees < MinScheduleDegrees || degrees > MaxScheduleDegrees) {
            throw MeasurementError("measurement steps: " + std::to_string(degrees)
                + " degrees is outside " + std::to_string(MinScheduleDegrees) + " to "
                + std::to_string(MaxScheduleDegrees));
        }
        if (!schedule.listedDegrees.empty() && degrees <= schedule.listedDegrees.back()) {
            throw MeasurementError("measurement steps: the temperatures must increase ("
                + std::to_string(degrees) + " follows "
                + std::to_string(schedule.listedDegrees.back()) + ")");
        }
        if (schedule.listedDegrees.size() == MaxScheduleSteps) {
            throw MeasurementError("measurement steps: more than "
                + std::to_string(MaxScheduleSteps) + " temperatures listed");
        }
        schedule.listedDegrees.push_back(degrees);
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return schedule;
}

std::string scheduleText(const MeasurementSchedule &schedule)
{
    if (schedule.listedDegrees.empty())
        return "every:" + std::to_string(schedule.everyDegrees);
    std::string text;
    for (const std::int32_t degrees : schedule.listedDegrees) {
        if (!text.empty())
            text += ',';
        text += std::to_string(degrees);
    }
    return text;
}

std::vector<std::int32_t> scheduleTemperatures(
    const MeasurementSchedule &schedule, std::int32_t runLowDegrees, std::int32_t runHighDegrees)
{
    if (!schedule.listedDegrees.empty())
        return schedule.listedDegrees;
    if (schedule.everyDegrees < 1)
        throw MeasurementError("measurement steps: the step of every:N must be at least 1 degree");
    std::vector<std::int32_t> temperatures;
    // 64-bit steps: a step near the int32 limit must not wrap past the run's end.
    for (std::int64_t t = runLowDegrees; t < runHighDegrees; t += schedule.everyDegrees)
        temperatures.push_back(static_cast<std::int32_t>(t));
    temperatures.push_back(runHighDegrees);
    return temperatures;
}

} // namespace Demagora
