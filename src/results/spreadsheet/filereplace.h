#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace Demagora {

// Writes size bytes to the open file descriptor fd; returns false with errno set on failure.
using ByteSink = bool (*)(int fd, const std::uint8_t *data, std::size_t size);

bool writeAllBytes(int fd, const std::uint8_t *data, std::size_t size);

// Replaces the file fileName by bytes through the program's output layer: never a half-written
// file, never anything but a regular file; an existing target keeps its permission bits and a
// symbolic link is written through.
// Throws SheetWriteError "Cannot create file "<full path>". <reason>" when the file cannot be
// created or replaced, and "Stream write error" when the bytes cannot be written.
void replaceFileContents(const std::string &fileName, std::span<const std::uint8_t> bytes,
    ByteSink sink = writeAllBytes);

} // namespace Demagora
