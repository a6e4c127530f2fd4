#include "app/commandline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Demagora;

namespace {

using Action = ProgramCommandLine::Action;

struct Case
{
    std::vector<std::string> arguments;
    Action action;
    std::optional<std::string> scenarioPath;
    std::string refusal;
};

} // namespace

TEST(ProgramCommandLineTest, ReadsTheArgumentsLeftAfterQt)
{
    const Case cases[] = {
        { {}, Action::Start, std::nullopt, "" },
        { { "a.json" }, Action::Start, "a.json", "" },
        { { "--help" }, Action::Help, std::nullopt, "" },
        { { "a.json", "-h" }, Action::Help, std::nullopt, "" },
        { { "--version", "--bogus" }, Action::Version, std::nullopt, "" },
        { { "--version", "--help" }, Action::Version, std::nullopt, "" },
        { { "--", "--help" }, Action::Start, "--help", "" },
        { { "--", "-x.json" }, Action::Start, "-x.json", "" },
        { { "-" }, Action::Start, "-", "" },
        { { "--bogus" }, Action::Refuse, std::nullopt, "unknown option '--bogus'" },
        { { "a.json", "-x" }, Action::Refuse, "a.json", "unknown option '-x'" },
        { { "a.json", "b.json" }, Action::Refuse, "a.json",
            "only one scenario file can be given (also got 'b.json')" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const ProgramCommandLine read = readProgramCommandLine(c.arguments);
        EXPECT_EQ(read.action, c.action);
        EXPECT_EQ(read.scenarioPath, c.scenarioPath);
        EXPECT_EQ(read.refusal, c.refusal);
    }
}

TEST(ProgramCommandLineTest, HelpAndVersionAreFoundAmongQtOptions)
{
    // Before Qt has read its own options, only help and version are looked for.
    EXPECT_EQ(
        informationRequest(std::vector<std::string> { "-platform", "offscreen", "--version" }),
        Action::Version);
    EXPECT_EQ(informationRequest(std::vector<std::string> { "-style", "fusion", "a.json" }),
        Action::Start);
}

TEST(ProgramCommandLineTest, TextsFollowTheUsualForm)
{
    EXPECT_TRUE(programUsage().starts_with("Usage: demagora [OPTION]... [SCENARIO.json]\n"));
    for (const char *option : { "--help", "--version", "Exit status:" })
        EXPECT_NE(programUsage().find(option), std::string::npos) << option;
    EXPECT_EQ(
        programVersion(), std::string("demagora (Demagora) ") + DEMAGORA_PROJECT_VERSION + "\n");
}
