#include "model/scatter.h"

#include "model/angles.h"
#include "model/inputchecks.h"

#include <algorithm>
#include <cmath>

namespace Demagora {

namespace {

// Polar method on the same uniform source. A pair at the centre (q = 0) is drawn again like
// one outside the circle: ln(0) / 0 would make the height NaN.
double normalDeviate(RandomSource &random, double mean, double stdDev)
{
    double u1 = 0;
    double q = 0;
    do {
        u1 = 2 * random.uniform() - 1;
        const double u2 = 2 * random.uniform() - 1;
        q = u1 * u1 + u2 * u2;
    } while (!(q < 1 && q > 0));
    return std::sqrt(-2 * std::log(q) / q) * u1 * stdDev + mean;
}

// The deviation angle of the Fisher distribution with precision k for a uniform R, in
// degrees. Rounding can take the argument of arccos just below -1 when R is close to 1
// and k is small; it is held at -1 (180 degrees) instead of giving NaN.
double fisherAngle(double R, double k)
{
    const double cosine = 1 + std::log(1 - R * (1 - std::exp(-2 * k))) / k;
    return std::acos(std::max(cosine, -1.0)) * RadToDeg;
}

} // namespace

Direction RotateDeviation(double D, double I, double e, double phi)
{
    const double d = D * DegToRad;
    const double i = I * DegToRad;
    const double el = e * DegToRad;
    const double ph = phi * DegToRad;

    const double c1 = std::cos(el) * std::cos(ph);
    const double c2 = std::cos(el) * std::sin(ph);
    const double c3 = std::sin(el);

    const double x
        = std::sin(i) * std::cos(d) * c1 - std::sin(d) * c2 + std::cos(i) * std::cos(d) * c3;
    const double y
        = std::sin(i) * std::sin(d) * c1 + std::cos(d) * c2 + std::cos(i) * std::sin(d) * c3;
    const double z = -std::cos(i) * c1 + std::sin(i) * c3;

    Direction result;
    if (y == 0) {
        result.declination = 0;
    } else {
        result.declination = std::acos(x / std::sqrt(x * x + y * y)) * RadToDeg;
        if (y < 0)
            result.declination = -result.declination;
    }
    result.inclination = std::asin(z / std::sqrt(x * x + y * y + z * z)) * RadToDeg;
    return result;
}

void ScatterComponent(const TVector &component, int N, Population &population, SpectrumShape shape,
    bool differentLengths, double k, double heightStdDev, RandomSource &random)
{
    if (N > 0)
        checkFisherK(k);

    TVector first;
    first.SigmaCount = component.SigmaCount;
    first.Declination = component.Declination;
    first.Inclination = component.Inclination;
    first.BlockLow = component.BlockLow;
    first.BlockHigh = component.BlockHigh;
    first.Height = component.Height;
    first.Shape = shape;
    first.DifferentLengths = differentLengths;
    population.push_back(first);

    const double mean = component.Height;
    for (int n = 0; n < N; ++n) {
        const double phi = random.uniform() * 360;
        const double R = random.uniform();
        // The drawn angle is halved before use, so members lie within 90 degrees.
        const double theta = fisherAngle(R, k);
        const Direction direction
            = RotateDeviation(component.Declination, component.Inclination, 90 - theta / 2, phi);

        TVector member;
        member.SigmaCount = component.SigmaCount;
        member.Declination = direction.declination;
        member.Inclination = direction.inclination;
        member.BlockLow = component.BlockLow;
        member.BlockHigh = component.BlockHigh;
        member.Shape = shape;
        if (differentLengths) {
            member.Height = normalDeviate(random, mean, heightStdDev);
            member.DifferentLengths = true;
        } else {
            member.Height = mean;
            member.DifferentLengths = false;
        }
        population.push_back(member);
    }
}

} // namespace Demagora
