#pragma once

#include "measurements/specimen.h"
#include "model/vector3.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace Demagora {

// The frame a measured moment is shown in: the specimen's own axes, north-east-down after the
// sample's orientation, or that frame with the bedding restored to horizontal.
enum class CoordinateSystem { Specimen, Geographic, TiltCorrected };

// "specimen", "geographic", "tilt": the name of the command line and of the files written.
std::string_view coordinateSystemName(CoordinateSystem system);
// "specimen", "geographic", "tilt-corrected": the name captions and titles give it.
std::string_view coordinateSystemCaption(CoordinateSystem system);
// The system of a name coordinateSystemName gives; nothing for another word.
std::optional<CoordinateSystem> coordinateSystemFromName(std::string_view name);

// A moment in specimen axes turned into north, east, down by the orientation of the x axis
// (the y axis is horizontal, z = x cross y).
Vector3 specimenToGeographic(const Vector3 &moment, const SpecimenOrientation &orientation);
// A geographic moment rotated about the bedding's strike until the bedding lies flat.
Vector3 geographicToTiltCorrected(const Vector3 &moment, const Bedding &bedding);

// Whether the specimen carries what the system needs (an orientation, and a bedding for tilt).
bool hasCoordinates(const Specimen &specimen, CoordinateSystem system);
// The step's moment in the system. Throws MeasurementError naming the specimen when it lacks the
// orientation or bedding the system needs.
Vector3 stepMoment(const Specimen &specimen, const SpecimenStep &step, CoordinateSystem system);

} // namespace Demagora
