#include "results/spreadsheet/tsheetwriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Demagora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes slice(const Bytes &bytes, std::size_t offset, std::size_t count)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
        bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

const Bytes Biff5Bof = { 0x09, 0x08, 0x06, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00 };
const Bytes Biff5Dimensions
    = { 0x00, 0x02, 0x0A, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00 };
const Bytes Eof = { 0x0A, 0x00, 0x00, 0x00 };
constexpr std::size_t HeaderSize = 24;

// The 0-based row and column and the attributes of the LABEL record starting at offset.
struct LabelFields
{
    int row;
    int column;
    Bytes attributes;
};

LabelFields labelAt(const Bytes &document, std::size_t offset)
{
    return { document[offset + 4] | (document[offset + 5] << 8),
        document[offset + 6] | (document[offset + 7] << 8), slice(document, offset + 8, 3) };
}

TEST(TSheetWriterTest, OneLabelDocumentIsTheWorkedExample)
{
    TSheetWriter writer;
    writer.WriteLabelAt(1, 1, "vector");
    writer.CloseDocument();

    const Bytes label = { 0x04, 0x00, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x06,
        0x76, 0x65, 0x63, 0x74, 0x6F, 0x72 };
    EXPECT_EQ(writer.Document(), concat({ Biff5Bof, Biff5Dimensions, label, Eof }));
    EXPECT_EQ(writer.Document().size(), 46u);
    EXPECT_EQ(writer.Row(), 1);
    EXPECT_EQ(writer.Column(), 2);
}

TEST(TSheetWriterTest, NewWriterHoldsOnlyTheHeaderRecords)
{
    TSheetWriter writer;
    EXPECT_EQ(writer.Document(), concat({ Biff5Bof, Biff5Dimensions }));
}

TEST(TSheetWriterTest, HeaderRecordsFollowTheBiffVersion)
{
    struct Case
    {
        TBiffVersion biff;
        Bytes header;
    };
    const Case cases[] = {
        { TBiffVersion::bvBIFF2,
            { 0x09, 0x00, 0x04, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,
                0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01 } },
        { TBiffVersion::bvBIFF3,
            concat({ { 0x09, 0x02, 0x06, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00 },
                Biff5Dimensions }) },
        { TBiffVersion::bvBIFF4,
            concat({ { 0x09, 0x04, 0x06, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00 },
                Biff5Dimensions }) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.biff));
        TSheetWriter writer;
        writer.SetBIFF(c.biff);
        EXPECT_EQ(writer.Document(), c.header);
        // Cells keep the same layout in every version.
        writer.WriteLabel("x");
        EXPECT_EQ(slice(writer.Document(), c.header.size(), 4), Bytes({ 0x04, 0x00, 0x09, 0x00 }));
    }
}

TEST(TSheetWriterTest, ChangingBiffRestartsTheDocument)
{
    TSheetWriter writer;
    writer.WriteLabel("dropped");
    writer.SetBIFF(TBiffVersion::bvBIFF5);
    EXPECT_EQ(writer.Document().size(), HeaderSize + 4 + 8 + 7) << "same version keeps the cells";

    writer.SetBIFF(TBiffVersion::bvBIFF3);
    EXPECT_EQ(writer.Document().size(), HeaderSize);
    writer.SetBIFF(TBiffVersion::bvBIFF5);
    EXPECT_EQ(writer.Document(), concat({ Biff5Bof, Biff5Dimensions }));
}

TEST(TSheetWriterTest, NewDocumentDropsEverythingWritten)
{
    TSheetWriter writer;
    writer.WriteLabel("a");
    writer.CloseDocument();
    writer.NewDocument();
    EXPECT_EQ(writer.Document(), concat({ Biff5Bof, Biff5Dimensions }));
}

TEST(TSheetWriterTest, LabelTextLengthIsCutAt255Bytes)
{
    struct Case
    {
        std::size_t textLength;
        std::uint8_t storedLength;
    };
    const Case cases[] = { { 0, 0 }, { 1, 1 }, { 255, 255 }, { 256, 255 }, { 300, 255 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.textLength);
        std::string text;
        for (std::size_t i = 0; i < c.textLength; ++i)
            text += static_cast<char>('a' + i % 26);
        TSheetWriter writer;
        writer.WriteLabel(text);
        const Bytes &document = writer.Document();
        ASSERT_EQ(document.size(), HeaderSize + 12 + c.storedLength);
        const int dataLength = document[HeaderSize + 2] | (document[HeaderSize + 3] << 8);
        EXPECT_EQ(dataLength, 8 + c.storedLength);
        EXPECT_EQ(document[HeaderSize + 11], c.storedLength);
        EXPECT_EQ(std::string(document.begin() + HeaderSize + 12, document.end()),
            text.substr(0, c.storedLength));
    }
}

TEST(TSheetWriterTest, TextBytesAreWrittenUnconverted)
{
    TSheetWriter writer;
    const std::string text("a\0b\xE9\xFF", 5);
    writer.WriteLabel(text);
    EXPECT_EQ(slice(writer.Document(), HeaderSize + 11, 6), Bytes({ 5, 'a', 0, 'b', 0xE9, 0xFF }));
}

TEST(TSheetWriterTest, RecordWrittenAfterCloseStartsANewDocument)
{
    TSheetWriter writer;
    writer.WriteLabel("old");
    writer.CloseDocument();
    writer.WriteLabel("new");
    const Bytes expected = concat({ Biff5Bof, Biff5Dimensions,
        { 0x04, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x03, 'n', 'e',
            'w' } });
    EXPECT_EQ(writer.Document(), expected);

    writer.CloseDocument();
    writer.CloseDocument();
    EXPECT_EQ(writer.Document(), concat({ Biff5Bof, Biff5Dimensions, Eof }))
        << "a second close starts a document holding only its end";
}

TEST(TSheetWriterTest, OutOfRangeCoordinatesLeaveTheCursor)
{
    struct Case
    {
        int row;
        int column;
        int expectedRow;
        int expectedColumn;
    };
    // The cursor stands at row 5, column 7 before each cell.
    const Case cases[] = {
        { 0, 0, 5, 7 },
        { 0, 3, 5, 3 },
        { 3, 0, 3, 7 },
        { 2, 257, 2, 7 },
        { 65536, 256, 5, 256 },
        { 65535, 1, 65535, 1 },
        { -1, -1, 5, 7 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << ", " << c.column);
        TSheetWriter writer;
        writer.SetMoveAfterEnter(TMoveAfterEnter::maNone);
        writer.SetRow(5);
        writer.SetColumn(7);
        writer.WriteLabelAt(c.row, c.column, "");
        const LabelFields label = labelAt(writer.Document(), HeaderSize);
        EXPECT_EQ(label.row, c.expectedRow - 1);
        EXPECT_EQ(label.column, c.expectedColumn - 1);
    }
}

TEST(TSheetWriterTest, CursorMovesAndWrapsAfterEachCell)
{
    struct Case
    {
        TMoveAfterEnter move;
        int row;
        int column;
        int nextRow;
        int nextColumn;
    };
    const Case cases[] = {
        { TMoveAfterEnter::maNone, 4, 9, 4, 9 },
        { TMoveAfterEnter::maRight, 4, 9, 4, 10 },
        { TMoveAfterEnter::maRight, 4, 256, 5, 1 },
        { TMoveAfterEnter::maRight, 65535, 256, 65535, 256 },
        { TMoveAfterEnter::maLeft, 4, 9, 4, 8 },
        { TMoveAfterEnter::maLeft, 4, 1, 3, 256 },
        { TMoveAfterEnter::maLeft, 1, 1, 1, 1 },
        { TMoveAfterEnter::maDown, 4, 9, 5, 9 },
        { TMoveAfterEnter::maDown, 65535, 9, 1, 10 },
        { TMoveAfterEnter::maDown, 65535, 256, 65535, 256 },
        { TMoveAfterEnter::maUp, 4, 9, 3, 9 },
        { TMoveAfterEnter::maUp, 1, 9, 65535, 8 },
        { TMoveAfterEnter::maUp, 1, 1, 1, 1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
            << static_cast<int>(c.move) << " from " << c.row << ", " << c.column);
        TSheetWriter writer;
        writer.SetMoveAfterEnter(c.move);
        writer.WriteLabelAt(c.row, c.column, "x");
        EXPECT_EQ(writer.Row(), c.nextRow);
        EXPECT_EQ(writer.Column(), c.nextColumn);
        // The next cell lands where the cursor moved to.
        const std::size_t first = writer.Document().size();
        writer.WriteLabel("y");
        const LabelFields label = labelAt(writer.Document(), first);
        EXPECT_EQ(label.row, c.nextRow - 1);
        EXPECT_EQ(label.column, c.nextColumn - 1);
    }
}

TEST(TSheetWriterTest, AttributesFollowTheCellProperties)
{
    struct Case
    {
        const char *name;
        void (*set)(TSheetWriter &);
        Bytes attributes;
    };
    const Case cases[] = {
        { "defaults", [](TSheetWriter &) {}, { 0x40, 0x00, 0x00 } },
        { "hidden shaded centred, top and right borders",
            [](TSheetWriter &w) {
                w.SetHidden(true);
                w.SetShading(true);
                w.SetAlignment(TSheetAlignment::eaCenter);
                w.SetBorders(
                    sheetBorder(TSheetBorders::ebTop) | sheetBorder(TSheetBorders::ebRight));
            },
            { 0xC0, 0x00, 0xB2 } },
        { "unlocked", [](TSheetWriter &w) { w.SetLocked(false); }, { 0x00, 0x00, 0x00 } },
        { "left", [](TSheetWriter &w) { w.SetAlignment(TSheetAlignment::eaLeft); },
            { 0x40, 0x00, 0x01 } },
        { "right", [](TSheetWriter &w) { w.SetAlignment(TSheetAlignment::eaRight); },
            { 0x40, 0x00, 0x03 } },
        { "fill", [](TSheetWriter &w) { w.SetAlignment(TSheetAlignment::eaFill); },
            { 0x40, 0x00, 0x04 } },
        { "multiplan", [](TSheetWriter &w) { w.SetAlignment(TSheetAlignment::eaMultiPlan); },
            { 0x40, 0x00, 0x07 } },
        { "bottom and left borders",
            [](TSheetWriter &w) {
                w.SetBorders(
                    sheetBorder(TSheetBorders::ebBottom) | sheetBorder(TSheetBorders::ebLeft));
            },
            { 0x40, 0x00, 0x48 } },
        { "font beyond the defined fonts is refused", [](TSheetWriter &w) { w.SetActiveFont(2); },
            { 0x40, 0x00, 0x00 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TSheetWriter writer;
        c.set(writer);
        writer.WriteLabel("x");
        EXPECT_EQ(labelAt(writer.Document(), HeaderSize).attributes, c.attributes);
    }
}

TEST(TSheetWriterTest, FileNameGetsTheXlsExtension)
{
    struct Case
    {
        const char *assigned;
        const char *stored;
    };
    const Case cases[] = {
        { "result.xls", "result.xls" },
        { "result", "result.XLS" },
        { "report.txt", "report.XLS" },
        { "data.csv", "data.XLS" },
        { "Mixed.xLs", "Mixed.xLs" },
        { "run.old\\result", "run.old\\result.XLS" },
        { "run.old/result", "run.old/result.XLS" },
        { "c:result", "c:result.XLS" },
        { "/tmp/a.b/out.xlsx", "/tmp/a.b/out.XLS" },
        { "archive.xls.bak", "archive.xls.XLS" },
        { ".xls", ".xls" },
        { "trailing.", "trailing.XLS" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.assigned);
        TSheetWriter writer;
        writer.SetFileName(c.assigned);
        EXPECT_EQ(writer.FileName(), c.stored);
    }
}

TEST(TSheetWriterTest, EmptyFileNameStaysEmptyOnlyWhileFileNameIsEmpty)
{
    TSheetWriter writer;
    writer.SetFileName("");
    EXPECT_EQ(writer.FileName(), "");
    writer.SetFileName("result");
    writer.SetFileName("");
    EXPECT_EQ(writer.FileName(), ".XLS");
}

TEST(TSheetWriterTest, VersionAlwaysReads124)
{
    TSheetWriter writer;
    writer.SetVersion("2.0");
    EXPECT_EQ(writer.Version(), "1.24");
}

} // namespace
} // namespace Demagora
