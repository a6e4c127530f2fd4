#pragma once

#include <string>
#include <string_view>

namespace Demagora {

// One CSV field: quoted, with inner quotes doubled, when it holds a comma, a quote or a
// line break; as it stands otherwise. Names read from files (specimens, sites, components)
// go through it, so that a comma in one never moves the columns after it.
std::string csvField(std::string_view text);
// The same field appended to line.
void appendCsvField(std::string &line, std::string_view text);

} // namespace Demagora
