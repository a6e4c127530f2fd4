#include "main_window/componentsession.h"

#include "model/modelerror.h"
#include "text/numbertext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Demagora {
namespace {

// Returns the same uniform number every time, so scattered members are reproducible.
class FixedSource : public RandomSource
{
public:
    double uniform() override { return 0.25; }
};

ComponentTexts texts(
    const char *dec, const char *inc, const char *height, const char *low, const char *high)
{
    return { dec, inc, height, low, high };
}

std::vector<std::string> row(const ComponentGrid &grid, int r)
{
    std::vector<std::string> cells;
    for (int c = 0; c < ComponentGrid::ColumnCount; ++c)
        cells.push_back(grid.cell(r, c));
    return cells;
}

using Row = std::vector<std::string>;

class ComponentSessionTest : public ::testing::Test
{
protected:
    void add(const ComponentTexts &t, const PopulationChoices &choices = {})
    {
        session.addDirection(t, choices, random);
    }
    PopulationChoices multiple(const char *k = "30", const char *n = "5", const char *s = "3")
    {
        PopulationChoices choices;
        choices.multiple = true;
        choices.fisherK = k;
        choices.randomPoints = n;
        choices.heightStdDev = s;
        return choices;
    }

    ComponentSession session;
    FixedSource random;
};

TEST(ComponentGridTest, FloorTextRoundsDownWithoutNegativeZero)
{
    const std::pair<double, const char *> cases[] = { { 10.9, "10" }, { -10.5, "-11" },
        { -0.2, "-1" }, { -0.0, "0" }, { 416.6545573, "416" }, { 1e20, "100000000000000000000" } };
    for (const auto &[value, text] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(floorText(value), text);
    }
}

TEST_F(ComponentSessionTest, AddDirectionWritesTheRowRoundedDownAndAdvancesTheCounter)
{
    add(texts("-10.5", "10.9", "10", "100", "200"));
    const ComponentGrid &grid = session.grid();
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(row(grid, 0), (Row { "", "Dec", "Inc", "Height", "low", "high", "length" }));
    EXPECT_EQ(row(grid, 1), (Row { "Comp. #1", "-11", "10", "10", "100", "200", "416" }));
    EXPECT_EQ(row(grid, 2), Row(7));
    EXPECT_EQ(session.settings().componentCounter, 2);
    ASSERT_EQ(session.populations().size(), 1u);
    ASSERT_EQ(session.populations()[0].size(), 1u);
    const TVector &member = session.populations()[0][0];
    EXPECT_EQ(member.SigmaCount, 3);
    EXPECT_EQ(member.Declination, -10.5);
    EXPECT_EQ(member.Temperature, 100);
}

TEST_F(ComponentSessionTest, RunRangeIsComputedFromTheSecondComponentOn)
{
    add(texts("0", "0", "1", "150", "580.9"));
    EXPECT_EQ(session.settings().runHighTemp, 0);
    EXPECT_EQ(session.settings().pointCount, 0);
    add(texts("0", "0", "1", "99.7", "500.2"));
    EXPECT_EQ(session.settings().runLowTemp, 99);
    EXPECT_EQ(session.settings().runHighTemp, 580);
    EXPECT_EQ(session.settings().pointCount, 481);
    EXPECT_EQ(session.settings().stereoPointCount, 481);
}

TEST_F(ComponentSessionTest, RefusedBoxChangesNothing)
{
    struct Case
    {
        ComponentTexts texts;
        const char *message;
    };
    const Case cases[] = {
        { texts("", "1", "1", "1", "2"), "'' is not a valid floating point value" },
        { texts("1", "x", "y", "1", "2"), "'x' is not a valid floating point value" },
        { texts("1", "1", "1", "1", "1,5"), "'1,5' is not a valid floating point value" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            add(c.texts);
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError &error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_EQ(session.grid().rowCount(), 2);
        EXPECT_EQ(session.settings().componentCounter, 1);
        EXPECT_TRUE(session.populations().empty());
    }
}

TEST_F(ComponentSessionTest, BlockingTemperatureBeyondTheLimitIsRefusedBeforeAnythingChanges)
{
    EXPECT_THROW(add(texts("1", "1", "1", "0", "100001")), ModelError);
    EXPECT_THROW(add(texts("1", "1", "1", "-1e6", "10")), ModelError);
    EXPECT_EQ(session.grid().rowCount(), 2);
    EXPECT_TRUE(session.populations().empty());
    add(texts("1", "1", "1", "-100000", "100000"));
    EXPECT_EQ(session.populations().size(), 1u);
}

TEST_F(ComponentSessionTest, RefusedPopulationSettingWritesNoRowAndNamesItsSetting)
{
    const std::pair<PopulationChoices, EntryField> refused[]
        = { { multiple("abc"), EntryField::FisherK }, { multiple("0"), EntryField::FisherK },
              { multiple("-2"), EntryField::FisherK },
              { multiple("30", "2.5"), EntryField::RandomPoints },
              { multiple("30", "0"), EntryField::RandomPoints },
              { multiple("30", "100001"), EntryField::RandomPoints },
              { multiple("30", "5", "x"), EntryField::HeightStdDev } };
    for (const auto &[choices, field] : refused) {
        SCOPED_TRACE(choices.fisherK + " " + choices.randomPoints + " " + choices.heightStdDev);
        ComponentSession fresh;
        EXPECT_ANY_THROW(fresh.addDirection(texts("5", "6", "1", "0", "10"), choices, random));
        EXPECT_EQ(fresh.refusedField(), field);
        EXPECT_EQ(fresh.grid().rowCount(), 2);
        EXPECT_EQ(fresh.grid().cell(1, 0), "");
        EXPECT_TRUE(fresh.populations().empty());
        EXPECT_TRUE(fresh.state().scenario.components.empty());
        EXPECT_EQ(fresh.settings().componentCounter, 1);
    }
    EXPECT_ANY_THROW(add(texts("5", "6", "1", "0", "10"), multiple("abc")));
    add(texts("7", "8", "1", "0", "10"), multiple());
    EXPECT_EQ(session.grid().rowCount(), 3);
    EXPECT_EQ(row(session.grid(), 1)[0], "Comp. #1");
    EXPECT_EQ(row(session.grid(), 1)[1], "7");
    EXPECT_EQ(row(session.grid(), 2), Row(7));
}

TEST_F(ComponentSessionTest, MultipleBuildsThePopulationWithDifferentLengthsOnlyWhenTicked)
{
    PopulationChoices choices = multiple("30", "5");
    choices.differentLengths = true;
    add(texts("30", "45", "10", "0", "100"), choices);
    const Population &population = session.populations().at(0);
    ASSERT_EQ(population.size(), 6u);
    EXPECT_EQ(population[0].Declination, 30);
    EXPECT_EQ(population[0].Height, 10);
    EXPECT_TRUE(population[5].DifferentLengths);
    EXPECT_NE(population[5].Height, 10);

    // Every component of a session is scattered alike, as the locked settings of the
    // window keep it.
    choices.multiple = false;
    EXPECT_THROW(add(texts("30", "45", "10", "0", "100"), choices), ModelError);
    ComponentSession single;
    single.addDirection(texts("30", "45", "10", "0", "100"), choices, random);
    EXPECT_EQ(single.populations().at(0).size(), 1u);
    EXPECT_FALSE(single.populations().at(0)[0].DifferentLengths);
}

TEST_F(ComponentSessionTest, ChangeRewritesTheRowAndThePopulation)
{
    add(texts("1", "2", "10", "100", "200"));
    add(texts("3", "4", "5", "150", "250"));
    EXPECT_EQ(session.grid().cell(1, 6), "416");
    PopulationChoices rectangular;
    rectangular.shape = SpectrumShape::Rectangular;
    session.changeComponent(0, texts("1", "2", "20", "100", "200"), {}, random);
    EXPECT_EQ(row(session.grid(), 1), (Row { "Comp. #1", "1", "2", "20", "100", "200", "833" }));
    EXPECT_EQ(session.populations()[0][0].Height, 20);
    EXPECT_EQ(session.populations()[0][0].SigmaCount, 3);
    session.changeComponent(1, texts("3", "4", "5", "150", "250"), rectangular, random);
    EXPECT_EQ(session.populations()[1][0].Shape, SpectrumShape::Rectangular);
    // The run range stays as the last Add direction left it.
    EXPECT_EQ(session.settings().runLowTemp, 100);
    EXPECT_EQ(session.settings().runHighTemp, 250);
}

// The window reads a change on its own thread and builds the population off it: reading
// touches neither the population nor the grid, which change together when it is applied.
TEST_F(ComponentSessionTest, ReadingAChangeChangesNothingUntilItIsApplied)
{
    add(texts("1", "2", "10", "100", "200"));
    const Row rowBefore = row(session.grid(), 1);
    const ComponentSession::ComponentChange change
        = session.readChange(0, texts("1", "2", "20", "100", "200"), {}, random);
    EXPECT_EQ(session.populations()[0][0].Height, 10);
    EXPECT_EQ(row(session.grid(), 1), rowBefore);
    session.applyChange(change);
    EXPECT_EQ(session.populations()[0][0].Height, 20);
    EXPECT_EQ(row(session.grid(), 1), (Row { "Comp. #1", "1", "2", "20", "100", "200", "833" }));
}

TEST_F(ComponentSessionTest, RefusedChangeLosesNothing)
{
    add(texts("1", "2", "10", "100", "200"), multiple("30", "3"));
    const Population before = session.populations()[0];
    const Row rowBefore = row(session.grid(), 1);
    const std::pair<ComponentTexts, PopulationChoices> refused[] = {
        { texts("x", "2", "10", "100", "200"), multiple() },
        { texts("1", "2", "10", "100", "2e5"), multiple() },
        { texts("1", "2", "10", "100", "200"), multiple("2.5", "3") },
        { texts("1", "2", "10", "100", "200"), multiple("0", "3") },
        { texts("1", "2", "10", "100", "200"), multiple("30", "0") },
        { texts("1", "2", "10", "100", "200"), multiple("30", "3", "x") },
    };
    for (const auto &[t, choices] : refused) {
        SCOPED_TRACE(t.declination + " " + t.blockHigh + " " + choices.fisherK + " "
            + choices.randomPoints + " " + choices.heightStdDev);
        EXPECT_ANY_THROW(session.changeComponent(0, t, choices, random));
        ASSERT_EQ(session.populations().size(), 1u);
        ASSERT_EQ(session.populations()[0].size(), before.size());
        EXPECT_EQ(session.populations()[0][1].Declination, before[1].Declination);
        EXPECT_EQ(row(session.grid(), 1), rowBefore);
    }
    try {
        session.changeComponent(0, texts("1", "2", "10", "100", "200"), multiple("2.5"), random);
        ADD_FAILURE() << "accepted";
    } catch (const ConversionError &error) {
        EXPECT_EQ(std::string(error.what()), "'2.5' is not a valid integer value");
    }
}

TEST_F(ComponentSessionTest, DeletingTheFirstOfThreeMovesTheRowsUp)
{
    add(texts("1", "0", "1", "0", "10"));
    add(texts("2", "0", "1", "0", "20"));
    add(texts("3", "0", "1", "0", "30"));
    session.deleteComponent(0);
    const ComponentGrid &grid = session.grid();
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(row(grid, 1)[0], "Comp. #1");
    EXPECT_EQ(row(grid, 1)[1], "2");
    EXPECT_EQ(row(grid, 2)[0], "Comp. #2");
    EXPECT_EQ(row(grid, 2)[1], "3");
    EXPECT_EQ(row(grid, 3), Row(7));
    EXPECT_EQ(session.settings().componentCounter, 3);
    ASSERT_EQ(session.populations().size(), 2u);
    EXPECT_EQ(session.populations()[0][0].Declination, 2);

    session.deleteComponent(1);
    session.deleteComponent(0);
    EXPECT_EQ(grid.rowCount(), 2);
    add(texts("4", "0", "1", "0", "10"));
    EXPECT_EQ(grid.cell(1, 0), "Comp. #1");
}

TEST_F(ComponentSessionTest, ClearEverythingKeepsTheRunRangeAndReportKind)
{
    add(texts("1", "0", "1", "100", "200"));
    add(texts("2", "0", "1", "150", "300"));
    session.setReportKind(ReportKind::Resulting);
    session.clearEverything();
    EXPECT_TRUE(session.populations().empty());
    EXPECT_TRUE(session.results().empty());
    EXPECT_EQ(session.grid().rowCount(), 2);
    EXPECT_EQ(session.grid().cell(1, 0), "");
    EXPECT_EQ(session.settings().componentCounter, 1);
    EXPECT_EQ(session.settings().pointCount, 200);
    EXPECT_EQ(session.settings().reportKind, ReportKind::Resulting);
}

} // namespace
} // namespace Demagora
