#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Demagora {

// What a step did to the specimen before it was measured.
enum class Treatment { Nrm, Thermal, AlternatingField, Other };

// The unit of a measured moment: a moment (A m2) or a magnetization (A/m).
enum class MomentUnit { AmpereSquareMetre, AmperePerMetre };

// "A m2" or "A/m", as tables and pictures name the unit.
constexpr const char *momentUnitName(MomentUnit unit)
{
    return unit == MomentUnit::AmpereSquareMetre ? "A m2" : "A/m";
}

// One measurement of a real (or simulated) specimen, in the order it was made.
struct SpecimenStep
{
    Treatment treatment = Treatment::Nrm;
    // Degrees Celsius for a thermal step, mT for an AF step, 0 for the NRM.
    double level = 0;
    // The moment in specimen coordinates (x along the specimen's arrow, z down into it), in the
    // specimen's unit.
    double x = 0;
    double y = 0;
    double z = 0;
    // The measurement's own error where the file gives one: an angle in degrees (the CIT
    // error angle, the MagIC alpha95 of repeated readings).
    std::optional<double> errorDegrees;
    // The rows of the file at this step that the step stands for: more than one where repeats
    // were averaged, or the last of them kept.
    std::uint32_t readings = 1;
    // Flagged bad in the file (or marked bad by the user): shown, but left out of fits.
    bool bad = false;
};

// The orientation of the specimen's x axis in the field: its azimuth from north, degrees
// clockwise, and its dip, degrees below the horizontal (positive downward).
struct SpecimenOrientation
{
    double azimuth = 0;
    double dip = 0;
};

// The bedding at the sample: the direction it dips towards and its dip, degrees.
struct Bedding
{
    double dipDirection = 0;
    double dip = 0;
};

// One specimen as a measurement file describes it. Readers fill what the file has and leave
// the rest empty.
struct Specimen
{
    std::string name;
    std::string sample;
    std::string site;
    MomentUnit unit = MomentUnit::AmpereSquareMetre;
    std::vector<SpecimenStep> steps;
    std::optional<SpecimenOrientation> orientation;
    std::optional<Bedding> bedding;
    std::optional<double> volumeCubicMetres;
};

} // namespace Demagora
