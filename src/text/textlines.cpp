#include "text/textlines.h"

#include "text/showntext.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace Demagora {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

TextLines::TextLines(std::string path, std::string text, TextRefusal refusal)
    : m_path(std::move(path))
    , m_text(std::move(text))
    , m_size(m_text.size())
    , m_refusal(refusal)
{
    if (m_text.size() > UINT32_MAX)
        refuse(shownPath(m_path) + ": the file is too large for " + m_refusal.kind + ".");
    const std::size_t at = std::string_view(m_text).starts_with(ByteOrderMark) ? 3 : 0;
    LineScan state;
    scan(m_text.data() + at, m_text.size() - at, at, state);
    if (!m_text.empty())
        m_lastByte = m_text.back();
}

TextLines::TextLines(std::string path, std::uint64_t size, TextPieceReader read,
    TextRefusal refusal, std::size_t pieceBytes)
    : m_path(std::move(path))
    , m_size(size)
    , m_refusal(refusal)
    , m_read(std::move(read))
    , m_pieceBytes(std::max<std::size_t>(pieceBytes, 1))
{
    if (m_size > UINT32_MAX)
        refuse(shownPath(m_path) + ": the file is too large for " + m_refusal.kind + ".");
    std::string piece;
    std::uint64_t at = 0;
    if (m_size >= ByteOrderMark.size()) {
        piece.resize(ByteOrderMark.size());
        m_read(0, piece.data(), piece.size());
        if (piece == ByteOrderMark)
            at = ByteOrderMark.size();
    }
    LineScan state;
    while (at < m_size) {
        const std::size_t count = std::size_t(std::min<std::uint64_t>(m_pieceBytes, m_size - at));
        piece.resize(count);
        m_read(at, piece.data(), count);
        scan(piece.data(), count, at, state);
        m_lastByte = piece.back();
        at += count;
    }
}

void TextLines::scan(const char *bytes, std::size_t size, std::uint64_t base, LineScan &state)
{
    std::size_t at = 0;
    if (state.afterReturn && size > 0 && bytes[0] == '\n')
        at = 1;
    state.afterReturn = false;
    // The next line feed and carriage return at or after at, each found once with memchr and
    // kept until passed: one scan of the piece whatever its line ends.
    const auto next = [&](char c, std::size_t from) {
        const void *found = std::memchr(bytes + from, c, size - from);
        return found ? std::size_t(static_cast<const char *>(found) - bytes) : size;
    };
    std::size_t feed = next('\n', at), ret = next('\r', at);
    while (at < size) {
        if (state.lineBegins) {
            if (m_starts.size() == MaxTextLines)
                refuse(shownPath(m_path) + ": more than " + std::to_string(MaxTextLines)
                    + " lines, too many for " + m_refusal.kind + ".");
            m_starts.push_back(std::uint32_t(base + at));
            state.lineBegins = false;
        }
        if (feed < at)
            feed = next('\n', at);
        if (ret < at)
            ret = next('\r', at);
        const std::size_t end = std::min(feed, ret);
        if (end == size)
            break;
        state.lineBegins = true;
        at = end + 1;
        if (bytes[end] == '\r') {
            if (at == size)
                state.afterReturn = true;
            else if (bytes[at] == '\n')
                ++at;
        }
    }
}

std::string_view TextLines::bytes(std::uint64_t start, std::uint64_t end) const
{
    if (!m_read)
        return std::string_view(m_text).substr(std::size_t(start), std::size_t(end - start));
    for (const int k : { m_newest, 1 - m_newest }) {
        const Piece &piece = m_pieces[k];
        if (start >= piece.offset && end <= piece.offset + piece.bytes.size())
            return std::string_view(piece.bytes)
                .substr(std::size_t(start - piece.offset), std::size_t(end - start));
    }
    m_newest = 1 - m_newest;
    Piece &piece = m_pieces[m_newest];
    piece.offset = start;
    piece.bytes.resize(std::size_t(std::max<std::uint64_t>(end - start,
        std::min<std::uint64_t>(m_pieceBytes, m_size - start))));
    m_read(start, piece.bytes.data(), piece.bytes.size());
    return std::string_view(piece.bytes).substr(0, std::size_t(end - start));
}

std::string_view TextLines::line(std::size_t index) const
{
    // A line runs to the next one's start, less the line feed and carriage return ending it.
    const std::uint64_t start = m_starts[index];
    const std::uint64_t end = index + 1 < m_starts.size() ? m_starts[index + 1] : m_size;
    std::string_view text = bytes(start, end);
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    return text;
}

bool TextLines::lastLineUnended() const
{
    return !m_starts.empty() && m_lastByte != '\n' && m_lastByte != '\r';
}

void TextLines::fail(std::size_t index, const std::string &what) const
{
    refuse(shownPath(m_path) + ", line " + std::to_string(index + 1) + ": " + what);
}

void TextLines::refuse(const std::string &message) const
{
    m_refusal.refuse(message);
    // A refusal that returns would let a reader go on with a line it cannot read.
    throw std::logic_error("a text refusal returned: " + message);
}

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    splitTabs(line, fields);
    return fields;
}

void splitTabs(std::string_view line, std::vector<std::string_view> &fields)
{
    fields.clear();
    while (true) {
        const std::size_t tab = line.find('\t');
        fields.push_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos)
            return;
        line.remove_prefix(tab + 1);
    }
}

std::optional<double> numberOrNothing(std::string_view field)
{
    field = trimmed(field);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    if (field.empty())
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (result.ec != std::errc() || result.ptr != field.data() + field.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace Demagora
