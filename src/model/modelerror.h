#pragma once

#include "model/usererror.h"

namespace Demagora {

// A refusal of the model, carrying the text the user reads.
using ModelError = UserError<struct ModelLayer>;

} // namespace Demagora
