#include "prompts/busywork.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace Demagora {
namespace {

// While the work runs, the windows take none of the user's input and no window closes; a
// second start is refused; the work's exception reaches done, on this thread, after which the
// windows take input again.
TEST(BusyWorkTest, HoldsInputAndClosingUntilTheWorkEndsAndHandsOverItsFailure)
{
    QWidget window;
    auto *box = new QLineEdit(&window);
    window.show();
    BusyWork busy;
    QSignalSpy finished(&busy, &BusyWork::finished);
    std::atomic<bool> release { false };
    std::exception_ptr failure;
    int doneCalls = 0;
    ASSERT_TRUE(busy.start(
        [&] {
            while (!release.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            throw std::runtime_error("refused");
        },
        [&](std::exception_ptr thrown) {
            ++doneCalls;
            failure = thrown;
        }));
    EXPECT_TRUE(busy.isBusy());
    EXPECT_FALSE(busy.start([] { }, [&](std::exception_ptr) { ++doneCalls; }));

    QTest::keyClicks(box, "typed");
    EXPECT_EQ(box->text(), "");
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());

    release = true;
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(busy.isBusy());
    EXPECT_EQ(doneCalls, 1);
    ASSERT_TRUE(failure);
    EXPECT_THROW(std::rethrow_exception(failure), std::runtime_error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::keyClicks(box, "typed");
    EXPECT_EQ(box->text(), "typed");
    EXPECT_TRUE(window.close());
}

} // namespace
} // namespace Demagora
