#include "results/spreadsheet/filereplace.h"

#include "files/outputfiles.h"
#include "results/spreadsheet/tsheetwriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

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
    if (fileName.empty())
        throwCannotCreate(fileName, ENOENT);
    try {
        OutputFiles files;
        files.addDescriptorWriter(fileName, "the worksheet",
            [&](int fd) { return sink(fd, bytes.data(), bytes.size()); });
        files.commit();
    } catch (const OutputError &error) {
        if (error.writeFailed())
            throwStreamWriteError();
        throw SheetWriteError(
            "Cannot create file \"" + fullPath(fileName) + "\". " + error.reason());
    }
}

} // namespace Demagora
