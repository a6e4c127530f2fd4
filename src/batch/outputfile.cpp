#include "batch/outputfile.h"

#include "batch/batcherror.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace Demagora {

namespace {

// Messages name shownPath, the file the user asked for, not the file being written.
void writeFile(const std::filesystem::path &path, const std::string &shownPath,
    const std::string &what, const std::function<void(std::ostream &)> &write)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw BatchError("cannot write " + what + " to " + shownPath + ": " + std::strerror(errno));
    write(file);
    file.close();
    if (!file)
        throw BatchError("cannot write " + what + " to " + shownPath + ": " + std::strerror(errno));
}

} // namespace

void writeTextOutput(const std::string &path, std::ostream &standardOutput, const std::string &what,
    const std::function<void(std::ostream &)> &write)
{
    if (path == "-") {
        write(standardOutput);
        standardOutput.flush();
        if (!standardOutput)
            throw BatchError("cannot write " + what + " to standard output");
        return;
    }
    if (path.empty())
        throw BatchError("the file name for " + what + " is empty");

    namespace fs = std::filesystem;
    std::error_code error;
    fs::path target(path);
    // A link is kept a link: the file it points to is the one replaced.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error)
            target = resolved;
    }
    const fs::file_status status = fs::status(target, error);
    if (fs::is_directory(status))
        throw BatchError("cannot write " + what + " to " + path + ": it is a folder");
    // Devices and pipes (/dev/stdout, a fifo) are written directly; they cannot be replaced.
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        writeFile(target, path, what, write);
        return;
    }

    fs::path temporary = target;
    temporary += ".partial";
    try {
        writeFile(temporary, path, what, write);
    } catch (...) {
        fs::remove(temporary, error);
        throw;
    }
    fs::rename(temporary, target, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove(temporary, error);
        throw BatchError("cannot write " + what + " to " + path + ": " + reason);
    }
}

} // namespace Demagora
