#include <QApplication>

#include <gtest/gtest.h>

// The widget tests need an application object; listing the tests (as CTest's discovery
// does at build time) must work without a display.
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
