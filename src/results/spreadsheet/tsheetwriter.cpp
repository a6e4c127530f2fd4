#include "results/spreadsheet/tsheetwriter.h"

#include "results/spreadsheet/filereplace.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace Demagora {

namespace {

constexpr std::uint16_t RecordLabel = 0x0004;
constexpr std::uint16_t RecordEof = 0x000A;
constexpr std::size_t MaxLabelBytes = 255;

struct RecordShape
{
    std::uint16_t number;
    std::uint16_t length;
};

RecordShape bofRecord(TBiffVersion biff)
{
    switch (biff) {
    case TBiffVersion::bvBIFF2:
        return { 0x0009, 4 };
    case TBiffVersion::bvBIFF3:
        return { 0x0209, 6 };
    case TBiffVersion::bvBIFF4:
        return { 0x0409, 6 };
    case TBiffVersion::bvBIFF5:
        break;
    }
    return { 0x0809, 6 };
}

RecordShape dimensionsRecord(TBiffVersion biff)
{
    if (biff == TBiffVersion::bvBIFF2)
        return { 0x0000, 8 };
    return { 0x0200, 10 };
}

// The alignment field stores right as 3 and centre as 2, against the order of the ordinals.
std::uint8_t alignmentCode(TSheetAlignment alignment)
{
    switch (alignment) {
    case TSheetAlignment::eaGeneral:
        return 0;
    case TSheetAlignment::eaLeft:
        return 1;
    case TSheetAlignment::eaRight:
        return 3;
    case TSheetAlignment::eaCenter:
        return 2;
    case TSheetAlignment::eaFill:
        return 4;
    case TSheetAlignment::eaMultiPlan:
        return 7;
    }
    return 0;
}

bool isPathSeparator(char c)
{
    return c == '\\' || c == ':' || c == '/';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x))
            == std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace

TSheetWriter::TSheetWriter()
{
    WriteHeader();
}

TSheetWriter::~TSheetWriter() = default;

void TSheetWriter::NewDocument()
{
    WriteHeader();
}

void TSheetWriter::WriteLabelAt(int row, int column, std::string_view text)
{
    SetRow(row);
    SetColumn(column);
    WriteLabel(text);
}

void TSheetWriter::WriteLabel(std::string_view text)
{
    const std::size_t n = std::min(text.size(), MaxLabelBytes);
    writeRecordHeader(RecordLabel, static_cast<std::uint16_t>(n + 8));
    writeCellPosition();
    writeCellAttributes();
    m_document.push_back(static_cast<std::uint8_t>(n));
    m_document.insert(
        m_document.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
}

void TSheetWriter::CloseDocument()
{
    WriteFooter();
}

void TSheetWriter::SaveDocument()
{
    replaceFileContents(m_fileName, m_document);
}

void TSheetWriter::SetFileName(const std::string &name)
{
    if (name == m_fileName)
        return;
    m_fileName = name;
    const auto separator = std::find_if(m_fileName.rbegin(), m_fileName.rend(), isPathSeparator);
    const std::size_t nameStart = static_cast<std::size_t>(m_fileName.rend() - separator);
    const std::size_t dot = m_fileName.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= nameStart;
    if (hasExtension) {
        if (equalsIgnoringCase(std::string_view(m_fileName).substr(dot), ".XLS"))
            return;
        m_fileName.erase(dot);
    }
    m_fileName += ".XLS";
}

void TSheetWriter::SetBIFF(TBiffVersion biff)
{
    if (biff == m_biff)
        return;
    m_biff = biff;
    WriteHeader();
}

void TSheetWriter::SetRow(int row)
{
    if (row != m_row && row >= 1 && row <= m_lastRow)
        m_row = row;
}

void TSheetWriter::SetColumn(int column)
{
    if (column != m_column && column >= 1 && column <= m_lastColumn)
        m_column = column;
}

void TSheetWriter::SetActiveFont(int font)
{
    if (font != m_activeFont && font >= 0 && font <= m_fontCount)
        m_activeFont = font;
}

std::string TSheetWriter::Version() const
{
    char text[24];
    std::snprintf(text, sizeof text, "%d.%d", m_versionCode >> 8, m_versionCode & 0xFF);
    return text;
}

void TSheetWriter::SetVersion(const std::string &) { }

void TSheetWriter::WriteHeader()
{
    m_open = true;
    m_fontCount = 0;
    m_document.clear();

    static constexpr std::uint8_t BofData[] = { 0x00, 0x02, 0x10, 0x00, 0x00, 0x00 };
    const RecordShape bof = bofRecord(m_biff);
    append16(bof.number);
    append16(bof.length);
    m_document.insert(m_document.end(), BofData, BofData + bof.length);

    // The range fields are the fixed bounds of the sheet, not of the cells written.
    const RecordShape dimensions = dimensionsRecord(m_biff);
    append16(dimensions.number);
    append16(dimensions.length);
    const std::uint16_t range[] = { m_firstRow, m_lastRow, m_firstColumn, m_lastColumn, 0 };
    for (std::size_t i = 0; i < dimensions.length / 2u; ++i)
        append16(range[i]);
}

void TSheetWriter::WriteFooter()
{
    writeRecordHeader(RecordEof, 0);
    m_open = false;
}

void TSheetWriter::writeRecordHeader(std::uint16_t recordNumber, std::uint16_t dataLength)
{
    if (!m_open)
        WriteHeader();
    append16(recordNumber);
    append16(dataLength);
}

void TSheetWriter::writeCellPosition()
{
    append16(static_cast<std::uint16_t>(m_row - 1));
    append16(static_cast<std::uint16_t>(m_column - 1));
    moveCursor();
}

void TSheetWriter::moveCursor()
{
    switch (m_moveAfterEnter) {
    case TMoveAfterEnter::maNone:
        break;
    case TMoveAfterEnter::maUp:
        if (m_row > 1) {
            --m_row;
        } else if (m_column > 1) {
            m_row = m_lastRow;
            --m_column;
        }
        break;
    case TMoveAfterEnter::maDown:
        if (m_row < m_lastRow) {
            ++m_row;
        } else if (m_column < m_lastColumn) {
            m_row = 1;
            ++m_column;
        }
        break;
    case TMoveAfterEnter::maLeft:
        if (m_column > 1) {
            --m_column;
        } else if (m_row > 1) {
            m_column = m_lastColumn;
            --m_row;
        }
        break;
    case TMoveAfterEnter::maRight:
        if (m_column < m_lastColumn) {
            ++m_column;
        } else if (m_row < m_lastRow) {
            m_column = 1;
            ++m_row;
        }
        break;
    }
}

void TSheetWriter::writeCellAttributes()
{
    std::uint8_t protection = 0;
    if (m_hidden)
        protection |= 0x80;
    if (m_locked)
        protection |= 0x40;

    std::uint8_t font = 0;
    if (m_activeFont >= 1 && m_activeFont <= 3)
        font = static_cast<std::uint8_t>(m_activeFont << 6);

    std::uint8_t format = alignmentCode(m_alignment);
    if (m_shading)
        format |= 0x80;
    if (m_borders & sheetBorder(TSheetBorders::ebTop))
        format |= 0x20;
    if (m_borders & sheetBorder(TSheetBorders::ebBottom))
        format |= 0x40;
    if (m_borders & sheetBorder(TSheetBorders::ebLeft))
        format |= 0x08;
    if (m_borders & sheetBorder(TSheetBorders::ebRight))
        format |= 0x10;

    m_document.push_back(protection);
    m_document.push_back(font);
    m_document.push_back(format);
}

void TSheetWriter::append16(std::uint16_t value)
{
    m_document.push_back(static_cast<std::uint8_t>(value & 0xFF));
    m_document.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace Demagora
