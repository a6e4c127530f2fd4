#include "diagrams/diagramviewstate.h"

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

} // namespace Demagora
