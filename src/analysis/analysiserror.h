#pragma once

#include <stdexcept>
#include <string>

namespace Demagora {

// A fit or a statistic that cannot be formed from its input, with the text the user reads.
class AnalysisError : public std::runtime_error
{
public:
    explicit AnalysisError(const std::string &message)
        : std::runtime_error(message)
    { }
};

} // namespace Demagora
