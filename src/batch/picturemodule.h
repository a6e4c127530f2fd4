#pragma once

#include "batch/batchrun.h"
#include "batch/pngoutput.h"

#include <ostream>
#include <string>

// The entry point of the picture module, a shared library that demagora-batch loads only for
// --png, so that a run without a picture never loads Qt. Returns true when the picture was
// written onto stream; otherwise error holds the message for the user.
extern "C" bool demagoraWritePicture(const Demagora::PictureRequest *request,
    const Demagora::BatchRun *run, std::ostream *stream, std::string *error);

namespace Demagora {

// The name of the module's entry point, for looking it up.
inline constexpr const char *PictureEntryPoint = "demagoraWritePicture";
using PictureEntry
    = bool (*)(const PictureRequest *, const BatchRun *, std::ostream *, std::string *);

} // namespace Demagora
