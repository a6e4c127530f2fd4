#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Demagora {

// The most the readers take in one reading: past it a file, or the files of a .sam file or a
// folder together, are refused before the file that would pass it is read.
inline constexpr std::size_t MaxMeasurementFileBytes = std::size_t(256) << 20;

// The files one reading opens, and the bytes they hold together: a reading of many files (the
// specimen files of a .sam file, a MagIC table's siblings, a folder of 2G files) is bounded as
// a single file is, and whoever writes afterwards learns every file it must not replace.
class FilesRead
{
public:
    // budget: the bytes all files together may hold.
    explicit FilesRead(std::size_t budget = MaxMeasurementFileBytes)
        : m_budget(budget)
    { }

    // The whole of the file at path. Only a regular file is read (a pipe, device or socket is
    // refused before it is opened, so nothing waits on it). Throws MeasurementError naming the
    // file when it cannot be read, would take the bytes read past the budget, or changes (size
    // or modification time) while it is read.
    std::string read(const std::string &path);

    // The file at path, after the checks of read(), to be read in pieces as they are needed:
    // its size, and a reader of size bytes at an offset that refuses the file (naming it) when
    // it has changed since it was opened or ends early. The file stays open while the reader
    // is kept.
    struct Pieces
    {
        std::uint64_t size = 0;
        std::function<void(std::uint64_t offset, char *into, std::size_t size)> read;
    };
    Pieces openInPieces(const std::string &path);

    // Every file read, as named when read.
    const std::vector<std::string> &paths() const { return m_paths; }

private:
    std::size_t m_budget;
    std::vector<std::string> m_paths;
    std::size_t m_bytes = 0;
};

// One file on its own, as FilesRead reads it.
std::string readMeasurementFile(const std::string &path);
// At most the first bytes of a file, to tell its format; refused as FilesRead refuses.
std::string measurementFileStart(const std::string &path, std::size_t bytes);

} // namespace Demagora
