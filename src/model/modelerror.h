#pragma once

#include <stdexcept>
#include <string>

namespace Demagora {

// A refusal of the model, carrying the text the user reads.
class ModelError : public std::runtime_error
{
public:
    explicit ModelError(const std::string &message)
        : std::runtime_error(message)
    { }
};

} // namespace Demagora
