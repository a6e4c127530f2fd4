#pragma once

#include <stdexcept>
#include <string>

namespace Demagora {

// A refused measurement export: a schedule, unit or name that cannot be used. The message is
// the one the user reads.
class MeasurementError : public std::runtime_error
{
public:
    explicit MeasurementError(const std::string &message)
        : std::runtime_error(message)
    { }
};

} // namespace Demagora
