#include "diagrams/diagramviewstate.h"

#include <cmath>

namespace Demagora {

std::optional<std::int64_t> labelIntervalFromText(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    // Within 32 bits as the field is; the absolute value then always fits.
    if (!ok || value == 0 || value > INT32_MAX || value < -static_cast<qlonglong>(INT32_MAX))
        return std::nullopt;
    return value < 0 ? -value : value;
}

bool isLabelled(std::int64_t value, const DiagramViewState &state)
{
    return state.showTemperatures && state.labelInterval && value % *state.labelInterval == 0;
}

std::optional<std::int64_t> labelValue(
    std::int64_t i, double temperature, const DiagramViewState &state)
{
    if (state.options.labelsIn == LabelUnit::Steps)
        return i;
    if (!std::isfinite(temperature) || std::fabs(temperature) > 1e15
        || std::floor(temperature) != temperature)
        return std::nullopt;
    return static_cast<std::int64_t>(temperature);
}

} // namespace Demagora
