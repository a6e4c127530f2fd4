#pragma once

#include "batch/batchcommand.h"
#include "support/filetext.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Demagora::Testing {

// What one run of demagora-batch gave: its exit status and both streams.
struct CommandResult
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the batch command in this process, as the tool's main function would.
inline CommandResult runCommand(const std::vector<std::string> &arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runBatchCommand(arguments, out, err);
    return { status, out.str(), err.str() };
}

// A command line the batch must refuse, and a part of the message that says why.
struct RefusedCase
{
    std::vector<std::string> arguments;
    const char *message;
};

// Each case exits with status 2, writes nothing on standard output and names its reason.
template <class Run, class Cases> void expectRefused(Run &&run, const Cases &cases)
{
    for (const RefusedCase &c : cases) {
        SCOPED_TRACE(c.message);
        const CommandResult outcome = run(c.arguments);
        EXPECT_EQ(outcome.status, BatchBadInput);
        EXPECT_TRUE(outcome.out.empty());
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    }
}

// The argument as one word of the shell, whatever it holds.
inline std::string quoted(const std::string &argument)
{
    std::string text = "'";
    for (const char c : argument)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

// Runs the built tool as a process of its own, with nothing on standard input.
inline CommandResult runBatchProcess(const std::vector<std::string> &arguments)
{
    // CTest runs the cases as parallel processes: every call gets its own capture files.
    static int calls = 0;
    const std::string stem
        = "batch-process-" + std::to_string(getpid()) + "-" + std::to_string(++calls);
    const std::filesystem::path folder = testing::TempDir();
    const std::filesystem::path out = folder / (stem + "-out.txt");
    const std::filesystem::path err = folder / (stem + "-err.txt");
    std::string command = quoted(DEMAGORA_BATCH_EXECUTABLE);
    for (const std::string &argument : arguments)
        command += " " + quoted(argument);
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = fileText(out);
    result.err = fileText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

// A scenario of the examples folder.
inline std::string example(const std::string &name)
{
    return std::string(DEMAGORA_EXAMPLES_DIR) + "/" + name;
}

// Writes a scenario of the test's own under the test temporary folder.
inline std::string writeScenario(const std::string &name, const std::string &json)
{
    const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / name;
    std::ofstream(path) << json;
    return path.string();
}

} // namespace Demagora::Testing
