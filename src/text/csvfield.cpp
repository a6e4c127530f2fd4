#include "text/csvfield.h"

namespace Demagora {

void appendCsvField(std::string &line, std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += text;
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

std::string csvField(std::string_view text)
{
    std::string field;
    appendCsvField(field, text);
    return field;
}

} // namespace Demagora
