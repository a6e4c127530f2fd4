#include "results/spreadsheet/filereplace.h"

#include "results/spreadsheet/tsheetwriter.h"
#include "support/filetext.h"
#include "support/temporaryfolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace Demagora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class SheetSaveTest : public Testing::TemporaryFolderTest
{ };

Bytes readFile(const std::string &name)
{
    const std::string text = Testing::fileText(name);
    return Bytes(text.begin(), text.end());
}

void writeFile(const std::string &name, const std::string &content)
{
    std::ofstream(name, std::ios::binary) << content;
}

Bytes toBytes(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

std::string saveError(TSheetWriter &writer)
{
    try {
        writer.SaveDocument();
    } catch (const SheetWriteError &error) {
        return error.what();
    }
    return "no error";
}

bool failHalfWay(int fd, const std::uint8_t *data, std::size_t size)
{
    writeAllBytes(fd, data, size / 2);
    errno = ENOSPC;
    return false;
}

TEST_F(SheetSaveTest, NewWriterSavesTheTwentyFourByteHeader)
{
    TSheetWriter writer;
    writer.SetFileName(path("empty"));
    writer.SaveDocument();
    const Bytes expected = { 0x09, 0x08, 0x06, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00, 0x00, 0x02,
        0x0A, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00 };
    EXPECT_EQ(readFile(path("empty.XLS")), expected);
    EXPECT_EQ(writer.Document(), expected) << "the image stays in memory";
    EXPECT_EQ(entries(), std::set<std::string>({ "empty.XLS" }));
}

TEST_F(SheetSaveTest, SaveReplacesAnExistingFileWhole)
{
    writeFile(path("result.xls"), std::string(1000, 'z'));
    TSheetWriter writer;
    writer.SetFileName(path("result.xls"));
    writer.WriteLabel("new");
    writer.CloseDocument();
    writer.SaveDocument();
    EXPECT_EQ(readFile(path("result.xls")), writer.Document());
    EXPECT_EQ(entries(), std::set<std::string>({ "result.xls" }));
}

TEST_F(SheetSaveTest, NewFileGetsTheUsualPermissionsAndAnExistingOneKeepsItsOwn)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    TSheetWriter writer;
    writer.SetFileName(path("fresh.xls"));
    writer.SaveDocument();
    struct stat status;
    ASSERT_EQ(::stat(path("fresh.xls").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);

    writeFile(path("kept.xls"), "old");
    ASSERT_EQ(::chmod(path("kept.xls").c_str(), 0604), 0);
    writer.SetFileName(path("kept.xls"));
    writer.SaveDocument();
    ASSERT_EQ(::stat(path("kept.xls").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0604u);
}

TEST_F(SheetSaveTest, SaveThroughASymbolicLinkKeepsTheLink)
{
    writeFile(path("target.xls"), "old");
    fs::create_symlink(path("target.xls"), path("link.xls"));
    TSheetWriter writer;
    writer.SetFileName(path("link.xls"));
    writer.SaveDocument();
    EXPECT_TRUE(fs::is_symlink(path("link.xls")));
    EXPECT_EQ(readFile(path("target.xls")), writer.Document());
}

TEST_F(SheetSaveTest, NameAtTheLengthLimitIsSaved)
{
    const std::string name = std::string(251, 'n') + ".xls";
    TSheetWriter writer;
    writer.SetFileName(path(name));
    writer.SaveDocument();
    EXPECT_EQ(entries(), std::set<std::string>({ name }));
}

TEST_F(SheetSaveTest, MissingFolderIsReportedWithTheFullPath)
{
    TSheetWriter writer;
    writer.SetFileName(path("missing/out"));
    EXPECT_EQ(saveError(writer),
        "Cannot create file \"" + path("missing/out.XLS") + "\". No such file or directory");
    EXPECT_TRUE(entries().empty());
}

TEST_F(SheetSaveTest, RelativeNameIsReportedFromTheCurrentFolder)
{
    const fs::path previous = fs::current_path();
    fs::current_path(m_folder);
    TSheetWriter writer;
    writer.SetFileName("missing/out.xls");
    const std::string message = saveError(writer);
    fs::current_path(previous);
    EXPECT_EQ(message,
        "Cannot create file \"" + path("missing/out.xls") + "\". No such file or directory");
}

TEST_F(SheetSaveTest, FolderInPlaceOfTheFileIsRefused)
{
    fs::create_directory(path("taken.xls"));
    TSheetWriter writer;
    writer.SetFileName(path("taken.xls"));
    EXPECT_EQ(
        saveError(writer), "Cannot create file \"" + path("taken.xls") + "\". Is a directory");
    EXPECT_TRUE(fs::is_directory(path("taken.xls")));
}

TEST_F(SheetSaveTest, ReadOnlyFolderLeavesTheExistingFileUntouched)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into a read-only folder";
    writeFile(path("result.xls"), "previous results");
    ASSERT_EQ(::chmod(m_folder.c_str(), 0555), 0);
    TSheetWriter writer;
    writer.SetFileName(path("result.xls"));
    EXPECT_EQ(
        saveError(writer), "Cannot create file \"" + path("result.xls") + "\". Permission denied");
    EXPECT_EQ(readFile(path("result.xls")), toBytes("previous results"));
    EXPECT_EQ(entries(), std::set<std::string>({ "result.xls" }));
}

TEST_F(SheetSaveTest, ReadOnlyFileIsNotReplaced)
{
    writeFile(path("result.xls"), "previous results");
    ASSERT_EQ(::chmod(path("result.xls").c_str(), 0444), 0);
    TSheetWriter writer;
    writer.SetFileName(path("result.xls"));
    EXPECT_EQ(
        saveError(writer), "Cannot create file \"" + path("result.xls") + "\". Permission denied");
    EXPECT_EQ(readFile(path("result.xls")), toBytes("previous results"));
}

TEST_F(SheetSaveTest, FailedWriteKeepsTheOldFileAndLeavesNoPartialFile)
{
    writeFile(path("result.xls"), "previous results");
    const Bytes image(5000, 0x41);
    try {
        replaceFileContents(path("result.xls"), image, failHalfWay);
        ADD_FAILURE() << "the failed write was not reported";
    } catch (const SheetWriteError &error) {
        EXPECT_STREQ(error.what(), "Stream write error");
    }
    EXPECT_EQ(readFile(path("result.xls")), toBytes("previous results"));
    EXPECT_EQ(entries(), std::set<std::string>({ "result.xls" }));
}

// Runs the independent reader over a saved file; one "row<TAB>column<TAB>text" line per cell.
std::string readBackWithXlrd(const std::string &fileName)
{
    const std::string command
        = std::string(DEMAGORA_PYTHON) + " " + DEMAGORA_READ_SHEET_SCRIPT + " '" + fileName + "'";
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "cannot run the reader";
    std::string output;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    const int status = ::pclose(pipe);
    if (status != 0)
        output += "reader failed with status " + std::to_string(status);
    return output;
}

TEST_F(SheetSaveTest, SavedFileReadsBackCellForCell)
{
    TSheetWriter writer;
    writer.WriteLabelAt(1, 1, "initial components");
    writer.WriteLabelAt(2, 1, "component");
    writer.WriteLabelAt(3, 1, "-12.25");
    writer.WriteLabelAt(4, 1, "");
    writer.WriteLabelAt(3, 2, "1.5E-14");
    writer.WriteLabelAt(70, 256, "far corner");
    writer.WriteLabel("wrapped to the next row");
    writer.WriteLabelAt(9, 3, std::string(300, 'w'));
    writer.CloseDocument();
    writer.SetFileName(path("cells.xls"));
    writer.SaveDocument();

    std::ostringstream expected;
    expected << "0\t0\tinitial components\n"
             << "1\t0\tcomponent\n"
             << "2\t0\t-12.25\n"
             << "2\t1\t1.5E-14\n"
             << "3\t0\t\n"
             << "8\t2\t" << std::string(255, 'w') << "\n"
             << "69\t255\tfar corner\n"
             << "70\t0\twrapped to the next row\n";
    EXPECT_EQ(readBackWithXlrd(path("cells.xls")), expected.str());
}

TEST_F(SheetSaveTest, EveryBiffVersionReadsBack)
{
    for (TBiffVersion biff : { TBiffVersion::bvBIFF2, TBiffVersion::bvBIFF3, TBiffVersion::bvBIFF4,
             TBiffVersion::bvBIFF5 }) {
        SCOPED_TRACE(static_cast<int>(biff));
        TSheetWriter writer;
        writer.SetBIFF(biff);
        writer.WriteLabelAt(2, 3, "vector");
        writer.CloseDocument();
        writer.SetFileName(path("version.xls"));
        writer.SaveDocument();
        EXPECT_EQ(readBackWithXlrd(path("version.xls")), "1\t2\tvector\n");
    }
}

} // namespace
} // namespace Demagora
