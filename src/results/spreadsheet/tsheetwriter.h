#pragma once

#include "model/usererror.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// Ordinals are part of the writer's interface: properties store them as single bytes.
enum class TBiffVersion : std::uint8_t { bvBIFF2, bvBIFF3, bvBIFF4, bvBIFF5 };
enum class TMoveAfterEnter : std::uint8_t { maNone, maUp, maDown, maLeft, maRight };
enum class TSheetBorders : std::uint8_t { ebTop, ebBottom, ebLeft, ebRight };
using TSheetBorderSet = std::uint8_t; // bit k stands for TSheetBorders ordinal k
enum class TSheetAlignment : std::uint8_t {
    eaGeneral,
    eaLeft,
    eaRight,
    eaCenter,
    eaFill,
    eaMultiPlan
};

constexpr TSheetBorderSet sheetBorder(TSheetBorders border)
{
    return static_cast<TSheetBorderSet>(1u << static_cast<unsigned>(border));
}

// A save that failed. what() is the message the user reads.
using SheetWriteError = UserError<struct SheetWriteLayer>;

// Builds a worksheet file of text cells (BIFF records) in memory and saves it in one piece.
// The result window and demagora-batch export their report tables through it.
class TSheetWriter
{
public:
    TSheetWriter();
    virtual ~TSheetWriter();

    // Drops everything written so far and starts a new document.
    void NewDocument();
    // Row and column are 1-based and go through the acceptance rules of SetRow and SetColumn,
    // so an out-of-range coordinate leaves the cursor's coordinate as it stands.
    void WriteLabelAt(int row, int column, std::string_view text);
    // One text cell at the cursor, cut to 255 bytes; then the cursor moves by MoveAfterEnter.
    void WriteLabel(std::string_view text);
    void CloseDocument();
    // Writes the document image to FileName. The file is replaced only once the whole image
    // is on disk, so a failed save leaves an existing file as it was.
    // Throws SheetWriteError "Cannot create file "<full path>". <reason>" or "Stream write error".
    void SaveDocument();

    const std::string &FileName() const { return m_fileName; }
    // Forces the extension ".XLS" unless it already reads .xls in any letter case.
    void SetFileName(const std::string &name);
    TBiffVersion BIFF() const { return m_biff; }
    // A different version restarts the document.
    void SetBIFF(TBiffVersion biff);
    int Row() const { return m_row; }
    void SetRow(int row); // accepted for 1 to 65535 only
    int Column() const { return m_column; }
    void SetColumn(int column); // accepted for 1 to 256 only
    int ActiveFont() const { return m_activeFont; }
    void SetActiveFont(int font); // accepted up to the number of defined fonts only
    TSheetAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TSheetAlignment alignment) { m_alignment = alignment; }
    TSheetBorderSet Borders() const { return m_borders; }
    void SetBorders(TSheetBorderSet borders) { m_borders = borders; }
    TMoveAfterEnter MoveAfterEnter() const { return m_moveAfterEnter; }
    void SetMoveAfterEnter(TMoveAfterEnter move) { m_moveAfterEnter = move; }
    bool Shading() const { return m_shading; }
    void SetShading(bool shading) { m_shading = shading; }
    bool Hidden() const { return m_hidden; }
    void SetHidden(bool hidden) { m_hidden = hidden; }
    bool Locked() const { return m_locked; }
    void SetLocked(bool locked) { m_locked = locked; }
    std::string Version() const;
    void SetVersion(const std::string &version); // has no effect: the version is the writer's own

    const std::vector<std::uint8_t> &Document() const { return m_document; }

    static constexpr int LastRow = 65535;
    static constexpr int LastColumn = 256;

protected:
    // Empties the document and appends BOF and DIMENSIONS for the current BIFF version.
    virtual void WriteHeader();
    // Appends EOF and closes the document.
    virtual void WriteFooter();

private:
    void writeRecordHeader(std::uint16_t recordNumber, std::uint16_t dataLength);
    void writeCellPosition();
    void writeCellAttributes();
    void append16(std::uint16_t value);
    void moveCursor();

    std::vector<std::uint8_t> m_document;
    TBiffVersion m_biff = TBiffVersion::bvBIFF5;
    bool m_open = true;
    std::uint16_t m_firstRow = 0;
    std::uint16_t m_lastRow = LastRow;
    std::uint16_t m_firstColumn = 0;
    std::uint16_t m_lastColumn = LastColumn;
    std::string m_fileName;
    int m_row = 1;
    int m_column = 1;
    int m_fontCount = 0;
    int m_activeFont = 0;
    TMoveAfterEnter m_moveAfterEnter = TMoveAfterEnter::maRight;
    bool m_shading = false;
    TSheetBorderSet m_borders = 0;
    TSheetAlignment m_alignment = TSheetAlignment::eaGeneral;
    bool m_hidden = false;
    bool m_locked = true;
    std::int32_t m_versionCode = 0x0118;
};

} // namespace Demagora
