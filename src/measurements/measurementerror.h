#pragma once

#include "model/usererror.h"

namespace Demagora {

// A refused measurement export: a schedule, unit or name that cannot be used. The message is
// the one the user reads.
using MeasurementError = UserError<struct MeasurementLayer>;

} // namespace Demagora
