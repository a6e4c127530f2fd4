#include "document/scenariopopulations.h"

#include "support/componentfixtures.h"
#include "support/samepopulations.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace Demagora {
namespace {

using Testing::samePopulations;

Scenario example(const char *name)
{
    return readScenarioFile(std::string(DEMAGORA_EXAMPLES_DIR) + "/" + name);
}

Scenario readBack(const Scenario &scenario)
{
    std::ostringstream text;
    writeScenario(text, scenario);
    return parseScenario(text.str(), "saved.json");
}

ComponentPopulations populationsFrom(const Scenario &scenario, std::uint64_t seed)
{
    MersenneTwisterSource shared(seed);
    return buildPopulations(scenario, shared);
}

TEST(ScenarioDocumentTest, SavedScenarioReadsBackBitForBit)
{
    Scenario scenario;
    // Values whose shortest decimal form is long, or at the edge of the double range.
    scenario.components = { Testing::component(0.1, -1.0 / 3, 2.0 / 3, 99.7, 580.9),
        Testing::component(
            359.99999999999994, 1e-300, 5e-324, -12.25, 1e5, SpectrumShape::Rectangular) };
    for (TVector &component : scenario.components)
        component.SetTemperature(component.BlockLow);
    scenario.population = PopulationSettings { 20, 30.000000000000004, true, 1.5 };
    scenario.draws = { ComponentDraw { 12.5, std::nullopt, 77, 0 },
        ComponentDraw { std::nullopt, 0.1, MaxScenarioSeed, 123456 } };
    scenario.seed = 42;
    scenario.report = ReportKind::Resulting;

    const Scenario back = readBack(scenario);
    EXPECT_TRUE(samePopulations({ scenario.components }, { back.components }));
    EXPECT_EQ(back.draws, scenario.draws);
    EXPECT_EQ(back.population, scenario.population);
    EXPECT_EQ(back.seed, scenario.seed);
    EXPECT_EQ(back.report, scenario.report);
    EXPECT_TRUE(samePopulations(populationsFrom(back, 1), populationsFrom(scenario, 1)));
}

TEST(ScenarioDocumentTest, DrawSettingsEqualToTheSharedOnesAreNotWritten)
{
    Scenario scenario = example("scattered.json");
    scenario.draws
        = { ComponentDraw { scenario.population->fisherK, scenario.population->heightStdDev, 5, 0 },
              ComponentDraw {} };
    std::ostringstream text;
    writeScenario(text, scenario);
    EXPECT_NE(text.str().find("\"version\": 2"), std::string::npos);
    EXPECT_EQ(text.str().find("\"fisherK\"", text.str().find("\"components\"")),
        text.str().find("\"fisherK\"", text.str().find("\"population\"")));
    EXPECT_NE(text.str().find("\"seed\": 5"), std::string::npos);
    EXPECT_EQ(text.str().find("skippedDraws"), std::string::npos);

    EXPECT_THROW(writeScenario(text, Scenario {}), ScenarioError);
}

TEST(ScenarioDocumentTest, NewFieldsAreChecked)
{
    const std::string component
        = R"({"declination": 1, "inclination": 2, "height": 3, "blockLow": 10, "blockHigh": 20,
        "shape": "gauss")";
    const std::string population
        = R"(, "population": {"randomPoints": 3, "fisherK": 3, "differentLengths": false,
        "heightStdDev": 1})";
    struct Case
    {
        std::string json;
        std::string message;
    };
    const Case cases[] = {
        { R"({"version": 3, "components": [)" + component + "}]}",
            "s.json: version: written by a newer Demagora (format version 3); this one reads up "
            "to version 2" },
        { R"({"version": 0, "components": [)" + component + "}]}",
            "s.json: version: expected a whole number from 1 to 1000000, got 0" },
        { R"({"components": [)" + component + R"(, "seed": 4}]})",
            "s.json: components[0].seed: only a scenario with a population scatters its "
            "components" },
        { R"({"components": [)" + component + R"(, "skippedDraws": 4}])" + population + "}",
            "s.json: components[0].skippedDraws: needs the component's own seed" },
        { R"({"components": [)" + component + R"(, "seed": 1, "skippedDraws": 1000000001}])"
                + population + "}",
            "s.json: components[0].skippedDraws: expected a whole number from 0 to 1000000000, "
            "got 1000000001" },
        // Each within the limit, together beyond it: the work is refused before any is done.
        { R"({"components": [)" + component + R"(, "seed": 1, "skippedDraws": 600000000}, )"
                + component + R"(, "seed": 2, "skippedDraws": 400000000}, )" + component
                + R"(, "seed": 3, "skippedDraws": 1}])" + population + "}",
            "s.json: components[2].skippedDraws: takes the numbers skipped by the components so "
            "far to 1000000001, more than the 1000000000 a scenario may skip" },
        { R"({"components": [)" + component + R"(, "fisherK": 0}])" + population + "}",
            "s.json: components[0].fisherK: Fisher's k must be greater than 0 (it is 0)" },
        { R"({"components": [)" + component + R"(}], "report": "final"})",
            "s.json: report: unknown report \"final\" (expected \"initial\" or \"resulting\")" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.json);
        try {
            parseScenario(c.json, "s.json");
            ADD_FAILURE() << "accepted";
        } catch (const ScenarioError &error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(ScenarioDocumentTest, OwnDrawSettingsReachTheScattering)
{
    Scenario scenario = example("scattered.json");
    const ComponentPopulations shared = populationsFrom(scenario, 7);

    Scenario ownK = scenario;
    ownK.draws = { ComponentDraw { 3.0, std::nullopt, std::nullopt, 0 }, ComponentDraw {} };
    Scenario sharedK = scenario;
    sharedK.population->fisherK = 3.0;
    const ComponentPopulations withOwnK = populationsFrom(ownK, 7);
    EXPECT_TRUE(samePopulations({ withOwnK[0] }, { populationsFrom(sharedK, 7)[0] }));
    EXPECT_FALSE(samePopulations({ withOwnK[0] }, { shared[0] }));
    EXPECT_TRUE(samePopulations({ withOwnK[1] }, { shared[1] }));

    Scenario ownSpread = scenario;
    ownSpread.draws = { ComponentDraw {}, ComponentDraw { std::nullopt, 9.0, std::nullopt, 0 } };
    EXPECT_FALSE(samePopulations({ populationsFrom(ownSpread, 7)[1] }, { shared[1] }));
}

TEST(ScenarioDocumentTest, PinnedSeedsGiveTheSharedMembersAndSurviveRemoval)
{
    Scenario scenario = example("scattered.json");
    ASSERT_TRUE(needsSharedSeed(scenario));
    const ComponentPopulations shared = populationsFrom(scenario, 42);

    Scenario pinned = scenario;
    pinComponentSeeds(pinned, 42);
    EXPECT_FALSE(needsSharedSeed(pinned));
    EXPECT_EQ(pinned.draws[0].skippedDraws, 0u);
    EXPECT_GT(pinned.draws[1].skippedDraws, 0u);
    // The shared generator is not touched: another one gives the same members.
    EXPECT_TRUE(samePopulations(populationsFrom(pinned, 999), shared));
    EXPECT_TRUE(samePopulations(populationsFrom(readBack(pinned), 999), shared));

    pinned.components.erase(pinned.components.begin());
    pinned.draws.erase(pinned.draws.begin());
    EXPECT_TRUE(samePopulations(populationsFrom(pinned, 999), { shared[1] }));

    dropComponentSeeds(pinned);
    EXPECT_TRUE(needsSharedSeed(pinned));
}

TEST(ScenarioDocumentTest, ExamplesOpenAsVersionOneScenarios)
{
    for (const char *name : { "two-components.json", "two-rectangular.json", "scattered.json" }) {
        SCOPED_TRACE(name);
        const Scenario scenario = example(name);
        EXPECT_EQ(scenario.components.size(), 2u);
        EXPECT_TRUE(scenario.draws.empty());
        EXPECT_FALSE(scenario.report.has_value());
    }
}

} // namespace
} // namespace Demagora
