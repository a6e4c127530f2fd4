#include "main_window/mainwindowrules.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"

#include <algorithm>
#include <cmath>
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

std::string calculateHint(std::size_t populationCount)
{
    if (populationCount >= 2)
        return {};
    return populationCount == 1
        ? "A run needs a second component: add one with Add direction, then Calculate"
        : "A run needs two components: add them with Add direction, then Calculate";
}

DrawnKText drawnKText(const std::vector<std::optional<double>> &drawnK)
{
    const auto whole = [](double k) {
        return std::isinf(k) ? std::string("infinite") : std::to_string(std::llround(k));
    };
    std::optional<double> lowest, highest;
    std::string each;
    for (std::size_t i = 0; i < drawnK.size(); ++i) {
        if (!drawnK[i])
            continue;
        const double k = *drawnK[i];
        lowest = lowest ? std::min(*lowest, k) : k;
        highest = highest ? std::max(*highest, k) : k;
        each += (each.empty() ? "" : ", ") + std::string("component ") + std::to_string(i + 1) + " "
            + whole(k);
    }
    if (!lowest)
        return {};
    DrawnKText text;
    text.text = "drawn " + whole(*lowest);
    if (whole(*highest) != whole(*lowest))
        text.text += "-" + whole(*highest);
    text.toolTip = "The Fisher's k of the directions the last run's populations were drawn with, "
                   "(N - 1)/(N - R) of their copies: "
        + each
        + ". The drawing halves every angle, so the copies lie about four times as tight as "
          "the typed k says.";
    return text;
}

} // namespace Demagora
