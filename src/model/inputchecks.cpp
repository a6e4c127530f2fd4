#include "model/inputchecks.h"

#include "model/modelerror.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace Demagora {

namespace {
std::string shortText(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}
} // namespace

void checkBlockingTemperature(double degrees)
{
    if (!(std::fabs(degrees) <= MaxBlockingTemperature)) {
        throw ModelError("The blocking temperature " + shortText(degrees)
            + " is out of range: blocking temperatures must lie between -100000 and 100000 "
              "degrees");
    }
}

void checkFisherK(double k)
{
    if (!(k > 0)) {
        throw ModelError("Fisher's k must be greater than 0 (it is " + shortText(k) + ")");
    }
}

void checkRandomPoints(int count)
{
    if (count < 1) {
        throw ModelError("Random points must be at least 1 (it is " + std::to_string(count) + ")");
    }
    if (count > MaxRandomPoints) {
        throw ModelError("Random points must be at most " + std::to_string(MaxRandomPoints)
            + " (it is " + std::to_string(count) + ")");
    }
}

void checkRunSize(std::uint64_t memberCount, std::uint64_t stepCount)
{
    // Compared as a quotient so that the product cannot overflow.
    if (stepCount > 0 && memberCount > MaxRunResultPoints / stepCount) {
        throw ModelError("The run is too large: " + std::to_string(memberCount) + " members times "
            + std::to_string(stepCount) + " steps exceed " + std::to_string(MaxRunResultPoints)
            + " result points");
    }
}

} // namespace Demagora
