#include "unmixing/twinscenario.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"
#include "unmixing/unmixingerror.h"

#include <cmath>

namespace Demagora {

Scenario twinScenario(const std::vector<UnmixComponent> &components, double scaleAPerM)
{
    if (!(std::isfinite(scaleAPerM) && scaleAPerM > 0))
        throw UnmixingError("The scale of the twin scenario must be a positive number");
    Scenario scenario;
    for (const UnmixComponent &c : components) {
        TVector v;
        // Three standard deviations in each half of a Gauss range, as every component has.
        v.SigmaCount = GaussSigmasEachSide;
        v.Declination = c.declination;
        v.Inclination = c.inclination;
        v.BlockLow = c.low;
        v.BlockHigh = c.high;
        v.Height = c.height / scaleAPerM;
        v.Shape = c.shape;
        try {
            checkBlockingTemperature(v.BlockLow);
            checkBlockingTemperature(v.BlockHigh);
            checkHeight(v.Height);
        } catch (const ModelError &error) {
            throw UnmixingError(
                std::string("The twin scenario cannot hold a fitted component: ") + error.what());
        }
        scenario.components.push_back(v);
    }
    return scenario;
}

} // namespace Demagora
