#pragma once

#include "measurements/measurementreader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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

// A 2G binary file: three short chunks, the header, then per step its number and its record,
// each chunk a 16-bit little-endian length and its bytes. The header holds the name, a volume
// of 10 cm3, the date, then orientation, bedding and declination fields; each step's record
// has 26 values, the moment's x, y and z (emu) at 9, 13 and 17.
struct TwoGStep
{
    std::string label;
    double x, y, z;
};
inline std::string twoGFile(
    const std::string &name, const std::string &date, const std::vector<TwoGStep> &steps)
{
    const auto chunk = [](const std::string &bytes) {
        return std::string { char(bytes.size() & 0xff), char(bytes.size() >> 8) } + bytes;
    };
    const std::string nul(1, '\0');
    std::string header = nul + name + nul + "10" + nul + date + nul;
    for (const char *field : { "17", "42", "341", "7", "0", "0", "-0.9" })
        header += field + nul;
    std::string file = chunk("-1") + chunk(std::string(2, '\0')) + chunk("0") + chunk(header);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::vector<std::string> fields(26, "1");
        fields[0] = steps[i].label;
        fields[9] = std::to_string(steps[i].x);
        fields[13] = std::to_string(steps[i].y);
        fields[17] = std::to_string(steps[i].z);
        fields[25] = "Apr 28 2006";
        std::string record = "\xcd";
        for (const std::string &field : fields)
            record += nul + field;
        file += chunk(std::to_string(i + 1)) + chunk(record);
    }
    return file;
}

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
