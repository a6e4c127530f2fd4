#include "batch/pngoutput.h"

#include "batch/batcherror.h"
#include "batch/picturemodule.h"
#include "batch/specimenpicturerequest.h"
#include "diagrams/picturelimits.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
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

// A symbol of the picture module, loaded once; the module stays loaded until the program ends.
void *pictureModuleSymbol(const char *name)
{
    static void *module = nullptr;
    std::string reason;
    if (!module) {
        for (const std::string &path : pictureModulePaths()) {
            module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module)
                break;
            reason = ::dlerror();
        }
    }
    if (module) {
        if (void *symbol = ::dlsym(module, name))
            return symbol;
        reason = ::dlerror();
    }
    throw BatchError("--png: the picture module cannot be loaded: " + reason);
}

PictureEntry pictureEntry()
{
    return reinterpret_cast<PictureEntry>(pictureModuleSymbol(PictureEntryPoint));
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

std::int64_t parsePictureSingle(const std::string &text)
{
    std::int64_t value = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || value < 0
        || value > std::numeric_limits<std::int32_t>::max())
        throw BatchError(
            "--single: '" + text + "' is not the index of a resulting vector (0, 1, ...)");
    return value;
}

namespace {

template <typename Enum>
void readChoice(const std::string &name, const std::string &text, Enum &target)
{
    if (const std::optional<Enum> value = optionNamed<Enum>(text)) {
        target = *value;
        return;
    }
    std::string names;
    for (const auto &[v, n] : OptionNames<Enum>::names)
        names += (names.empty() ? "" : " or ") + std::string(n);
    throw BatchError(name + ": '" + text + "' is not one of " + names);
}

} // namespace

bool readPictureOption(const std::string &name, const std::function<std::string()> &value,
    bool hasValue, PictureRequest &request)
{
    DiagramOptions &options = request.options;
    const auto setSwitch = [&](bool &target) {
        if (hasValue)
            throw BatchError(name + " takes no value");
        target = true;
    };
    if (name == "--net")
        readChoice(name, value(), options.net);
    else if (name == "--labels-in")
        readChoice(name, value(), options.labelsIn);
    else if (name == "--projection")
        readChoice(name, value(), options.projection);
    else if (name == "--panel")
        readChoice(name, value(), options.panel);
    else if (name == "--single")
        request.singleVector = parsePictureSingle(value());
    else if (name == "--legend")
        setSwitch(request.legend);
    else if (name == "--fill-hemispheres")
        setSwitch(options.hemisphereByFill);
    else if (name == "--clear-labels")
        setSwitch(options.clearLabels);
    else if (name == "--edge-room")
        setSwitch(options.edgeRoom);
    else if (name == "--axis-titles")
        setSwitch(options.axisTitles);
    else
        return false;
    return true;
}

void checkPictureVector(std::optional<std::int64_t> singleVector, std::uint64_t resultingVectors)
{
    if (singleVector && std::uint64_t(*singleVector) >= resultingVectors) {
        throw BatchError("--single: " + std::to_string(*singleVector)
            + " is beyond the run's resulting vectors (0 to "
            + std::to_string(resultingVectors == 0 ? 0 : resultingVectors - 1) + ")");
    }
}

int maxPictureWidth(std::uint64_t drawnPoints)
{
    if (drawnPoints == 0)
        return MaxPictureWidth;
    // The largest width whose square times the points stays within the limit: its square is
    // at most the limit divided by the points, rounded down.
    const std::uint64_t squared = MaxPictureWidthSquaredTimesPoints / drawnPoints;
    std::uint64_t width = std::min<std::uint64_t>(
        MaxPictureWidth, static_cast<std::uint64_t>(std::sqrt(static_cast<double>(squared))));
    while (width * width > squared)
        --width;
    while (width < std::uint64_t(MaxPictureWidth) && (width + 1) * (width + 1) <= squared)
        ++width;
    return static_cast<int>(width);
}

void checkPictureWidth(
    const PictureRequest &request, std::uint64_t resultPoints, std::uint64_t members)
{
    const bool single = request.singleVector.has_value() && members > 0;
    const std::uint64_t drawn = single ? resultPoints / members : resultPoints;
    const int widest = maxPictureWidth(drawn);
    if (request.width <= widest)
        return;
    throw BatchError("--width: " + std::to_string(request.width)
        + " pixels is too wide for a picture of " + std::to_string(drawn)
        + " result points, whose drawing would need more memory than a run may take; at most "
        + std::to_string(widest) + " pixels"
        + (single ? std::string() : " (or --single N to draw one resulting vector)"));
}

void checkPictureSize(const std::string &path, std::uint64_t resultPoints)
{
    const auto endsWith = [&](std::string_view suffix) {
        return path.size() >= suffix.size()
            && std::equal(path.end() - std::ptrdiff_t(suffix.size()), path.end(), suffix.begin(),
                [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    const bool svg = endsWith(".svg");
    if ((svg || endsWith(".pdf")) && resultPoints > MaxSvgResultPoints) {
        throw BatchError(std::string("--png: ") + (svg ? "an SVG drawing" : "a PDF document")
            + " of " + std::to_string(resultPoints) + " result points would be too large (at most "
            + std::to_string(MaxSvgResultPoints)
            + "); write a PNG image instead (a name not ending in " + (svg ? ".svg" : ".pdf")
            + ")");
    }
}

void writePicture(std::ostream &stream, const PictureRequest &request, const BatchRun &run)
{
    const PictureEntry entry = pictureEntry();
    std::string error;
    if (!entry(&request, &run, &stream, &error))
        throw BatchError(error);
}

void writeSpecimenPicture(std::ostream &stream, const SpecimenPictureRequest &picture)
{
    const auto entry
        = reinterpret_cast<SpecimenPictureEntry>(pictureModuleSymbol(SpecimenPictureEntryPoint));
    std::string error;
    if (!entry(&picture, &stream, &error))
        throw BatchError("--png: " + error);
}

} // namespace Demagora
