#pragma once

#include "unmixing/unmixing.h"

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace Demagora {

// The component fit of demagora-batch: --unmix auto|K, --unmix-shapes, --bootstrap,
// --unmix-out and --twin; or the fit of whole sites, --unmix-site auto|K and --unmix-site-out,
// with --unmix-out writing each specimen's part of its site's fit.
struct UnmixBatchOptions
{
    int components = 0; // 0: auto
    int siteComponents = 0; // 0: auto
    UnmixShapes shapes = UnmixShapes::Any;
    int bootstrap = 200;
    std::optional<std::string> outPath;
    std::optional<std::string> twinPath;
    std::optional<std::string> siteOutPath;
    std::set<std::string> given;

    // Whether anything is unmixed, specimen by specimen or site by site.
    bool requested() const { return given.contains("--unmix") || siteRequested(); }
    bool siteRequested() const { return given.contains("--unmix-site"); }
};

// The most refits --bootstrap accepts: each is a least-squares fit of its own.
inline constexpr int MaxBootstrap = 100000;
// The most fits a run's --unmix makes: per specimen the fit, the refits and the jackknife's
// one refit per step. At a few milliseconds a fit, about ten minutes of one core; 340 specimens
// of 30 steps with the default 200 refits take 78,540.
inline constexpr long long MaxUnmixFits = 100000;

// Reads one of these options when name is one, taking its value from value(); returns false
// for any other name. Throws BatchError for a value that cannot be used or an option given
// twice.
bool readUnmixOption(
    const std::string &name, const std::function<std::string()> &value, UnmixBatchOptions &options);

// Checks what only the whole command line shows: --unmix without --unmix-out, --unmix-site
// without --unmix-site-out, both together, the other options without them, a twin of a site
// fit, and a twin going to standard output. Throws BatchError.
void checkUnmixOptions(const UnmixBatchOptions &options);

// The lines of the usage text for these options.
std::string unmixUsage();

} // namespace Demagora
