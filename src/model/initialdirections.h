#pragma once

#include "model/populations.h"

#include <cstdint>
#include <vector>

namespace Demagora {

// Every member's direction at the start of the run, as the stereogram of initial directions
// shows it. Summing each member's spectrum at the run's first temperature is the costly part
// on a large population, so the sums are shared among members of one spectrum and spread over
// the cores; the values are those each member gives on its own.

// One member's direction: its north and east parts and its magnetization at the start of the
// run, with its stored inclination.
struct MemberDirection
{
    double north = 0;
    double east = 0;
    double inclination = 0;
    double remaining = 0;
};

// Per population, per member. Evaluates copies of the members at runLowTemp, so the
// populations stay untouched: bit for bit what SetTemperature(runLowTemp) followed by GetX,
// GetY and Remaining(runLowTemp) give member by member.
using InitialDirections = std::vector<std::vector<MemberDirection>>;
InitialDirections initialDirections(
    const ComponentPopulations &populations, std::int32_t runLowTemp);

} // namespace Demagora
