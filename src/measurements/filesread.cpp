#include "measurements/filesread.h"

#include "measurements/measurementerror.h"
#include "measurements/readertext.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Demagora {

namespace {

// A descriptor closed with its owner.
class OpenFile
{
public:
    explicit OpenFile(const std::string &path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY))
    { }
    ~OpenFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;

    int fd() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void refuseFile(const std::string &path, const std::string &why)
{
    throw MeasurementError(shownPath(path) + ": " + why);
}

std::string errorText(int error)
{
    return lowerCase(std::strerror(error)) + ".";
}

// The status of a regular file opened for reading. The name is looked at before it is opened,
// as opening a pipe or a device may itself wait or act; the opened file is then checked to be
// the one looked at. Opened without blocking all the same, in case the name changed between.
struct stat openRegular(const OpenFile &file, const std::string &path, const struct stat &named)
{
    if (file.fd() < 0)
        refuseFile(path, "the file cannot be opened: " + errorText(errno));
    struct stat opened;
    if (::fstat(file.fd(), &opened) != 0)
        refuseFile(path, "the file cannot be read: " + errorText(errno));
    if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        refuseFile(path, "the file was replaced while it was opened; read it again.");
    return opened;
}

struct stat namedRegular(const std::string &path)
{
    struct stat named;
    if (::stat(path.c_str(), &named) != 0) {
        if (errno == ENOENT)
            refuseFile(path, "no such file or folder.");
        refuseFile(path, "the file cannot be opened: " + errorText(errno));
    }
    if (S_ISDIR(named.st_mode))
        refuseFile(path, "a folder, where a file was expected.");
    if (!S_ISREG(named.st_mode))
        refuseFile(path,
            "not a regular file (a pipe, device or socket is never read as a measurement "
            "file).");
    return named;
}

// Reads up to size bytes; returns how many were read before the end of the file.
std::size_t readUpTo(int fd, char *buffer, std::size_t size, const std::string &path)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(fd, buffer + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            refuseFile(path, "the file cannot be read: " + errorText(errno));
        if (count == 0)
            break;
        done += std::size_t(count);
    }
    return done;
}

bool sameTime(const struct stat &a, const struct stat &b)
{
    return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

namespace {

const char *const ChangedWhileRead
    = "the file changed while it was read; read it again once it is written.";

// The checks both ways of reading make before the first byte: a regular file, the same one as
// named, within the size, and within the budget after the files and bytes read before it.
// The file is named before it is opened, so that no pipe or device is ever opened.
std::pair<std::shared_ptr<const OpenFile>, struct stat> admitted(const std::string &path,
    std::size_t budget, std::size_t bytesBefore, std::size_t filesBefore)
{
    const struct stat named = namedRegular(path);
    auto file = std::make_shared<const OpenFile>(path);
    const struct stat before = openRegular(*file, path, named);
    const std::size_t size = std::size_t(before.st_size);
    if (before.st_size < 0 || std::uint64_t(before.st_size) > MaxMeasurementFileBytes)
        refuseFile(path, "the file is larger than 256 MiB, too large for a measurement file.");
    if (bytesBefore > budget || size > budget - bytesBefore) {
        const std::string most = budget % (1 << 20) == 0 ? std::to_string(budget >> 20) + " MiB"
                                                         : std::to_string(budget) + " bytes";
        refuseFile(path,
            "with the " + std::to_string(filesBefore) + " files read before it ("
                + std::to_string(bytesBefore) + " bytes), more than the " + most
                + " one reading takes.");
    }
    return { std::move(file), before };
}

} // namespace

std::string FilesRead::read(const std::string &path)
{
    const auto [opened, before] = admitted(path, m_budget, m_bytes, m_paths.size());
    const OpenFile &file = *opened;
    const std::size_t size = std::size_t(before.st_size);
    std::string text(size, '\0');
    // One byte past the size tells a file that grew while it was read.
    char extra = 0;
    const bool complete = readUpTo(file.fd(), text.data(), size, path) == size
        && readUpTo(file.fd(), &extra, 1, path) == 0;
    struct stat after;
    if (!complete || ::fstat(file.fd(), &after) != 0 || after.st_size != before.st_size
        || !sameTime(after, before))
        refuseFile(path, ChangedWhileRead);
    m_paths.push_back(path);
    m_bytes += size;
    return text;
}

FilesRead::Pieces FilesRead::openInPieces(const std::string &path)
{
    const auto [file, before] = admitted(path, m_budget, m_bytes, m_paths.size());
    m_paths.push_back(path);
    m_bytes += std::size_t(before.st_size);
    Pieces pieces;
    pieces.size = std::uint64_t(before.st_size);
    pieces.read = [file, path, before](std::uint64_t offset, char *into, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t count = ::pread(file->fd(), into + done, size - done, off_t(offset + done));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                refuseFile(path, "the file cannot be read: " + errorText(errno));
            if (count == 0)
                refuseFile(path, ChangedWhileRead);
            done += std::size_t(count);
        }
        struct stat now;
        if (::fstat(file->fd(), &now) != 0 || now.st_size != before.st_size
            || !sameTime(now, before))
            refuseFile(path, ChangedWhileRead);
    };
    return pieces;
}

std::string readMeasurementFile(const std::string &path)
{
    return FilesRead().read(path);
}

std::string measurementFileStart(const std::string &path, std::size_t bytes)
{
    const struct stat named = namedRegular(path);
    const OpenFile file(path);
    openRegular(file, path, named);
    std::string start(bytes, '\0');
    start.resize(readUpTo(file.fd(), start.data(), bytes, path));
    return start;
}

} // namespace Demagora
