#pragma once

#include "unmixing/unmixing.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Demagora {

// One specimen of a site to unmix: its name and its steps, as unmixSpecimen takes them.
struct SiteUnmixSpecimen
{
    std::string name;
    std::vector<UnmixStep> steps;
};

struct SiteUnmixOptions
{
    // 1 to MaxUnmixComponents, fitted as asked; 0: chosen by the site's BIC.
    int components = 0;
    int maxComponents = 3; // the most that BIC chooses from
    UnmixShapes shapes = UnmixShapes::Any;
    // The precision k tying every specimen's direction to the site's; absent: for each
    // component, that of the directions of the specimens' own unmixings.
    std::optional<double> precision;
    // Refits of the fitted site with resampled noise on every specimen and, with
    // resampleSpecimens, the specimens drawn with replacement; 0: none.
    int bootstrap = 200;
    bool resampleSpecimens = true;
    std::uint64_t seed = 1;
    unsigned threads = 0; // 0: every core
    std::function<void(int done, int total)> progress; // called from the calling thread
    std::function<bool()> stopRequested; // asked often, from any thread; a stop throws
};

// One component of the site.
struct SiteComponent
{
    double declination = 0; // degrees, [0, 360)
    double inclination = 0;
    // The precision (N - 1) / (N - R) of the fitted directions of the specimens that carry the
    // component; the precision fixed by the options when they give one; none where fewer than
    // two specimens carry it and the options fix none.
    std::optional<double> k;
    int specimens = 0; // how many carry it
    double low = 0, high = 0; // the medians of their ranges, degrees
    // With the bootstrap: the angle around the site direction holding 95 % of the refitted
    // ones, and the 95 % percentile interval of k (where there is a k).
    std::optional<double> alpha95;
    double kLow = 0, kHigh = 0;
};

// One specimen of the site as the joint fit gives it.
struct SiteSpecimenFit
{
    std::string name;
    // One per site component, in its order; a height of 0: the specimen lacks it.
    std::vector<UnmixComponent> components;
    // With the bootstrap: per component the angle around the specimen's direction holding 95 %
    // of its refitted directions (over the refits that drew the specimen).
    std::vector<double> alpha95;
    double rms = 0; // of its vector residuals per axis, its moment unit
    UnmixResult single; // its own unmixing, which the joint fit starts from
};

struct SiteUnmixResult
{
    std::string site;
    std::vector<SiteComponent> components;
    std::vector<SiteSpecimenFit> specimens;
    // The specimens that could not be unmixed on their own, each message naming it; they take
    // no part in the site.
    std::vector<std::string> refusals;
    // One per number of components tried. The components hold the site directions and the
    // median ranges (heights 0); rms is that of the weighted residuals (about 1 when each
    // specimen's noise is as its own unmixing estimated it); bic the site's.
    std::vector<UnmixCandidate> candidates;
    std::size_t chosen = 0;
    int bootstrapRefits = 0;
    int bootstrapNotConverged = 0;
};

// Beyond this precision the directions of a site's specimens are taken as one (an angle of
// 0.001 degree between them already costs more than a whole specimen's misfit): a site of
// directions that agree to the last digit would otherwise have no finite k.
inline constexpr double MaxSitePrecision = 1e10;

// Fits the site's specimens together: K components whose directions the site shares, each
// specimen with its own direction (scattered about the site's with Fisher precision k), height,
// range and shape per component. Each specimen is first unmixed on its own (without
// bootstrap), which gives the starting values and the noise its steps are weighted by. Throws
// UnmixingError naming the site when fewer than two specimens can be unmixed, for a number of
// components out of range, and for a stop.
SiteUnmixResult unmixSite(const std::string &site, const std::vector<SiteUnmixSpecimen> &specimens,
    const SiteUnmixOptions &options);

} // namespace Demagora
