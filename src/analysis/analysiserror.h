#pragma once

#include "model/usererror.h"

namespace Demagora {

// A fit or a statistic that cannot be formed from its input, with the text the user reads.
using AnalysisError = UserError<struct AnalysisLayer>;

} // namespace Demagora
