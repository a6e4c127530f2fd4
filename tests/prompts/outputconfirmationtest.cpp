#include "prompts/outputconfirmation.h"

#include "support/scriptedprompts.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace Demagora {
namespace {

namespace fs = std::filesystem;

using Testing::ScriptedPrompts;

class OutputConfirmationTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        std::ofstream(path("saved1.json")) << "{}";
        std::ofstream(path("old.ppl")) << "old";
        std::ofstream(path("older.ppl")) << "older";
        fs::create_symlink(path("saved1.json"), path("link.ppl"));
        fs::create_hard_link(path("saved1.json"), path("hard.ppl"));
    }

    std::string path(const char *name) const { return m_folder.filePath(name).toStdString(); }
    QString scenario() const { return m_folder.filePath("saved1.json"); }

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
};

// The open scenario is refused by every name that leads to it, without a question, whether
// or not the user would agree to replace files.
TEST_F(OutputConfirmationTest, OpenScenarioIsRefusedByAnyName)
{
    const std::string names[] = { path("saved1.json"), path("link.ppl"), path("hard.ppl"),
        m_folder.path().toStdString() + "/./saved1.json" };
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        m_prompts.errors.clear();
        m_prompts.questions.clear();
        EXPECT_FALSE(confirmOutputs(nullptr, { { name, "the PuffinPlot file" } }, scenario()));
        ASSERT_EQ(m_prompts.errors.size(), 1);
        EXPECT_EQ(m_prompts.errors[0].toStdString(),
            "Cannot write the PuffinPlot file to " + name
                + ": that is the open scenario, which is never replaced; choose another name.");
        EXPECT_TRUE(m_prompts.questions.isEmpty());
    }
    // Without an open scenario the same file is only an existing one.
    EXPECT_TRUE(confirmOutputs(nullptr, { { path("saved1.json"), "the picture" } }, QString()));
    EXPECT_EQ(m_prompts.questions.size(), 1);
}

TEST_F(OutputConfirmationTest, ExistingFilesAreReplacedOnlyWhenTheUserAgrees)
{
    struct Case
    {
        const char *label;
        std::vector<std::string> names;
        std::deque<Prompts::Answer> answers;
        bool expected;
        QString question; // empty: no question
    };
    const std::string oldFile = path("old.ppl");
    const std::string olderFile = path("older.ppl");
    const Case cases[] = {
        { "new file", { path("new.ppl") }, {}, true, {} },
        { "existing, yes", { oldFile }, { Prompts::Answer::Yes }, true,
            QString::fromStdString(oldFile + " already exists. Replace it?") },
        { "existing, no", { oldFile }, { Prompts::Answer::No }, false,
            QString::fromStdString(oldFile + " already exists. Replace it?") },
        { "two existing, one question", { olderFile, path("new.ppl"), oldFile },
            { Prompts::Answer::No }, false,
            QString::fromStdString(
                "These files already exist:\n" + olderFile + "\n" + oldFile + "\nReplace them?") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        m_prompts.questions.clear();
        m_prompts.answers = c.answers;
        std::vector<PlannedOutput> outputs;
        for (const std::string &name : c.names)
            outputs.push_back({ name, "the file" });
        EXPECT_EQ(confirmOutputs(nullptr, outputs, scenario()), c.expected);
        EXPECT_EQ(
            m_prompts.questions, c.question.isEmpty() ? QStringList() : QStringList { c.question });
        EXPECT_TRUE(m_prompts.errors.isEmpty());
    }
}

} // namespace
} // namespace Demagora
