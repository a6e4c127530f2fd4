#include "main_window/mainwindowrules.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"

#include <new>

namespace Demagora {

int arrowTarget(int box, ArrowKey key)
{
    const int target = key == ArrowKey::Down ? box + 1 : box - 1;
    return target >= 0 && target <= 4 ? target : -1;
}

int columnWidthFor(int windowWidth)
{
    return windowWidth / 7 - 5;
}

SpectrumShape shapeForIndex(int index)
{
    return index == 0 ? SpectrumShape::Gauss : SpectrumShape::Rectangular;
}

ReportKind reportKindForIndex(int index)
{
    return index == 0 ? ReportKind::Initial : ReportKind::Resulting;
}

std::string runRefusal(
    std::size_t populationCount, std::size_t memberCount, const RunSettings &settings)
{
    if (populationCount == 0)
        return "There is no component left to calculate: add a component first";
    if (settings.pointCount < 1) {
        return "The run needs a temperature range of at least one degree, but the blocking "
               "temperatures give a run from "
            + std::to_string(settings.runLowTemp) + " to " + std::to_string(settings.runHighTemp)
            + " degrees";
    }
    try {
        checkRunSize(memberCount, static_cast<std::uint64_t>(settings.pointCount) + 1);
    } catch (const ModelError &error) {
        return error.what();
    }
    return {};
}

std::string userMessage(const std::exception &error)
{
    if (dynamic_cast<const std::bad_alloc *>(&error))
        return "There is not enough memory for this command";
    return error.what();
}

} // namespace Demagora
