#include "batch/pngoutput.h"

#include "batch/batcherror.h"
#include "batch/picturemodule.h"
#include "diagrams/picturelimits.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <limits>
#include <string_view>
#include <vector>

namespace Demagora {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Where the picture module may lie: beside the running program, in the library folder of
// an install, then where the build put it.
std::vector<std::string> pictureModulePaths()
{
    std::vector<std::string> paths;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        paths.push_back((program.parent_path() / DEMAGORA_PICTURE_MODULE_NAME).string());
        // An installed tool finds it in its library folder, wherever the install was moved.
        paths.push_back((program.parent_path() / ".." / DEMAGORA_PICTURE_MODULE_INSTALL_DIR
            / DEMAGORA_PICTURE_MODULE_NAME)
                            .lexically_normal()
                            .string());
    }
    paths.push_back(DEMAGORA_PICTURE_MODULE_PATH);
    return paths;
}

// The module's entry point, loaded once; the module stays loaded until the program ends.
PictureEntry pictureEntry()
{
    static PictureEntry entry = nullptr;
    if (entry)
        return entry;
    std::string reason;
    for (const std::string &path : pictureModulePaths()) {
        void *module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            reason = ::dlerror();
            continue;
        }
        entry = reinterpret_cast<PictureEntry>(::dlsym(module, PictureEntryPoint));
        if (entry)
            return entry;
        reason = ::dlerror();
    }
    throw BatchError("--png: the picture module cannot be loaded: " + reason);
}

} // namespace

int parsePictureWidth(const std::string &text)
{
    int width = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, width);
    if (text.empty() || error != std::errc() || end != last || width < MinPictureWidth
        || width > MaxPictureWidth) {
        throw BatchError("--width: '" + text + "' is not a whole number of pixels from "
            + std::to_string(MinPictureWidth) + " to " + std::to_string(MaxPictureWidth));
    }
    return width;
}

std::int64_t parsePictureLabels(const std::string &text)
{
    // As the diagram window reads its field: blanks around a whole number with an optional
    // sign, within 32 bits, not 0; a negative interval counts as its absolute value.
    std::string_view number(text);
    while (!number.empty() && isBlank(number.front()))
        number.remove_prefix(1);
    while (!number.empty() && isBlank(number.back()))
        number.remove_suffix(1);
    if (!number.empty() && number.front() == '+' && number.size() > 1 && number[1] != '-')
        number.remove_prefix(1);
    std::int64_t value = 0;
    const char *last = number.data() + number.size();
    const auto [end, error] = std::from_chars(number.data(), last, value);
    const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    if (number.empty() || error != std::errc() || end != last || value == 0 || value > limit
        || value < -limit)
        throw BatchError("--labels: '" + text + "' is not a whole number other than 0");
    return value < 0 ? -value : value;
}

void checkPictureSize(const std::string &path, std::uint64_t resultPoints)
{
    const bool svg = path.size() >= 4
        && std::equal(path.end() - 4, path.end(), ".svg",
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    if (svg && resultPoints > MaxSvgResultPoints) {
        throw BatchError("--png: an SVG drawing of " + std::to_string(resultPoints)
            + " result points would be too large (at most " + std::to_string(MaxSvgResultPoints)
            + "); write a PNG image instead (a name not ending in .svg)");
    }
}

void writePicture(std::ostream &stream, const PictureRequest &request, const BatchRun &run)
{
    const PictureEntry entry = pictureEntry();
    std::string error;
    if (!entry(&request, &run, &stream, &error))
        throw BatchError(error);
}

} // namespace Demagora
