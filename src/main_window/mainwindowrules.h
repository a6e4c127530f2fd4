#pragma once

#include "main_window/runsettings.h"
#include "model/tvector.h"
#include "results/reporttable.h"

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace Demagora {

enum class ArrowKey { Up, Down };

// The box the arrow key moves the focus to from box (0 declination ... 4 upper temperature,
// -1 any other control), or -1 when the focus stays.
int arrowTarget(int box, ArrowKey key);

// Default width of the grid's columns for a window width, frame included.
int columnWidthFor(int windowWidth);

// Shape code of the n-th item of the shape choice: the first is Gauss, any other Rectangular.
SpectrumShape shapeForIndex(int index);

// Report kind of the n-th item of the report choice: the first is Initial, any other Resulting.
ReportKind reportKindForIndex(int index);

// Why a run cannot be carried out with these components and settings; empty when it can.
// memberCount is the member count of every population.
std::string runRefusal(
    std::size_t populationCount, std::size_t memberCount, const RunSettings &settings);

// Why Calculate is unavailable for this many components (a run needs two); empty from two on.
std::string calculateHint(std::size_t populationCount);

// What the main window says beside the typed Fisher's k about the k the last run's populations
// were drawn with (one entry per population, absent when not scattered): a short text and its
// tool tip, both empty when no population was scattered.
struct DrawnKText
{
    std::string text;
    std::string toolTip;
};
DrawnKText drawnKText(const std::vector<std::optional<double>> &drawnK);

// The text the general error handler shows for an error that ended a command.
std::string userMessage(const std::exception &error);

} // namespace Demagora
