#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

namespace Demagora::Testing {

// A fresh folder per test under the system's temporary folder, removed afterwards with all it
// holds (made writable first, so that a case which took the rights away leaves nothing behind).
class TemporaryFolderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern
            = (std::filesystem::temp_directory_path() / "demagora-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all,
            std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string path(const std::string &name) const { return (m_folder / name).string(); }

    // The names in the folder, without the folder's own.
    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(m_folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::filesystem::path m_folder;
};

} // namespace Demagora::Testing
