#pragma once

#include <stdexcept>
#include <string>

namespace Demagora {

// A specimen the component model cannot be fitted to; the message names the specimen and what
// is wrong with its steps.
class UnmixingError : public std::runtime_error
{
public:
    explicit UnmixingError(const std::string &message)
        : std::runtime_error(message)
    { }
};

} // namespace Demagora
