#include "main_window/commandstate.h"
#include "main_window/mainwindowrules.h"

#include <gtest/gtest.h>

namespace Demagora {
namespace {

TEST(CommandStateTest, AtStartOnlyClearEverythingAndMultipleAreAvailable)
{
    const CommandState state;
    EXPECT_FALSE(state.isEnabled(Command::AddDirection));
    EXPECT_FALSE(state.isEnabled(Command::Calculate));
    EXPECT_FALSE(state.isEnabled(Command::ShowResult));
    EXPECT_TRUE(state.isEnabled(Command::ClearEverything));
    EXPECT_FALSE(state.isEnabled(Command::Paint));
    EXPECT_TRUE(state.isEnabled(Setting::Multiple));
    EXPECT_FALSE(state.isEnabled(Setting::DifferentLengths));
    EXPECT_FALSE(state.isEnabled(Setting::RandomPoints));
    EXPECT_FALSE(state.isEnabled(Setting::FisherK));
    EXPECT_FALSE(state.isEnabled(Setting::HeightStdDev));
}

TEST(CommandStateTest, PopulationSettingsFollowTheCheckBoxesUntilTheFirstComponent)
{
    CommandState state;
    state.multipleClicked(true, false);
    EXPECT_TRUE(state.isEnabled(Setting::RandomPoints));
    EXPECT_TRUE(state.isEnabled(Setting::FisherK));
    EXPECT_TRUE(state.isEnabled(Setting::DifferentLengths));
    EXPECT_FALSE(state.isEnabled(Setting::HeightStdDev));
    state.differentLengthsClicked(true);
    EXPECT_TRUE(state.isEnabled(Setting::HeightStdDev));
    // Unticking "multiple ?" with "different lengths" still ticked disables the spread too.
    state.multipleClicked(false, true);
    EXPECT_FALSE(state.isEnabled(Setting::DifferentLengths));
    EXPECT_FALSE(state.isEnabled(Setting::HeightStdDev));
    state.multipleClicked(true, true);
    EXPECT_TRUE(state.isEnabled(Setting::HeightStdDev));

    state.componentAdded(1);
    EXPECT_FALSE(state.isEnabled(Setting::Multiple));
    EXPECT_FALSE(state.isEnabled(Setting::RandomPoints));
    EXPECT_FALSE(state.isEnabled(Setting::DifferentLengths));
    EXPECT_TRUE(state.isEnabled(Setting::FisherK));
    EXPECT_TRUE(state.isEnabled(Setting::HeightStdDev));
    EXPECT_FALSE(state.isEnabled(Command::Calculate));
    state.componentAdded(2);
    EXPECT_TRUE(state.isEnabled(Command::Calculate));
}

TEST(CommandStateTest, ClearEverythingEnablesRandomPointsEvenWithoutMultiple)
{
    CommandState state;
    state.componentAdded(2);
    state.cleared(false);
    EXPECT_TRUE(state.isEnabled(Setting::Multiple));
    EXPECT_TRUE(state.isEnabled(Setting::RandomPoints));
    EXPECT_FALSE(state.isEnabled(Setting::DifferentLengths));
    EXPECT_FALSE(state.isEnabled(Command::Calculate));
    state.componentAdded(1);
    state.cleared(true);
    EXPECT_TRUE(state.isEnabled(Setting::DifferentLengths));
}

TEST(CommandStateTest, ARunLocksEveryCommandThatTouchesTheLists)
{
    CommandState state;
    state.blockHighChanged(true);
    state.componentAdded(2);
    state.runEnded(true);
    state.runStarted();
    for (Command command : { Command::AddDirection, Command::Calculate, Command::ShowResult,
             Command::ClearEverything, Command::Paint, Command::EditComponent }) {
        SCOPED_TRACE(static_cast<int>(command));
        EXPECT_FALSE(state.isEnabled(command));
    }
    // A change of the upper temperature during the run does not bring Add direction back.
    state.blockHighChanged(true);
    EXPECT_FALSE(state.isEnabled(Command::AddDirection));

    state.runEnded(true);
    for (Command command : { Command::AddDirection, Command::Calculate, Command::ShowResult,
             Command::ClearEverything, Command::Paint, Command::EditComponent }) {
        SCOPED_TRACE(static_cast<int>(command));
        EXPECT_TRUE(state.isEnabled(command));
    }
}

TEST(CommandStateTest, ARunThatEndsWithoutResultsRestoresTheCommandsButNotTheOldResults)
{
    CommandState state;
    state.componentAdded(2);
    state.runEnded(true);
    state.blockHighChanged(false);
    state.runStarted();
    state.runEnded(false);
    EXPECT_TRUE(state.isEnabled(Command::Calculate));
    EXPECT_TRUE(state.isEnabled(Command::ClearEverything));
    EXPECT_FALSE(state.isEnabled(Command::AddDirection));
    EXPECT_FALSE(state.isEnabled(Command::ShowResult));
    EXPECT_FALSE(state.isEnabled(Command::Paint));
}

TEST(CommandStateTest, ClosingTheEditorDisablesShowResultAndPaintOnly)
{
    CommandState state;
    state.componentAdded(2);
    state.runEnded(true);
    state.editorClosed();
    EXPECT_FALSE(state.isEnabled(Command::ShowResult));
    EXPECT_FALSE(state.isEnabled(Command::Paint));
    EXPECT_TRUE(state.isEnabled(Command::Calculate));
}

TEST(MainWindowRulesTest, ArrowKeysMoveBetweenTheFiveBoxesOnly)
{
    struct Case
    {
        int box;
        ArrowKey key;
        int target;
    };
    const Case cases[] = { { 0, ArrowKey::Down, 1 }, { 3, ArrowKey::Down, 4 },
        { 4, ArrowKey::Down, -1 }, { -1, ArrowKey::Down, 0 }, { 0, ArrowKey::Up, -1 },
        { 4, ArrowKey::Up, 3 }, { -1, ArrowKey::Up, -1 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.box);
        EXPECT_EQ(arrowTarget(c.box, c.key), c.target);
    }
}

TEST(MainWindowRulesTest, ColumnWidthIsASeventhOfTheWindowLessFive)
{
    EXPECT_EQ(columnWidthFor(750), 102);
    EXPECT_EQ(columnWidthFor(1000), 137);
    EXPECT_EQ(columnWidthFor(754), 102);
}

TEST(MainWindowRulesTest, RunIsRefusedWithoutComponentsOrTemperatureRange)
{
    RunSettings settings;
    settings.runLowTemp = 200;
    settings.runHighTemp = 200;
    EXPECT_EQ(runRefusal(2, 1, settings),
        "The run needs a temperature range of at least one degree, but the blocking temperatures "
        "give a run from 200 to 200 degrees");
    settings.runHighTemp = 201;
    settings.pointCount = 1;
    EXPECT_EQ(runRefusal(2, 1, settings), "");
    EXPECT_EQ(runRefusal(0, 0, settings),
        "There is no component left to calculate: add a component first");
}

TEST(MainWindowRulesTest, RunTooLargeForMemoryIsRefused)
{
    RunSettings settings;
    settings.runLowTemp = 0;
    settings.runHighTemp = 700;
    settings.pointCount = 700;
    // 71,326 members over 701 steps stay within 50,000,000 result points; one more does not.
    EXPECT_EQ(runRefusal(3, 71326, settings), "");
    EXPECT_EQ(runRefusal(3, 71327, settings),
        "The run is too large: 71327 members times 701 steps exceed 50000000 result points");
}

} // namespace
} // namespace Demagora
