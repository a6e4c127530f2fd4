#pragma once

#include "results/reporttable.h"

#include <cstdint>

namespace Demagora {

// The run settings the main window holds for the whole program: the next component's
// number, the temperature range of a run and the report the result table shows.
struct RunSettings
{
    std::int32_t componentCounter = 1; // number of components plus one
    std::int32_t runLowTemp = 0; // whole degrees
    std::int32_t runHighTemp = 0; // whole degrees
    std::int32_t pointCount = 0; // runHighTemp - runLowTemp
    std::int32_t stereoPointCount = 0; // equal to pointCount
    ReportKind reportKind = ReportKind::Initial;
};

} // namespace Demagora
