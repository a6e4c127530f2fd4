#pragma once

namespace Demagora {

// One point of a demagnetization curve: a whole-degree temperature and the magnetization
// vector summed over all components (X north, Y east, Z down).
class TResultVectors
{
public:
    double Temperature = 0;
    double X = 0;
    double Y = 0;
    double Z = 0;

    double Length() const;
    double Declination() const; // degrees, in (-90, 270]
    double Inclination() const; // degrees, in [-90, 90]; 0 for a zero vector
};

} // namespace Demagora
