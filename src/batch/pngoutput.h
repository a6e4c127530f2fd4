#pragma once

#include "batch/batchrun.h"
#include "diagrams/diagramoptions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace Demagora {

// The diagram picture of a batch run, as the diagram window shows it in multiple mode.
struct PictureRequest
{
    PictureRequest() = default;
    PictureRequest(std::string path, int width, std::optional<std::int64_t> labelInterval)
        : path(std::move(path))
        , width(width)
        , labelInterval(labelInterval)
    { }

    std::string path;
    int width = 700; // pixels; the height is width + 24, the window's tool bar strip on top
    std::optional<std::int64_t> labelInterval; // temperature labels at this interval when set
    DiagramOptions options; // how the diagrams are drawn
    // The one resulting vector drawn, as the window's single mode shows it; all when empty.
    std::optional<std::int64_t> singleVector;
    bool legend = false; // the legend words, as the window's L button draws them
};

inline constexpr int MinPictureWidth = 370;
inline constexpr int MaxPictureWidth = 8000;

// The value of --width: a whole number of pixels from MinPictureWidth to MaxPictureWidth.
// Throws BatchError otherwise.
int parsePictureWidth(const std::string &text);
// The value of --labels: a whole number other than 0 (a negative one counts as its absolute
// value). Throws BatchError otherwise.
std::int64_t parsePictureLabels(const std::string &text);

// The value of --single: a whole number from 0, the index of a resulting vector. Throws
// BatchError otherwise; whether the run has that many vectors is checked when drawing.
std::int64_t parsePictureSingle(const std::string &text);

// Reads the picture options --net, --labels-in, --projection, --panel, --single, --legend,
// --fill-hemispheres, --clear-labels and --edge-room into the request's fields. Returns false
// for any other option name. value gives the option's value (throwing when there is none);
// hasValue says whether one was given with "=", which a switch refuses.
bool readPictureOption(const std::string &name, const std::function<std::string()> &value,
    bool hasValue, PictureRequest &request);

// Refuses, with a BatchError, a --single beyond the run's resulting vectors.
void checkPictureVector(std::optional<std::int64_t> singleVector, std::uint64_t resultingVectors);

// The widest picture of drawnPoints result points (at most MaxPictureWidth): the memory of the
// drawing grows with both.
int maxPictureWidth(std::uint64_t drawnPoints);

// Refuses, with a BatchError naming --width, a picture of the request wider than
// maxPictureWidth of the points it draws: every result point, or with --single the steps of
// one of the members.
void checkPictureWidth(
    const PictureRequest &request, std::uint64_t resultPoints, std::uint64_t members);

// Refuses, with a BatchError, a drawing (a path ending in .svg or .pdf) of more result points
// than such a drawing can hold.
void checkPictureSize(const std::string &path, std::uint64_t resultPoints);

// Writes the picture of the run onto stream: SVG or PDF when the request's path ends in .svg or
// .pdf (any letter case), PNG otherwise. Needs no display: without an application object it makes
// one on the offscreen platform for the time of the drawing. The drawing lives in the picture
// module, loaded on the first call, so that runs without a picture never load Qt. Throws
// BatchError when the module cannot be loaded or the picture cannot be drawn.
void writePicture(std::ostream &stream, const PictureRequest &request, const BatchRun &run);

} // namespace Demagora
