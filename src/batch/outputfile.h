#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace Demagora {

// Writes a text output of demagora-batch to path, or to standardOutput when path is "-".
// A regular file is written beside its final name and then moved over it, so a failed write
// leaves any earlier file whole. what names the output in messages ("the series").
// Throws BatchError when the output cannot be written.
void writeTextOutput(const std::string &path, std::ostream &standardOutput, const std::string &what,
    const std::function<void(std::ostream &)> &write);

} // namespace Demagora
