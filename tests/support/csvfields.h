#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace Demagora::Testing {

// The comma-separated fields of one CSV line; quotes are not undone, so the line must hold
// no quoted field (series lines never do).
inline std::vector<std::string> splitFields(const std::string &line)
{
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');)
        fields.push_back(field);
    return fields;
}

} // namespace Demagora::Testing
