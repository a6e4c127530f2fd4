#include "document/scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace Demagora;

namespace {

const std::string GoodComponent = R"({"declination": 10.5, "inclination": -20, "height": 3,
    "blockLow": 99.7, "blockHigh": 580.9, "shape": "rectangular"})";

std::string withComponent(const std::string &component, const std::string &rest = "")
{
    return R"({"components": [)" + component + "]" + rest + "}";
}

std::string refusal(const std::string &json)
{
    try {
        parseScenario(json, "s.json");
    } catch (const ScenarioError &error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(ScenarioTest, BuildsComponentsAsTheMainWindowDoes)
{
    const Scenario scenario = parseScenario(
        withComponent(GoodComponent + R"(, {"declination": 0, "inclination": 0, "height": 10,
            "blockLow": 100, "blockHigh": 200, "shape": "gauss"})"),
        "s.json");
    ASSERT_EQ(scenario.components.size(), 2u);
    const TVector &first = scenario.components[0];
    EXPECT_EQ(first.SigmaCount, 3);
    EXPECT_EQ(first.Declination, 10.5);
    EXPECT_EQ(first.Inclination, -20);
    EXPECT_EQ(first.Height, 3);
    EXPECT_EQ(first.BlockLow, 99.7);
    EXPECT_EQ(first.BlockHigh, 580.9);
    EXPECT_EQ(first.Temperature, 99.7);
    EXPECT_EQ(first.Shape, SpectrumShape::Rectangular);
    EXPECT_FALSE(first.DifferentLengths);
    EXPECT_EQ(scenario.components[1].Shape, SpectrumShape::Gauss);
    EXPECT_FALSE(scenario.population.has_value());
    EXPECT_FALSE(scenario.seed.has_value());
}

TEST(ScenarioTest, ReadsPopulationAndSeed)
{
    const Scenario scenario = parseScenario(withComponent(GoodComponent,
                                                R"(, "population": {"randomPoints": 30.0,
        "fisherK": 12.5, "differentLengths": true, "heightStdDev": 0.25},
        "seed": 9007199254740991)"),
        "s.json");
    ASSERT_TRUE(scenario.population.has_value());
    EXPECT_EQ(scenario.population->randomPoints, 30);
    EXPECT_EQ(scenario.population->fisherK, 12.5);
    EXPECT_TRUE(scenario.population->differentLengths);
    EXPECT_EQ(scenario.population->heightStdDev, 0.25);
    EXPECT_EQ(scenario.seed, MaxScenarioSeed);

    EXPECT_EQ(parseScenario(withComponent(GoodComponent, R"(, "seed": 0)"), "s.json").seed, 0u);
}

TEST(ScenarioTest, RefusalsNameFileFieldAndValue)
{
    const std::string population
        = R"(, "population": {"randomPoints": %R, "fisherK": %K, "differentLengths": false,
        "heightStdDev": 3})";
    const auto withPopulation = [&](const std::string &points, const std::string &k) {
        std::string rest = population;
        rest.replace(rest.find("%R"), 2, points);
        rest.replace(rest.find("%K"), 2, k);
        return withComponent(GoodComponent, rest);
    };
    const std::string seedRange = "expected a whole number from 0 to 9007199254740991, got ";

    struct Case
    {
        std::string json;
        std::string message;
    };
    const Case cases[] = {
        { "",
            "s.json: malformed JSON: parse error at line 1, column 1: syntax error while "
            "parsing value - unexpected end of input; expected '[', '{', or a literal" },
        { "[]", "s.json: the scenario: expected an object, got a list" },
        { "{}", "s.json: components: missing" },
        { R"({"components": {}})",
            "s.json: components: expected a list of components, got an object" },
        { R"({"components": []})",
            "s.json: components: the list is empty: at least one component is needed" },
        { withComponent("7"), "s.json: components[0]: expected an object, got 7" },
        { withComponent(R"({"inclination": 0, "height": 1, "blockLow": 1, "blockHigh": 2,
              "shape": "gauss"})"),
            "s.json: components[0].declination: missing" },
        { withComponent(GoodComponent + R"(, {"declination": "north", "inclination": 0,
              "height": 1, "blockLow": 1, "blockHigh": 2, "shape": "gauss"})"),
            "s.json: components[1].declination: expected a number, got \"north\"" },
        { withComponent(R"({"declination": 0, "inclination": null, "height": 1, "blockLow": 1,
              "blockHigh": 2, "shape": "gauss"})"),
            "s.json: components[0].inclination: expected a number, got null" },
        { withComponent(R"({"declination": 0, "inclination": 0, "height": [1], "blockLow": 1,
              "blockHigh": 2, "shape": "gauss"})"),
            "s.json: components[0].height: expected a number, got a list" },
        { withComponent(R"({"declination": 0, "inclination": 0, "height": 1, "blockLow": 1,
              "blockHigh": 2, "shape": "Gauss"})"),
            "s.json: components[0].shape: unknown shape \"Gauss\" (expected \"gauss\" or "
            "\"rectangular\")" },
        { withComponent(R"({"declination": 0, "inclination": 0, "height": 1, "blockLow": 1,
              "blockHigh": 2, "shape": 0})"),
            "s.json: components[0].shape: expected a text, got 0" },
        { withComponent(R"({"declination": 0, "inclination": 0, "height": 1, "blockLow": -1e6,
              "blockHigh": 2, "shape": "gauss"})"),
            "s.json: components[0].blockLow: The blocking temperature -1000000 is out of range: "
            "blocking temperatures must lie between -100000 and 100000 degrees" },
        { withComponent(R"({"declination": 0, "inclination": 0, "height": 1, "blockLow": 1,
              "blockHigh": 2, "shape": "gauss", "colour": "red"})"),
            "s.json: components[0].colour: unknown field" },
        { withComponent(GoodComponent, R"(, "populaton": {})"),
            "s.json: populaton: unknown field" },
        { withComponent(GoodComponent, R"(, "population": 3)"),
            "s.json: population: expected an object, got 3" },
        { withPopulation("0", "30"),
            "s.json: population.randomPoints: expected a whole number from 1 to 2147483647, got "
            "0" },
        { withPopulation("2.5", "30"),
            "s.json: population.randomPoints: expected a whole number from 1 to 2147483647, got "
            "2.5" },
        { withPopulation("2147483648", "30"),
            "s.json: population.randomPoints: expected a whole number from 1 to 2147483647, got "
            "2147483648" },
        { withPopulation("3", "0"),
            "s.json: population.fisherK: Fisher's k must be greater than 0 (it is 0)" },
        { withPopulation("3", "-2"),
            "s.json: population.fisherK: Fisher's k must be greater than 0 (it is -2)" },
        { withComponent(GoodComponent, R"(, "population": {"randomPoints": 3, "fisherK": 3,
              "differentLengths": "yes", "heightStdDev": 3})"),
            "s.json: population.differentLengths: expected true or false, got \"yes\"" },
        { withComponent(GoodComponent, R"(, "population": {"randomPoints": 3, "fisherK": 3,
              "differentLengths": true})"),
            "s.json: population.heightStdDev: missing" },
        { withComponent(GoodComponent, R"(, "seed": -1)"), "s.json: seed: " + seedRange + "-1" },
        { withComponent(GoodComponent, R"(, "seed": 9007199254740992)"),
            "s.json: seed: " + seedRange + "9007199254740992" },
        { withComponent(GoodComponent, R"(, "seed": 1.5)"), "s.json: seed: " + seedRange + "1.5" },
        { withComponent(GoodComponent, R"(, "seed": "42")"),
            "s.json: seed: " + seedRange + "\"42\"" },
        { withComponent(GoodComponent, R"(, "seed": 1e30)"),
            "s.json: seed: " + seedRange + "1e+30" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(refusal(c.json), c.message);
    }
}

TEST(ScenarioTest, HugeNumbersAndDeepNestingAreRefusedWithoutCrashing)
{
    EXPECT_EQ(refusal(withComponent(R"({"declination": 1e400, "inclination": 0, "height": 1,
        "blockLow": 1, "blockHigh": 2, "shape": "gauss"})")),
        "s.json: malformed JSON: number overflow parsing '1e400'");

    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(refusal(R"({"components": )" + deep + "}"),
        "s.json: components[0]: expected an object, got a list");
}

// A field named twice, and bytes after a NUL, were read as if they were not there.
TEST(ScenarioTest, DuplicateFieldsAndBytesBeyondTheTextAreRefused)
{
    struct Case
    {
        std::string json;
        std::string message;
    };
    const Case cases[] = {
        { withComponent(GoodComponent, R"(, "seed": 42, "seed": 43)"),
            "s.json: the field \"seed\" is given twice in one object; keep one" },
        { withComponent(R"({"declination": 1, "inclination": 0, "height": 1, "height": 2,
            "blockLow": 1, "blockHigh": 2, "shape": "gauss"})"),
            "s.json: components[0]: the field \"height\" is given twice in one object; keep one" },
        { withComponent(GoodComponent, R"(, "population": {"randomPoints": 2, "fisherK": 1,
            "differentLengths": false, "heightStdDev": 0, "fisherK": 2})"),
            "s.json: population: the field \"fisherK\" is given twice in one object; keep one" },
        { withComponent(GoodComponent) + "\n" + '\0' + "\n{\"seed\": 1}",
            "s.json: line 3: a NUL byte; a scenario is JSON text and holds none" },
        { withComponent(GoodComponent) + "\n{\"seed\": 1}",
            "s.json: line 3: text after the end of the scenario; a scenario is one JSON object" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(refusal(c.json), c.message);
    }
    // The same name in two objects is no duplicate.
    EXPECT_NO_THROW(parseScenario(withComponent(GoodComponent + ", " + GoodComponent), "s.json"));
}

TEST(ScenarioTest, UnreadableFilesAreNamed)
{
    const std::filesystem::path folder = testing::TempDir();
    const std::string missing = (folder / "no-such-scenario.json").string();
    try {
        readScenarioFile(missing);
        FAIL() << "a missing file was read";
    } catch (const ScenarioError &error) {
        EXPECT_EQ(std::string(error.what()),
            missing + ": cannot open the scenario file: No such file or directory");
    }
    EXPECT_THROW(readScenarioFile(folder.string()), ScenarioError);

    const std::string path = (folder / "scenario-test.json").string();
    std::ofstream(path) << withComponent(GoodComponent);
    EXPECT_EQ(readScenarioFile(path).components.size(), 1u);
}
