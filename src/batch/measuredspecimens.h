#pragma once

#include "analysis/interpretationbatch.h"
#include "analysis/runanalysis.h"
#include "batch/specimenpicturerequest.h"
#include "batch/unmixoutput.h"
#include "measurements/measuredseries.h"
#include "measurements/specimen.h"
#include "measurements/specimencoordinates.h"

#include <memory>
#include <string>
#include <vector>

namespace Demagora {

// The measured specimens of demagora-batch --measured handed to the outputs that a run has as
// well (fits, interpretations, unmixing, the picture), all in the frame of --coordinates.

// A copy of the specimen with every step's moment in the system: x, y, z are then north, east
// and down for the geographic and tilt-corrected frames. Throws MeasurementError naming the
// specimen when it lacks the orientation or bedding the system needs.
Specimen specimenInFrame(const Specimen &specimen, CoordinateSystem system);

// Every kept step (the NRM at level 0) of each specimen, for the fits of --fit LO:HI.
MemberSteps measuredFitSteps(const std::vector<Specimen> &framed);

// The NRM and thermal steps of each specimen with their error angles, for --unmix.
std::vector<UnmixSpecimenSteps> measuredUnmixSteps(const std::vector<Specimen> &framed);

// The picture of one framed specimen; title names the specimen and the frame.
SpecimenPictureRequest specimenPictureRequest(
    const Specimen &framed, CoordinateSystem system, const std::string &path, int width);

// The framed specimens as the file writers read them, to convert a measurement file: the steps
// as magnetization (a moment divided by the volume the files are written with, the first
// specimen's or 10 cm3, so that the moments written are the measured ones), levels rounded to
// whole degrees, the first step taken as the NRM. The site (else the sample) of the first
// specimen names the location, its letters outside A-Z, a-z, 0-9, '-', '_', '.' made '_'.
// latitude and longitude are those of --latitude and --longitude.
std::unique_ptr<SpecimenSource> measuredSpecimenSource(
    std::vector<Specimen> framed, const MeasurementSettings &given);

} // namespace Demagora
