#pragma once

namespace Demagora {

// Which report of a run the result table shows: the initial vectors or the resulting ones.
// The scenario document stores it, the report tables are built for it.
enum class ReportKind { Initial = 0, Resulting = 1 };

} // namespace Demagora
