#pragma once

#include <gtest/gtest.h>

#include <filesystem>

namespace Demagora::Testing {

// Whether the folder of real measurement files that stands beside the project is there. The
// build passes its path as DEMAGORA_MEASUREMENTS_DIR.
inline bool haveSharedMeasurements()
{
    return std::filesystem::is_directory(DEMAGORA_MEASUREMENTS_DIR);
}

} // namespace Demagora::Testing

// Skips, saying why, a test that reads the real measurement files where a checkout stands
// without them; wherever they are, the test runs.
#define SKIP_WITHOUT_SHARED_MEASUREMENTS()                                                         \
    if (!::Demagora::Testing::haveSharedMeasurements())                                            \
    GTEST_SKIP() << "the real measurement files are not at " DEMAGORA_MEASUREMENTS_DIR

