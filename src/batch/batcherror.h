#pragma once

#include <stdexcept>
#include <string>

namespace Demagora {

// A refusal of demagora-batch: bad options, an unreadable or invalid scenario, an output that
// cannot be written. The message names the file, field and value; the tool prints it and
// exits with status 2.
class BatchError : public std::runtime_error
{
public:
    explicit BatchError(const std::string &message)
        : std::runtime_error(message)
    { }
};

} // namespace Demagora
