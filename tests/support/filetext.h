#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace Demagora::Testing {

// The bytes of a file as they are on disk; empty when it cannot be read.
inline std::string fileText(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace Demagora::Testing
