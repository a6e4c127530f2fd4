#include "files/outputfiles.h"

#include "files/descriptorstream.h"
#include "files/temporaryfiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Demagora {

struct OutputFiles::Output
{
    std::string path;
    std::string what;
    // The file that receives the bytes: the path with its symbolic links followed.
    std::string target;
    bool standardOutput = false;
    bool exists = false;
    struct stat status = {};
    // Two outputs with the same identity would write the same file.
    std::string identity;
    DescriptorWriter writeDescriptor;
    WriteFunction writeStream;

    // Set while committing.
    std::string temporary;
    int temporarySlot = -1;
    std::string backup;
    bool replaced = false;
};

namespace {

constexpr int MaxLinkHops = 40;
constexpr const char *NotRegular
    = "not a regular file (devices, pipes and sockets are never written)";

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void refuse(const std::string &path, const std::string &what,
    const std::string &reason, bool writeFailed = false)
{
    throw OutputError(
        "cannot write " + what + " to " + path + ": " + reason, path, reason, writeFailed);
}

[[noreturn]] void refuseWithErrno(const std::string &path, const std::string &what, int error)
{
    refuse(path, what, std::strerror(error));
}

// Follows the chain of symbolic links from path to the name that receives the bytes. A
// dangling link leads to the name it points to, which is then created.
std::string followLinks(const std::string &path, const std::string &what)
{
    std::string current = path;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat status;
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0)
            refuseWithErrno(path, what, errno);
        link.resize(static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : folderOf(current) + "/" + link;
    }
    refuseWithErrno(path, what, ELOOP);
}

std::string identityOf(const struct stat &status)
{
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

// The permission bits a plain creation of a file would give it.
mode_t creationMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string uniqueSuffix()
{
    static std::mt19937_64 generator(std::random_device {}() ^ static_cast<unsigned>(::getpid()));
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    std::uint64_t value = generator();
    for (int i = 0; i < 10; ++i, value /= 36)
        suffix += letters[value % 36];
    return suffix;
}

bool writeThroughStream(int fd, const WriteFunction &write)
{
    DescriptorStreamBuffer buffer(fd);
    std::ostream stream(&buffer);
    write(stream);
    stream.flush();
    if (stream)
        return true;
    errno = buffer.lastError() != 0 ? buffer.lastError() : EIO;
    return false;
}

} // namespace

OutputError::OutputError(
    const std::string &what, const std::string &path, const std::string &reason, bool writeFailed)
    : std::runtime_error(what)
    , m_path(path)
    , m_reason(reason)
    , m_writeFailed(writeFailed)
{ }

OutputFiles::OutputFiles(std::vector<std::string> protectedInputs, std::ostream *standardOutput)
    : m_protectedInputs(std::move(protectedInputs))
    , m_standardOutput(standardOutput)
{ }

OutputFiles::~OutputFiles() = default;

bool OutputFiles::empty() const
{
    return m_outputs.empty();
}

void OutputFiles::add(const std::string &path, const std::string &what, WriteFunction write)
{
    Output output;
    output.path = path;
    output.what = what;
    output.writeStream = std::move(write);
    addChecked(std::move(output));
}

void OutputFiles::addDescriptorWriter(
    const std::string &path, const std::string &what, DescriptorWriter write)
{
    Output output;
    output.path = path;
    output.what = what;
    output.writeDescriptor = std::move(write);
    addChecked(std::move(output));
}

void OutputFiles::addChecked(Output output)
{
    const std::string &path = output.path;
    const std::string &what = output.what;
    if (path.empty())
        throw OutputError("the file name for " + what + " is empty", path, "empty file name");

    if (path == "-") {
        if (m_standardOutput == nullptr)
            refuse(path, what, "standard output is not possible here");
        output.standardOutput = true;
        output.identity = "-";
    } else {
        if (path.back() == '/')
            refuseWithErrno(path, what, EISDIR);
        // The system's own view first: a descriptor link such as /dev/stdout names a pipe or
        // terminal that no followed path would reach.
        struct stat followed;
        if (::stat(path.c_str(), &followed) == 0 && !S_ISREG(followed.st_mode)
            && !S_ISDIR(followed.st_mode))
            refuse(path, what, NotRegular);
        output.target = followLinks(path, what);
        if (::lstat(output.target.c_str(), &output.status) == 0) {
            output.exists = true;
            if (S_ISDIR(output.status.st_mode))
                refuseWithErrno(path, what, EISDIR);
            if (!S_ISREG(output.status.st_mode))
                refuse(path, what, NotRegular);
            // Root could write it anyway; a read-only file is the owner's "keep this".
            if ((output.status.st_mode & 0222) == 0 || ::access(output.target.c_str(), W_OK) != 0)
                refuseWithErrno(path, what, EACCES);
        } else if (errno != ENOENT) {
            refuseWithErrno(path, what, errno);
        }

        const std::string folder = folderOf(output.target);
        struct stat folderStatus;
        if (::stat(folder.c_str(), &folderStatus) != 0)
            refuseWithErrno(path, what, errno);
        if (!S_ISDIR(folderStatus.st_mode))
            refuseWithErrno(path, what, ENOTDIR);
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            refuseWithErrno(path, what, errno);

        if (output.exists) {
            output.identity = identityOf(output.status);
        } else {
            output.identity = identityOf(folderStatus) + "/" + baseNameOf(output.target);
        }
        for (const std::string &input : m_protectedInputs) {
            struct stat inputStatus;
            if (::stat(input.c_str(), &inputStatus) == 0 && output.exists
                && identityOf(inputStatus) == output.identity) {
                refuse(path, what, "that is the input file " + input + ", which is never replaced");
            }
        }
    }
    for (const auto &other : m_outputs) {
        if (other->identity == output.identity) {
            refuse(path, what,
                "the same file as " + other->what + " (" + other->path
                    + "); give each output its own file");
        }
    }
    m_outputs.push_back(std::make_unique<Output>(std::move(output)));
}

void OutputFiles::commit()
{
    try {
        writeTemporaries();
        writeStandardOutput();
    } catch (...) {
        discardTemporaries();
        throw;
    }
    const SignalBlocker blocker;
    keepBackups();
    renameOrRollBack();
}

// Each file output goes to an exclusively created temporary file beside its target, with the
// target's permissions (and owner, where allowed), synced to the disk.
void OutputFiles::writeTemporaries()
{
    const mode_t newFileMode = creationMode();
    for (auto &output : m_outputs) {
        if (output->standardOutput)
            continue;
        std::string pattern = folderOf(output->target) + "/.demagora-" + uniqueSuffix() + "-XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            refuseWithErrno(output->path, output->what, errno);
        output->temporary = pattern;
        output->temporarySlot = registerTemporaryFile(pattern);
        ::fchmod(fd, output->exists ? (output->status.st_mode & 07777) : newFileMode);
        if (output->exists && ::fchown(fd, output->status.st_uid, output->status.st_gid) != 0) {
            // Without the right to give the file away, keep at least its group.
            [[maybe_unused]] const int ignored = ::fchown(fd, -1, output->status.st_gid);
        }
        bool written = output->writeDescriptor ? output->writeDescriptor(fd)
                                               : writeThroughStream(fd, output->writeStream);
        int error = written ? 0 : errno;
        // A full disk may show itself only when the data reach it.
        if (written && ::fsync(fd) != 0) {
            written = false;
            error = errno;
        }
        if (::close(fd) != 0 && written) {
            written = false;
            error = errno;
        }
        if (!written)
            refuse(output->path, output->what, std::strerror(error), true);
    }
}

// Standard output cannot be taken back: it is written once every file has been.
void OutputFiles::writeStandardOutput()
{
    for (auto &output : m_outputs) {
        if (!output->standardOutput)
            continue;
        output->writeStream(*m_standardOutput);
        m_standardOutput->flush();
        if (!*m_standardOutput)
            refuse("standard output", output->what, "the output was closed or is full", true);
    }
}

void OutputFiles::discardTemporaries()
{
    for (auto &output : m_outputs) {
        if (!output->temporary.empty())
            ::unlink(output->temporary.c_str());
        unregisterTemporaryFile(output->temporarySlot);
        output->temporary.clear();
        output->temporarySlot = -1;
    }
}

// With more than one file, an existing target keeps a second name until every rename has
// succeeded, so that a failing rename can put the earlier ones back.
void OutputFiles::keepBackups()
{
    std::size_t fileCount = 0;
    for (const auto &output : m_outputs)
        fileCount += output->standardOutput ? 0 : 1;
    if (fileCount <= 1)
        return;
    for (auto &output : m_outputs) {
        if (!output->exists)
            continue;
        for (int attempt = 0; attempt < 10 && output->backup.empty(); ++attempt) {
            const std::string name
                = folderOf(output->target) + "/.demagora-" + uniqueSuffix() + "-previous";
            if (::link(output->target.c_str(), name.c_str()) == 0)
                output->backup = name;
            else if (errno != EEXIST)
                break;
        }
    }
}

// Renames every temporary file over its target. When one rename fails, the targets already
// replaced get their backups back (or are removed when they were new), and no temporary file
// or backup is left.
void OutputFiles::renameOrRollBack()
{
    for (auto &output : m_outputs) {
        if (output->standardOutput)
            continue;
        if (::rename(output->temporary.c_str(), output->target.c_str()) != 0) {
            const int error = errno;
            for (auto &done : m_outputs) {
                if (!done->replaced)
                    continue;
                if (done->exists && !done->backup.empty())
                    ::rename(done->backup.c_str(), done->target.c_str());
                else if (!done->exists)
                    ::unlink(done->target.c_str());
                done->backup.clear();
            }
            discardTemporaries();
            removeBackups();
            refuseWithErrno(output->path, output->what, error);
        }
        output->replaced = true;
        unregisterTemporaryFile(output->temporarySlot);
        output->temporarySlot = -1;
        output->temporary.clear();
    }
    removeBackups();
}

void OutputFiles::removeBackups()
{
    for (auto &output : m_outputs) {
        if (!output->backup.empty())
            ::unlink(output->backup.c_str());
    }
}

void writeOutputFile(const std::string &path, const std::string &what, const WriteFunction &write,
    const std::vector<std::string> &protectedInputs)
{
    OutputFiles files(protectedInputs);
    files.add(path, what, write);
    files.commit();
}

} // namespace Demagora
