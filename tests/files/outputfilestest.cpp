#include "files/outputfiles.h"

#include "support/filetext.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace Demagora {
namespace {

namespace fs = std::filesystem;

class OutputFilesTest : public Testing::TemporaryFolderTest
{ };

void writeAll(const std::string &name, const std::string &text)
{
    std::ofstream(name, std::ios::binary) << text;
}

WriteFunction text(const std::string &content)
{
    return [content](std::ostream &stream) { stream << content; };
}

std::string addError(OutputFiles &files, const std::string &name)
{
    try {
        files.add(name, "the series", text("new"));
    } catch (const OutputError &error) {
        return error.what();
    }
    return "accepted";
}

TEST_F(OutputFilesTest, RefusesEverythingButARegularWritableFile)
{
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0644), 0);
    fs::create_directory(path("folder"));
    writeAll(path("locked.csv"), "keep");
    ::chmod(path("locked.csv").c_str(), 0444);
    fs::create_symlink("locked.csv", path("link-to-locked.csv"));
    // A pipe reached through the process's own descriptor links (/dev/stdout into a pipe):
    // those links name no file that a path could follow.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string pipeDescriptor = "/proc/self/fd/" + std::to_string(ends[1]);
    const struct
    {
        std::string name;
        std::string reason;
    } cases[] = {
        { "/dev/full", "not a regular file (devices, pipes and sockets are never written)" },
        { pipeDescriptor, "not a regular file (devices, pipes and sockets are never written)" },
        { path("pipe"), "not a regular file (devices, pipes and sockets are never written)" },
        { path("folder"), "Is a directory" },
        { path("locked.csv"), "Permission denied" },
        { path("link-to-locked.csv"), "Permission denied" },
        { path("missing/out.csv"), "No such file or directory" },
        { path("locked.csv/out.csv"), "Not a directory" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        OutputFiles files;
        EXPECT_EQ(
            addError(files, c.name), "cannot write the series to " + c.name + ": " + c.reason);
    }
    EXPECT_EQ(Testing::fileText(path("locked.csv")), "keep");
    EXPECT_TRUE(fs::is_fifo(path("pipe")));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST_F(OutputFilesTest, RefusesTheInputAndAFileNamedTwice)
{
    writeAll(path("scenario.json"), "{}");
    fs::create_symlink("scenario.json", path("alias.json"));
    OutputFiles files({ path("scenario.json") });
    EXPECT_EQ(addError(files, path("alias.json")),
        "cannot write the series to " + path("alias.json") + ": that is the input file "
            + path("scenario.json") + ", which is never replaced");

    files.add(path("out.csv"), "the report", text("a"));
    EXPECT_EQ(addError(files, m_folder.string() + "/./out.csv"),
        "cannot write the series to " + m_folder.string()
            + "/./out.csv: the same file as the report (" + path("out.csv")
            + "); give each output its own file");
    EXPECT_EQ(Testing::fileText(path("scenario.json")), "{}");
}

TEST_F(OutputFilesTest, CommitWritesThroughLinksAndKeepsPermissions)
{
    writeAll(path("private.csv"), "old");
    ::chmod(path("private.csv").c_str(), 0600);
    writeAll(path("target.csv"), "old");
    fs::create_symlink("target.csv", path("link.csv"));
    fs::create_symlink("created.csv", path("dangling.csv"));
    const std::string longName(250, 'n');

    OutputFiles files;
    files.add(path("private.csv"), "a", text("private"));
    files.add(path("link.csv"), "b", text("through the link"));
    files.add(path("dangling.csv"), "c", text("created"));
    files.add(path(longName), "d", text("long"));
    files.commit();

    EXPECT_EQ(Testing::fileText(path("private.csv")), "private");
    struct stat status;
    ASSERT_EQ(::stat(path("private.csv").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(fs::is_symlink(path("link.csv")));
    EXPECT_EQ(Testing::fileText(path("target.csv")), "through the link");
    EXPECT_TRUE(fs::is_symlink(path("dangling.csv")));
    EXPECT_EQ(Testing::fileText(path("created.csv")), "created");
    EXPECT_EQ(Testing::fileText(path(longName)), "long");
    EXPECT_EQ(entries(),
        std::set<std::string>(
            { "private.csv", "target.csv", "link.csv", "dangling.csv", "created.csv", longName }));
}

TEST_F(OutputFilesTest, AFailingOutputLeavesEveryTargetAsItWas)
{
    writeAll(path("keep.csv"), "previous");
    const WriteFunction fails = [](std::ostream &stream) {
        stream << "half";
        stream.setstate(std::ios::badbit);
    };
    const WriteFunction throws = [](std::ostream &) { throw std::runtime_error("no memory"); };
    for (const WriteFunction &second : { fails, throws }) {
        OutputFiles files;
        files.add(path("keep.csv"), "the series", text("replacement"));
        files.add(path("new.png"), "the picture", second);
        EXPECT_ANY_THROW(files.commit());
        EXPECT_EQ(Testing::fileText(path("keep.csv")), "previous");
        EXPECT_EQ(entries(), std::set<std::string>({ "keep.csv" }));
    }
}

TEST_F(OutputFilesTest, ATerminatedWriteLeavesNoTemporaryFile)
{
    writeAll(path("keep.csv"), "previous");
    EXPECT_EXIT(
        {
            OutputFiles files;
            files.add(path("keep.csv"), "the series", [](std::ostream &stream) {
                stream << "partial" << std::flush;
                std::raise(SIGTERM);
            });
            files.commit();
        },
        testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(Testing::fileText(path("keep.csv")), "previous");
    EXPECT_EQ(entries(), std::set<std::string>({ "keep.csv" }));
}

TEST_F(OutputFilesTest, StandardOutputOnlyWhereAllowed)
{
    std::ostringstream out;
    OutputFiles files({}, &out);
    files.add("-", "the series", text("rows"));
    EXPECT_EQ(addError(files, "-"),
        "cannot write the series to -: the same file as the series (-); give each output its own "
        "file");
    files.commit();
    EXPECT_EQ(out.str(), "rows");

    OutputFiles noStandardOutput;
    EXPECT_EQ(addError(noStandardOutput, "-"),
        "cannot write the series to -: standard output is not possible here");
}

} // namespace
} // namespace Demagora
