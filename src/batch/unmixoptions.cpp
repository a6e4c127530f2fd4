#include "batch/unmixoptions.h"

#include "batch/batcherror.h"

#include <charconv>

namespace Demagora {

namespace {

int parseCount(const std::string &option, const std::string &text, int lowest, int highest,
    const std::string &what)
{
    int value = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || value < lowest || value > highest)
        throw BatchError(option + ": '" + text + "' is not " + what);
    return value;
}

} // namespace

bool readUnmixOption(
    const std::string &name, const std::function<std::string()> &value, UnmixBatchOptions &options)
{
    if (name != "--unmix" && name != "--unmix-shapes" && name != "--bootstrap"
        && name != "--unmix-out" && name != "--twin" && name != "--unmix-site"
        && name != "--unmix-site-out")
        return false;
    if (!options.given.insert(name).second)
        throw BatchError(name + " is given more than once");
    const std::string text = value();
    if (name == "--unmix" || name == "--unmix-site") {
        (name == "--unmix" ? options.components : options.siteComponents) = text == "auto"
            ? 0
            : parseCount(
                name, text, 1, MaxUnmixComponents, "auto or a number of components from 1 to 4");
    } else if (name == "--unmix-site-out") {
        options.siteOutPath = text;
    } else if (name == "--unmix-shapes") {
        if (text == "gauss")
            options.shapes = UnmixShapes::Gauss;
        else if (text == "rectangular")
            options.shapes = UnmixShapes::Rectangular;
        else if (text == "any")
            options.shapes = UnmixShapes::Any;
        else
            throw BatchError(name + ": '" + text + "' is not gauss, rectangular or any");
    } else if (name == "--bootstrap") {
        options.bootstrap = parseCount(name, text, 0, MaxBootstrap,
            "a number of refits from 0 to " + std::to_string(MaxBootstrap));
    } else if (name == "--unmix-out") {
        options.outPath = text;
    } else {
        options.twinPath = text;
    }
    return true;
}

void checkUnmixOptions(const UnmixBatchOptions &options)
{
    if (options.given.contains("--unmix") && options.siteRequested())
        throw BatchError("--unmix and --unmix-site: give one; with --unmix-site, --unmix-out "
                         "writes each specimen's part of its site's fit");
    if (options.siteRequested() && !options.siteOutPath)
        throw BatchError("--unmix-site needs an output: --unmix-site-out FILE.csv");
    if (options.siteOutPath && !options.siteRequested())
        throw BatchError("--unmix-site-out belongs to --unmix-site, which is not given");
    if (options.siteRequested() && options.twinPath)
        throw BatchError("--twin belongs to --unmix; a site's fit has no one specimen to copy");
    if (options.given.contains("--unmix") && !options.outPath)
        throw BatchError("--unmix needs an output: --unmix-out FILE.csv");
    if (!options.requested()) {
        for (const char *name : { "--unmix-shapes", "--bootstrap", "--unmix-out", "--twin" })
            if (options.given.contains(name))
                throw BatchError(std::string(name) + " belongs to --unmix, which is not given");
    }
    if (options.twinPath == "-")
        throw BatchError("--twin: the scenario cannot go to standard output; give a file name");
}

std::string unmixUsage()
{
    return "  --unmix auto|K   fits K components (1 to 4; auto: chosen by BIC) to every\n"
           "                   measured specimen (--steps, --noise, --scale)\n"
           "  --unmix-shapes S gauss, rectangular or any (default) spectrum shapes\n"
           "  --bootstrap N    refits giving the intervals (default 200; 0: none)\n"
           "  --unmix-out FILE writes the fitted components as CSV\n"
           "  --twin FILE      writes the first specimen's fitted components as a scenario\n"
           "  --unmix-site auto|K fits K components (auto: chosen by the site's BIC) to each\n"
           "                   site's specimens together: directions shared by the site,\n"
           "                   spectra each specimen's own (a simulated run is one site)\n"
           "  --unmix-site-out FILE writes one row per site and component as CSV; with\n"
           "                   --unmix-site, --unmix-out writes each specimen's components\n";
}

} // namespace Demagora
