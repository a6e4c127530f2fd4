#include "text/showntext.h"

namespace Demagora {

namespace {

// The text with its control characters escaped (\t, \x1b), and quotes and backslashes too
// when it is quoted.
void appendEscaped(std::string &shown, std::string_view text, bool quoted)
{
    static const char digits[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            shown += "\\t";
        } else if (quoted && (c == '"' || c == '\\')) {
            shown += '\\';
            shown += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        } else {
            shown += c;
        }
    }
}

} // namespace

std::string shownText(std::string_view text)
{
    std::string shown = "\"";
    appendEscaped(shown, text.substr(0, MaxShownCharacters), true);
    shown += '"';
    if (text.size() > MaxShownCharacters)
        shown += " (cut; " + std::to_string(text.size()) + " characters in all)";
    return shown;
}

std::string shownPath(std::string_view path)
{
    std::string shown;
    appendEscaped(shown, path, false);
    return shown;
}

} // namespace Demagora
