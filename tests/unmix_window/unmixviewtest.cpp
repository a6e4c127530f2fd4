#include "unmix_window/unmixview.h"

#include <gtest/gtest.h>

namespace Demagora {
namespace {

UnmixCandidate candidate(std::size_t components, double cancellation, int fewestSteps)
{
    UnmixCandidate c;
    c.components.resize(components);
    c.converged = true;
    c.cancellation = cancellation;
    c.fewestSteps = fewestSteps;
    return c;
}

// The summary says where the noise came from and why a fixed count gave fewer components; the
// warning says, in plain words, when the direction turns along the whole path (first), when the
// model does not fit the steps within their errors and when a component turns with one step
// left out.
TEST(UnmixViewTest, SummarySaysHowTheNoiseAndTheCountCame)
{
    UnmixResult fits;
    fits.best = candidate(2, 1, 9);
    fits.candidates = { candidate(1, 1, 9), fits.best };
    fits.chosen = 1;
    fits.noise = 2e-9;
    fits.noiseFromErrors = true;
    fits.misfit = 1.1;
    fits.misfitLow = 0.7;
    fits.misfitHigh = 1.35;

    UnmixResult misfitting = fits;
    misfitting.misfit = 25;
    misfitting.noiseScale = 5;
    misfitting.noise = 1e-8;

    UnmixResult turning = misfitting;
    turning.turning = true;

    UnmixResult fewer = fits;
    fewer.noiseFromErrors = false;
    fewer.misfit.reset();
    fewer.candidates = { candidate(3, 1, 2), candidate(2, 1, 9) };
    fewer.bootstrapRefits = 20;
    fewer.jackknifeRefits = 27;
    fewer.intervals = { ComponentInterval {}, ComponentInterval {} };
    fewer.intervals[1].stable = false;

    const struct
    {
        const char *name;
        const UnmixResult &result;
        bool chosenByBic;
        QString text;
        QString warning;
    } cases[] = {
        { "errors that hold", fits, true,
            "2 component(s), chosen by BIC; rms 0, noise 2e-09 per axis (from the steps' errors), "
            "BIC 0.0. Misfit 1.10 (chi-square per degree of freedom; 0.70 to 1.35 expected). No "
            "bootstrap: no intervals.",
            "" },
        { "errors too small", misfitting, true,
            "2 component(s), chosen by BIC; rms 0, noise 1e-08 per axis (the steps' errors times "
            "5.0), BIC 0.0. Misfit 25.00 (chi-square per degree of freedom; 0.70 to 1.35 "
            "expected). No bootstrap: no intervals.",
            "The model does not fit the steps within their errors: the intervals use the larger "
            "noise of the residuals." },
        { "turning along the whole path", turning, true,
            "2 component(s), chosen by BIC; rms 0, noise 1e-08 per axis (the steps' errors times "
            "5.0), BIC 0.0. Misfit 25.00 (chi-square per degree of freedom; 0.70 to 1.35 "
            "expected). No bootstrap: no intervals.",
            "The direction turns along the whole path; the components describe the path. The "
            "model does not fit the steps within their errors: the intervals use the larger noise "
            "of the residuals." },
        { "fewer than asked, one unstable", fewer, false,
            "2 component(s) (3 asked: no fit of more is sound, see the candidates); rms 0, noise "
            "2e-09 per axis (from the residuals), BIC 0.0. Bootstrap: 20 refits, 0 did not "
            "converge; jackknife: 27 refits.",
            "1 component(s) turn more than their cone when one step is left out: their \u03B195 "
            "is widened to that turn." },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(unmixSummaryText(c.result, c.chosenByBic), c.text);
        EXPECT_EQ(unmixWarningText(c.result), c.warning);
    }
}

// The candidates say why a fit was passed over; the components say which are not stable.
TEST(UnmixViewTest, TablesMarkUnsoundFitsAndUnstableComponents)
{
    UnmixResult result;
    result.candidates = { candidate(1, 1, 9), candidate(2, 3.5, 2), candidate(2, 1.2, 4) };
    result.chosen = 2;
    result.best = result.candidates[2];
    result.intervals.resize(2);
    result.intervals[0].jackknife = 0.4;
    result.intervals[1].stable = false;
    result.intervals[1].jackknife = 12.34;
    const auto candidates = unmixCandidateRows(result);
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0][4], "");
    EXPECT_EQ(candidates[1][4], "components cancel, 2 step(s) in a range");
    EXPECT_EQ(candidates[2][4], "chosen");
    const auto components = unmixComponentRows(result);
    ASSERT_EQ(components.size(), 2u);
    ASSERT_EQ(components[0].size(), unmixComponentHeadings().size());
    const auto stable = unmixComponentHeadings().indexOf(QStringLiteral("Stable"));
    ASSERT_GE(stable, 0);
    EXPECT_EQ(components[0][stable], "yes");
    EXPECT_EQ(components[1][stable], "no (12.3\u00B0)");
    result.intervals.clear();
    EXPECT_EQ(unmixComponentRows(result)[1][stable], "-");
}

} // namespace
} // namespace Demagora
