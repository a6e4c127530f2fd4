#include "results/resultwindow.h"

#include "prompts/busywork.h"
#include "prompts/prompts.h"
#include "results/tvresultform.h"

#include <QLocale>

#include <memory>
#include <optional>

namespace Demagora {

void buildReportTableThen(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const std::string &separator, std::function<void(ReportTable)> ready)
{
    auto *busy = new BusyWork(parent);
    auto table = std::make_shared<std::optional<ReportTable>>();
    busy->start(
        [&populations, &series, runLowTemp, runHighTemp, kind, separator, table] {
            *table = buildReportTable(populations, series, runLowTemp, runHighTemp, kind, separator);
        },
        [parent, busy, table, ready = std::move(ready)](std::exception_ptr failure) {
            busy->deleteLater();
            if (!failure) {
                ready(std::move(**table));
                return;
            }
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception &error) {
                reportError(parent, QString::fromStdString(error.what()));
            }
        });
}

void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const QString &openScenario)
{
    const std::string separator = QLocale::system().decimalPoint().toStdString();
    buildReportTableThen(parent, populations, series, runLowTemp, runHighTemp, kind, separator,
        [parent, openScenario](ReportTable table) {
            TvResultForm form(std::move(table), parent);
            form.setOpenScenario(openScenario);
            form.exec();
        });
}

} // namespace Demagora
