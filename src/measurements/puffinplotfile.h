#pragma once

#include "measurements/measuredseries.h"

#include <ostream>

namespace Demagora {

// A PuffinPlot file of version 3: its first line, a header naming the fields, one line per
// step of every specimen (magnetization in A/m in sample coordinates, which the orientation
// columns make geographic and tectonic), and a blank line after the steps.
void writePuffinPlotFile(std::ostream &stream, const SpecimenSource &measured);

} // namespace Demagora
