#pragma once

#include "batch/batchrun.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace Demagora {

// The diagram picture of a batch run, as the diagram window shows it in multiple mode.
struct PictureRequest
{
    std::string path;
    int width = 700; // pixels; the height is width + 24, the window's tool bar strip on top
    std::optional<std::int64_t> labelInterval; // temperature labels at this interval when set
};

inline constexpr int MinPictureWidth = 370;
inline constexpr int MaxPictureWidth = 8000;

// The value of --width: a whole number of pixels from MinPictureWidth to MaxPictureWidth.
// Throws BatchError otherwise.
int parsePictureWidth(const std::string &text);
// The value of --labels: a whole number other than 0 (a negative one counts as its absolute
// value). Throws BatchError otherwise.
std::int64_t parsePictureLabels(const std::string &text);

// Refuses, with a BatchError, an SVG drawing (a path ending in .svg) of more result points
// than such a drawing can hold.
void checkPictureSize(const std::string &path, std::uint64_t resultPoints);

// Writes the picture of the run onto stream: SVG when the request's path ends in .svg (any
// letter case), PNG otherwise. Needs no display: without an application object it makes one
// on the offscreen platform for the time of the drawing. The drawing lives in the picture
// module, loaded on the first call, so that runs without a picture never load Qt. Throws
// BatchError when the module cannot be loaded or the picture cannot be drawn.
void writePicture(std::ostream &stream, const PictureRequest &request, const BatchRun &run);

} // namespace Demagora
