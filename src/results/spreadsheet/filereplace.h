#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace Demagora {

// Writes size bytes to the open file descriptor fd; returns false with errno set on failure.
using ByteSink = bool (*)(int fd, const std::uint8_t *data, std::size_t size);

bool writeAllBytes(int fd, const std::uint8_t *data, std::size_t size);

// Replaces the file fileName by bytes without ever leaving a half-written file: the bytes go
// to a new file in the same folder, are flushed to disk, and only then is that file renamed
// over the target. An existing target keeps its permission bits; a symbolic link is followed.
// Throws SheetWriteError "Cannot create file "<full path>". <reason>" when the file cannot be
// created or replaced, and "Stream write error" when the bytes cannot be written.
void replaceFileContents(const std::string &fileName, std::span<const std::uint8_t> bytes,
    ByteSink sink = writeAllBytes);

} // namespace Demagora
