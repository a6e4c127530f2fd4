#include "results/spreadsheet/filereplace.h"

#include "results/spreadsheet/tsheetwriter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Demagora {

namespace {

std::string fullPath(const std::string &fileName)
{
    if (fileName.empty())
        return fileName;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(fileName, error);
    return error ? fileName : path.lexically_normal().string();
}

[[noreturn]] void throwCannotCreate(const std::string &fileName, int errorNumber)
{
    throw SheetWriteError(
        "Cannot create file \"" + fullPath(fileName) + "\". " + std::strerror(errorNumber));
}

[[noreturn]] void throwStreamWriteError()
{
    throw SheetWriteError("Stream write error");
}

// The file that actually receives the bytes: the end of a chain of symbolic links, so that
// replacing it keeps the link instead of turning it into a plain file.
std::string resolvedTarget(const std::string &fileName)
{
    struct stat linkStatus;
    if (::lstat(fileName.c_str(), &linkStatus) != 0 || !S_ISLNK(linkStatus.st_mode))
        return fileName;
    char resolved[PATH_MAX];
    if (::realpath(fileName.c_str(), resolved) == nullptr)
        return fileName;
    return resolved;
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1);
}

struct TemporaryFile
{
    std::string path;
    int fd = -1;
};

// A new file next to the target, created with the permissions a plain creation would give.
// Its name does not grow with the target's, so a target name at the length limit still works.
TemporaryFile createTemporaryNextTo(const std::string &target)
{
    const std::string folder = folderOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        TemporaryFile file;
        file.path = folder + ".demagora-save-" + std::to_string(::getpid()) + "-"
            + std::to_string(attempt) + ".tmp";
        file.fd = ::open(file.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd >= 0 || errno != EEXIST)
            return file;
    }
    errno = EEXIST;
    return {};
}

} // namespace

bool writeAllBytes(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void replaceFileContents(
    const std::string &fileName, std::span<const std::uint8_t> bytes, ByteSink sink)
{
    if (fileName.empty() || fileName.back() == '/')
        throwCannotCreate(fileName, fileName.empty() ? ENOENT : EISDIR);

    const std::string target = resolvedTarget(fileName);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        // Replacing by rename would get past these; creating the file in place would not.
        if (S_ISDIR(existing.st_mode))
            throwCannotCreate(fileName, EISDIR);
        if (::access(target.c_str(), W_OK) != 0)
            throwCannotCreate(fileName, errno);
    }

    TemporaryFile temporary = createTemporaryNextTo(target);
    if (temporary.fd < 0)
        throwCannotCreate(fileName, errno);

    bool written = true;
    if (exists)
        ::fchmod(temporary.fd, existing.st_mode & 07777);
    if (!sink(temporary.fd, bytes.data(), bytes.size()))
        written = false;
    // A full disk may show itself only when the data reach it.
    if (written && ::fsync(temporary.fd) != 0)
        written = false;
    if (::close(temporary.fd) != 0)
        written = false;
    if (!written) {
        ::unlink(temporary.path.c_str());
        throwStreamWriteError();
    }
    if (::rename(temporary.path.c_str(), target.c_str()) != 0) {
        const int reason = errno;
        ::unlink(temporary.path.c_str());
        throwCannotCreate(fileName, reason);
    }
}

} // namespace Demagora
