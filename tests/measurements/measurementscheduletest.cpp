#include "measurements/measurementschedule.h"

#include "measurements/measurementerror.h"

#include <gtest/gtest.h>

namespace Demagora {
namespace {

using Degrees = std::vector<std::int32_t>;

TEST(MeasurementScheduleTest, TemperaturesOfStepsAndLists)
{
    struct Case
    {
        const char *text;
        std::int32_t low;
        std::int32_t high;
        Degrees expected;
    };
    const Case cases[] = {
        { "every:50", 100, 300, { 100, 150, 200, 250, 300 } },
        { "every:50", 120, 310, { 120, 170, 220, 270, 310 } }, // the last step always included
        { " every: 25 ", 0, 40, { 0, 25, 40 } },
        { "every:1000", 7, 9, { 7, 9 } },
        { "every:5", 30, 30, { 30 } },
        { "0, 100,150 ,+200", 120, 310, { 0, 100, 150, 200 } }, // a list stands as given
        { "-20", 0, 10, { -20 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const MeasurementSchedule schedule = parseSchedule(c.text);
        EXPECT_EQ(scheduleTemperatures(schedule, c.low, c.high), c.expected);
        EXPECT_EQ(parseSchedule(scheduleText(schedule)), schedule);
    }
    EXPECT_EQ(
        scheduleTemperatures(MeasurementSchedule {}, 100, 220), (Degrees { 100, 150, 200, 220 }));
}

TEST(MeasurementScheduleTest, RefusesWhatIsNoSchedule)
{
    struct Case
    {
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        { "", "no measurement steps given: list temperatures like 0,100,150 or give every:N" },
        { "every:0",
            "measurement steps 'every:0': the step of every:N must be a whole number of degrees "
            "from 1 to 100000" },
        { "every:2.5",
            "measurement steps 'every:2.5': the step of every:N must be a whole number of "
            "degrees from 1 to 100000" },
        { "0,100,,200",
            "measurement steps: '' is not a whole number of degrees (list temperatures like "
            "0,100,150 or give every:N)" },
        { "0,12.5",
            "measurement steps: '12.5' is not a whole number of degrees (list temperatures like "
            "0,100,150 or give every:N)" },
        { "0,200,100", "measurement steps: the temperatures must increase (100 follows 200)" },
        { "0,0", "measurement steps: the temperatures must increase (0 follows 0)" },
        { "-274", "measurement steps: -274 degrees is outside -273 to 100000" },
        { "100001", "measurement steps: 100001 degrees is outside -273 to 100000" },
        { "99999999999",
            "measurement steps: '99999999999' is not a whole number of degrees (list "
            "temperatures like 0,100,150 or give every:N)" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseSchedule(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const MeasurementError &error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

} // namespace
} // namespace Demagora
