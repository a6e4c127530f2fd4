#pragma once

#include "measurements/measurementset.h"

#include <string>
#include <vector>

namespace Demagora {

// MagIC tables: a 3.0 folder (measurements.txt with the optional specimens, samples and sites
// tables beside it), one of its tables, a combined contribution file (tables between
// ">>>>>>>>>>" lines), and 2.5 magic_measurements with its er_ tables. Directions are in
// specimen coordinates; temperatures in kelvin and fields in tesla become degrees Celsius and
// mT. Throws MeasurementError naming the file and line on bad input.
MeasurementSet readMagic(const std::string &path, const ReadOptions &options);

class FilesRead;

// The samples and sites a laboratory's MagIC tables beside another format's files give its
// specimens: specimens.txt names each listed specimen's sample, samples.txt each listed sample's
// site. Only these names are taken (the measurements carry their own orientations). A table
// that cannot be read leaves the names as they are and adds a note saying why: the
// measurements are whole without it.
void takeNamesFromTablesBeside(const std::string &folder, std::vector<Specimen> &specimens,
    FilesRead &files, std::vector<std::string> &notes);

// Whether text starts as a MagIC table or contribution file ("tab" then a table name).
bool looksLikeMagic(const std::string &text);

// The measurements tables of a MagIC folder: measurements.txt and the older
// magic_measurements.txt, those of the two it holds.
std::vector<std::string> magicMeasurementFilesIn(const std::string &folder);

} // namespace Demagora
