#pragma once

#include "model/tvector.h"
#include "model/vector3.h"
#include "unmixing/unmixing.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace Demagora {

// The steps of one specimen as the solver sees them: moments divided by the largest step's
// length, each step weighted by the inverse of its noise (1 where the noise is unknown), and
// the bounds of the blocking ranges. Used by the fit, the starting values and the bootstrap.
struct FitData
{
    std::vector<double> temperatures;
    std::vector<std::array<double, 3>> moments; // scaled
    std::vector<double> weights;
    double lowBound = 0; // lowest temperature a range may start at
    double highBound = 0; // highest temperature a range may end at
    double minWidth = 1; // degrees
    double scale = 1; // the largest step's length, the specimen's moment unit
    bool withErrors = false; // every step has an error angle, and the weights come from them
};

// The steps as the solver sees them, checked by the caller (unmixSpecimen checks them).
FitData unmixFitData(const std::vector<UnmixStep> &steps);

// One component as the solver varies it: the moment per degree as a free vector (its length
// is the height, so the height never goes negative and no direction is singular), the lower
// end of the range and the width of the range (at least minWidth, so low < high). The solver
// keeps low >= lowBound and low + width <= highBound.
struct ComponentParameters
{
    SpectrumShape shape = SpectrumShape::Gauss;
    std::array<double, 5> values {}; // vx, vy, vz, low, width

    bool operator==(const ComponentParameters &) const = default;
};

// The component in the specimen's unit, heights multiplied by scale; and back, over scale.
UnmixComponent unmixComponent(const ComponentParameters &p, double scale);
ComponentParameters componentParameters(const UnmixComponent &c, double scale);

// The components of refit in the order of those of fitted: of every assignment, the one with
// the least total of angles and range differences (over span, degrees), so that two components
// of alike shape that swapped places are counted as what they are. refit has fitted's size.
std::vector<ComponentParameters> matchedComponents(const std::vector<ComponentParameters> &fitted,
    const std::vector<ComponentParameters> &refit, double span);

// The angle between two moments, degrees; 180 when either is nothing.
double angleOrFlat(const Vector3 &a, const Vector3 &b);

struct FitOutcome
{
    std::vector<ComponentParameters> components;
    double cost = 0; // weighted sum of squared residuals, scaled units
    bool converged = false;
};

// Least squares from the given start, on the calling thread. stop is asked after every
// iteration; when it answers true the solver ends early with a result not converged.
FitOutcome refineComponents(const FitData &data, const std::vector<ComponentParameters> &start,
    const std::function<bool()> &stop = {});

// The weighted sum of squared residuals of the components, and the unweighted one.
double weightedCost(const FitData &data, const std::vector<ComponentParameters> &components);
double plainCost(const FitData &data, const std::vector<ComponentParameters> &components);

// The components as the simulator can run them: each end of a range moved to the nearest
// tenth of a degree, the upper end then lowered by a millionth of a degree, and the moment
// vectors refitted to the steps by linear least squares. The simulator's 0.1-degree samples
// then lie a millionth of a degree below the tenths, clear of every step temperature on the
// tenths, so that its sums at those steps equal the continuous spectra. Ranges keep minWidth.
std::vector<ComponentParameters> onSliceGrid(
    const FitData &data, std::vector<ComponentParameters> components);

// Predicted scaled moments at the data's temperatures.
std::vector<std::array<double, 3>> predictScaled(
    const FitData &data, const std::vector<ComponentParameters> &components);

// Starting values from the data: every blocking range whose ends lie at the steps'
// temperatures or at the bounds, in each allowed shape, scored by linear least squares over
// the moments (the best moment vectors for given ranges are a linear fit). Sets of ranges are
// searched whole for two components and grown and swapped one range at a time for more.
class StartSearch
{
public:
    StartSearch(const FitData &data, UnmixShapes shapes);
    ~StartSearch();

    // At most count different sets of k components, best first.
    std::vector<std::vector<ComponentParameters>> starts(int k, int count) const;

private:
    struct Grid;
    std::unique_ptr<Grid> m_grid;
};

} // namespace Demagora
