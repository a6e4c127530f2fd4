#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Demagora {

// The longest text of a file a message shows; past it the text is cut and its length said.
inline constexpr std::size_t MaxShownCharacters = 60;
// A field, name or line of a file as a message shows it: in double quotes, control characters
// and quotes escaped (\t, \x1b, \"), cut after MaxShownCharacters bytes.
std::string shownText(std::string_view text);
// A file's name as messages show it: whole, with its control characters escaped.
std::string shownPath(std::string_view path);

} // namespace Demagora
