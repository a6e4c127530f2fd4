#pragma once

#include <stdexcept>
#include <string>

namespace Demagora {

// A refusal whose message is the text the user reads: the GUI's error handler shows it, the
// batch tool prints it. Each layer names its own kind (ModelError, BatchError ...), so that a
// caller can tell whose refusal it caught.
template <class Layer> class UserError : public std::runtime_error
{
public:
    explicit UserError(const std::string &message)
        : std::runtime_error(message)
    { }
};

} // namespace Demagora
