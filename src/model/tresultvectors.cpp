#include "model/tresultvectors.h"

#include "model/angles.h"

#include <cmath>

namespace Demagora {

double TResultVectors::Declination() const
{
    if (X > 0)
        return std::atan(Y / X) * RadToDeg;
    if (X < 0)
        return std::atan(Y / X) * RadToDeg + 180;
    if (Y > 0)
        return 90;
    if (Y < 0)
        return 270;
    return 0;
}

} // namespace Demagora
