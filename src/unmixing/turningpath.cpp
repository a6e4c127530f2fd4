#include "unmixing/turningpath.h"

#include "unmixing/continuousspectrum.h"

#include <algorithm>
#include <cmath>

namespace Demagora {

double aloneShare(
    const std::vector<UnmixComponent> &components, const std::vector<double> &temperatures)
{
    // The loss of every component at every step: to the next step, and at the last what it keeps.
    const std::size_t n = temperatures.size();
    std::vector<int> dominant(n, -1);
    std::vector<double> lost(n, 0);
    double total = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double most = 0;
        for (std::size_t c = 0; c < components.size(); ++c) {
            const UnmixComponent &u = components[c];
            const auto remaining = [&u](double t) {
                return continuousRemaining(u.shape, u.height, u.low, u.high, t);
            };
            const double loss = std::abs(
                remaining(temperatures[i]) - (i + 1 < n ? remaining(temperatures[i + 1]) : 0));
            lost[i] += loss;
            if (loss > most) {
                most = loss;
                dominant[i] = int(c);
            }
        }
        if (!(most >= AloneLoss * lost[i]) || !(lost[i] > 0))
            dominant[i] = -1;
        total += lost[i];
    }
    if (!(total > 0))
        return 0;
    double share = 0;
    for (std::size_t first = 0; first < n;) {
        std::size_t end = first + 1;
        double run = lost[first];
        while (end < n && dominant[first] >= 0 && dominant[end] == dominant[first])
            run += lost[end++];
        if (dominant[first] >= 0 && end - first >= std::size_t(MinAloneSteps))
            share = std::max(share, run / total);
        first = end;
    }
    return share;
}

bool turningPath(std::size_t components, double aloneShare)
{
    return components >= MinTurningComponents && aloneShare <= MaxTurningAloneShare;
}

} // namespace Demagora
