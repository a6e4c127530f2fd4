#pragma once

#include "diagrams/diagramoptions.h"
#include "model/vector3.h"

#include <ostream>
#include <string>
#include <vector>

namespace Demagora {

// One measured step as the picture module receives it: its level and its moment in the frame
// chosen (north, east, down; x, y, z in specimen coordinates), in the specimen's unit.
struct SpecimenPictureStep
{
    double level = 0;
    Vector3 moment;
};

// What the picture of one measured specimen needs, as plain data that crosses the module's
// edge: the four panels of the specimens window, width pixels wide and width + 24 high.
struct SpecimenPictureRequest
{
    std::string path; // decides the format: SVG or PDF for .svg or .pdf, PNG otherwise
    int width = 700;
    std::string title;
    std::string levelUnit; // "°C" or "mT", as UTF-8
    bool specimenAxes = false; // the steps in specimen coordinates: axes x, y, z
    std::string momentUnit; // "A m2" or "A/m", named by the scales
    VerticalProjection projection = VerticalProjection::North;
    std::vector<SpecimenPictureStep> steps;
};

// Writes the picture onto stream through the picture module. Throws BatchError when the module
// cannot be loaded or the picture cannot be drawn.
void writeSpecimenPicture(std::ostream &stream, const SpecimenPictureRequest &picture);

} // namespace Demagora

// The module's entry point for a measured specimen: true when the picture was written onto
// stream, otherwise error holds the message for the user.
extern "C" bool demagoraWriteSpecimenPicture(
    const Demagora::SpecimenPictureRequest *picture, std::ostream *stream, std::string *error);

namespace Demagora {

inline constexpr const char *SpecimenPictureEntryPoint = "demagoraWriteSpecimenPicture";
using SpecimenPictureEntry
    = bool (*)(const SpecimenPictureRequest *, std::ostream *, std::string *);

} // namespace Demagora
