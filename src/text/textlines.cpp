#include "text/textlines.h"

#include "text/showntext.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace Demagora {

TextLines::TextLines(std::string path, std::string text, TextRefusal refusal)
    : m_path(std::move(path))
    , m_text(std::move(text))
    , m_refusal(refusal)
{
    if (m_text.size() > UINT32_MAX)
        refuse(shownPath(m_path) + ": the file is too large for " + m_refusal.kind + ".");
    std::size_t at = std::string_view(m_text).starts_with("\xEF\xBB\xBF") ? 3 : 0;
    // The next line feed and carriage return at or after at, each found once with memchr and
    // kept until passed: one scan of the text whatever its line ends.
    const char *const begin = m_text.data();
    const std::size_t size = m_text.size();
    const auto next = [&](char c, std::size_t from) {
        const void *found = std::memchr(begin + from, c, size - from);
        return found ? std::size_t(static_cast<const char *>(found) - begin) : size;
    };
    std::size_t feed = next('\n', at), ret = next('\r', at);
    while (at < size) {
        if (m_starts.size() == MaxTextLines)
            refuse(shownPath(m_path) + ": more than " + std::to_string(MaxTextLines)
                + " lines, too many for " + m_refusal.kind + ".");
        m_starts.push_back(std::uint32_t(at));
        if (feed < at)
            feed = next('\n', at);
        if (ret < at)
            ret = next('\r', at);
        const std::size_t end = std::min(feed, ret);
        if (end == size)
            break;
        at = end + 1;
        if (m_text[end] == '\r' && at < size && m_text[at] == '\n')
            ++at;
    }
}

std::string_view TextLines::line(std::size_t index) const
{
    // A line runs to the next one's start, less the line feed and carriage return ending it.
    const std::string_view text(m_text);
    const std::size_t start = m_starts[index];
    std::size_t end = index + 1 < m_starts.size() ? m_starts[index + 1] : text.size();
    if (end > start && text[end - 1] == '\n')
        --end;
    if (end > start && text[end - 1] == '\r')
        --end;
    return text.substr(start, end - start);
}

bool TextLines::lastLineUnended() const
{
    return !m_starts.empty() && m_text.back() != '\n' && m_text.back() != '\r';
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
