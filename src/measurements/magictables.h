#pragma once

#include "measurements/measuredseries.h"

#include <ostream>
#include <string>

namespace Demagora {

// The tables of a MagIC 3.0 contribution, one file each in the export folder.
enum class MagicTable { Locations, Sites, Samples, Specimens, Measurements };

inline constexpr MagicTable MagicTables[] = { MagicTable::Locations, MagicTable::Sites,
    MagicTable::Samples, MagicTable::Specimens, MagicTable::Measurements };

// "measurements", "specimens" ...; the file in the folder is that name with ".txt".
std::string magicTableName(MagicTable table);
// The combined file written beside the tables: "<location>_upload.txt", a name that is no
// table's, so that programs reading the folder table by table pass over it.
std::string magicUploadFileName(const std::string &location);

// One table: the line "tab<TAB>name", a tab-separated header and the rows. Every specimen is
// its own sample; all samples belong to one site and one location named by the prefix. Every
// column the data model requires is there; what a simulation does not know is "Not Specified".
void writeMagicTable(std::ostream &stream, const SpecimenSource &measured, MagicTable table);

// All tables in one file: a contribution table first, then locations, sites, samples,
// specimens and measurements, separated by lines of ">>>>>>>>>>".
void writeMagicContribution(std::ostream &stream, const SpecimenSource &measured);

} // namespace Demagora
