#pragma once

#include "model/populations.h"
#include "model/run.h"

#include <ostream>
#include <string>

namespace Demagora {

// The CSV heading of the series output.
inline constexpr const char *SeriesCsvHeader
    = "member,step,temperature,x,y,z,length,declination,inclination";

// Writes one row per member and step under SeriesCsvHeader. Reals carry 17 significant
// digits, so they read back bit for bit; the text does not depend on the C locale. A long
// series is formatted in pieces on every core and written in order.
void writeSeriesCsv(std::ostream &out, const ResultSeries &series);
// The same text for a run made ready but not computed: each member's curve is computed when
// its rows are written, so the whole series is never held in memory.
void writeSeriesCsv(std::ostream &out, const PreparedRun &run);

} // namespace Demagora
