#pragma once

#include "analysis/interpretationfiles.h"
#include "measurements/measurementset.h"
#include "measurements/specimencoordinates.h"

#include <string>
#include <vector>

namespace Demagora {

// What the interpretation panel reads and sets of the window it sits in: the specimens, the
// one shown, the coordinates shown and the steps chosen. The panel knows nothing else of it.
class ShownSpecimens
{
public:
    virtual ~ShownSpecimens() = default;

    virtual const MeasurementSet &measurements() const = 0;
    // The demagnetization whose steps were read beside the NRM: levels in degrees Celsius or mT.
    virtual DemagKind demagnetization() const = 0;
    // The index of the specimen shown, -1 when there is none.
    virtual int currentSpecimen() const = 0;
    // The coordinates chosen; a specimen without the orientation they need is shown (and
    // fitted) in its own.
    virtual CoordinateSystem coordinates() const = 0;
    virtual void setCoordinates(CoordinateSystem system) = 0;
    // The specimens with every reading, each marked bad or good as the interpretations say:
    // what the measurements table saved beside them holds.
    virtual std::vector<Specimen> readingsMarkedBad(const Interpretations &interpretations) const = 0;
    // The steps marked bad in a measurements table saved beside interpretations (read with every
    // repeat kept) given to the interpretations, as withSavedBadSteps does; returns the steps
    // that have no row there.
    virtual std::vector<std::string> restoreBadSteps(
        const MeasurementSet &saved, Interpretations &interpretations) const = 0;
    // The chosen steps of the specimen shown, in step order.
    virtual std::vector<int> chosenSteps() const = 0;
    // Chooses the steps; add: they join the steps already chosen.
    virtual void chooseSteps(const std::vector<int> &steps, bool add) = 0;
};

} // namespace Demagora
