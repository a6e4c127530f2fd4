#include "results/resultwindow.h"

#include "results/tvresultform.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QLocale>
#include <QMetaObject>

#include <exception>
#include <optional>
#include <thread>

namespace Demagora {

ReportTable buildReportTableWaiting(const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const std::string &separator)
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    std::optional<ReportTable> table;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            table = buildReportTable(populations, series, runLowTemp, runHighTemp, kind, separator);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The windows keep painting, but take no input that could change the run being read.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*table);
}

void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const QString &openScenario)
{
    const std::string separator = QLocale::system().decimalPoint().toStdString();
    TvResultForm form(
        buildReportTableWaiting(populations, series, runLowTemp, runHighTemp, kind, separator),
        parent);
    form.setOpenScenario(openScenario);
    form.exec();
}

} // namespace Demagora
