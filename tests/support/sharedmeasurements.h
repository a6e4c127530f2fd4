#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace Demagora::Testing {

// Whether the folder of real measurement files that stands beside the project is there. The
// build passes its path as DEMAGORA_MEASUREMENTS_DIR.
inline bool haveSharedMeasurements()
{
    return std::filesystem::is_directory(DEMAGORA_MEASUREMENTS_DIR);
}

// Whether a missing folder of real files fails the test instead of skipping it, as CI asks
// with DEMAGORA_REQUIRE_MEASUREMENTS=1.
inline bool sharedMeasurementsRequired()
{
    const char *required = std::getenv("DEMAGORA_REQUIRE_MEASUREMENTS");
    return required && std::string_view(required) == "1";
}

} // namespace Demagora::Testing

// Skips, saying why, a test that reads the real measurement files where a checkout stands
// without them (it fails instead where DEMAGORA_REQUIRE_MEASUREMENTS=1); wherever they are, the
// test runs.
#define SKIP_WITHOUT_SHARED_MEASUREMENTS()                                                         \
    if (!::Demagora::Testing::haveSharedMeasurements()) {                                          \
        if (::Demagora::Testing::sharedMeasurementsRequired())                                     \
            FAIL() << "the real measurement files are not at " DEMAGORA_MEASUREMENTS_DIR;          \
        GTEST_SKIP() << "the real measurement files are not at " DEMAGORA_MEASUREMENTS_DIR;        \
    }
