#pragma once

#include "model/usererror.h"

namespace Demagora {

// A refusal of demagora-batch: bad options, an unreadable or invalid scenario, an output that
// cannot be written. The message names the file, field and value; the tool prints it and
// exits with status 2.
using BatchError = UserError<struct BatchLayer>;

// How the tool names itself at the start of its messages.
inline constexpr const char *ProgramName = "demagora-batch";

} // namespace Demagora
