#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Demagora {

// The most lines a text file may have: some 16 bytes a line in the largest file read, far
// fewer than any table row or measurement takes. Only where a line starts is kept, 4 bytes a
// line.
inline constexpr std::size_t MaxTextLines = std::size_t(1) << 24;

// How the layer reading a text refuses it: refuse throws that layer's error with the message
// given; kind is what the file is called in the messages ("a measurement file").
struct TextRefusal
{
    void (*refuse)(const std::string &message);
    const char *kind;
};

// Reads size bytes of a text from offset into into, or refuses (throws).
using TextPieceReader = std::function<void(std::uint64_t offset, char *into, std::size_t size)>;

// A text file cut into lines: a leading byte-order mark dropped, LF, CRLF and CR-only line ends
// all taken as ends. Line numbers count from 1. The measurement readers and the tables of
// interpretations both read their files through it.
class TextLines
{
public:
    // Refused (through refusal) when the text has more than 4 GiB or MaxTextLines lines.
    TextLines(std::string path, std::string text, TextRefusal refusal);
    // A text of size bytes never held whole, for the largest tables: its lines are found in
    // one pass over pieces of pieceBytes, and a line's piece is read again when the line is
    // asked for. A view line() gives stays valid until lines outside the last two pieces read
    // are asked for, which is what reading a line, or a table's name and column lines, needs.
    TextLines(std::string path, std::uint64_t size, TextPieceReader read, TextRefusal refusal,
        std::size_t pieceBytes = std::size_t(1) << 20);

    const std::string &path() const { return m_path; }
    std::size_t size() const { return m_starts.size(); }
    std::string_view line(std::size_t index) const;
    // Whether the last line has no line end: a file cut in its last line may read as whole.
    bool lastLineUnended() const;

    // Refuses the file with "<file>, line <n>: <what>" for the line at index.
    [[noreturn]] void fail(std::size_t index, const std::string &what) const;

private:
    // What finding the line starts carries from one piece of the text to the next.
    struct LineScan
    {
        bool lineBegins = true; // the next byte starts a line
        bool afterReturn = false; // a line ended in CR at the end of the last piece
    };

    [[noreturn]] void refuse(const std::string &message) const;
    // Records the line starts in bytes, the piece of the text at offset base.
    void scan(const char *bytes, std::size_t size, std::uint64_t base, LineScan &state);
    // The text from start to end, read where it is not at hand.
    std::string_view bytes(std::uint64_t start, std::uint64_t end) const;

    std::string m_path;
    std::string m_text; // the whole text, unless it is read in pieces
    std::uint64_t m_size = 0;
    std::vector<std::uint32_t> m_starts;
    TextRefusal m_refusal;
    TextPieceReader m_read;
    std::size_t m_pieceBytes = 0;
    char m_lastByte = 0;
    struct Piece
    {
        std::uint64_t offset = 0;
        std::string bytes;
    };
    // The last two pieces read, m_pieces[m_newest] the later one.
    mutable Piece m_pieces[2];
    mutable int m_newest = 0;
};

// The text without the blanks (space, tab, CR, LF) around it.
std::string_view trimmed(std::string_view text);
// The fields of a tab-separated line, each trimmed.
std::vector<std::string_view> splitTabs(std::string_view line);
// The same into fields, reusing its storage.
void splitTabs(std::string_view line, std::vector<std::string_view> &fields);
// A field's number as files write it, in the C locale: blanks around, an optional sign ('+'
// too), digits with a point, an exponent. Nothing for an empty field, anything else, or a
// number that is not finite; never throws.
std::optional<double> numberOrNothing(std::string_view field);

} // namespace Demagora
