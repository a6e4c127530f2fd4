#include "prompts/busywork.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <thread>

namespace Demagora {

void runWhileBusy(const std::function<void()> &work)
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Demagora
