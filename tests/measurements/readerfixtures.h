#pragma once

#include "measurements/measurementreader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace Demagora::Fixtures {

inline std::string sharedMeasurements(const std::string &relative)
{
    return std::string(DEMAGORA_MEASUREMENTS_DIR) + "/" + relative;
}

inline std::string fileText(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline void writeText(const std::filesystem::path &path, const std::string &text)
{
    std::ofstream stream(path, std::ios::binary);
    stream << text;
}

// A fresh folder under the system's temporary folder, removed with the fixture.
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        std::random_device seed;
        m_path = std::filesystem::temp_directory_path()
            / ("demagora-readers-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder() { std::filesystem::remove_all(m_path); }
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::string file(const std::string &name, const std::string &text) const
    {
        writeText(m_path / name, text);
        return (m_path / name).string();
    }

private:
    std::filesystem::path m_path;
};

inline std::size_t stepCount(const MeasurementSet &set)
{
    std::size_t steps = 0;
    for (const Specimen &specimen : set.specimens)
        steps += specimen.steps.size();
    return steps;
}

inline const Specimen *findSpecimen(const MeasurementSet &set, const std::string &name)
{
    for (const Specimen &specimen : set.specimens)
        if (specimen.name == name)
            return &specimen;
    return nullptr;
}

} // namespace Demagora::Fixtures
