#include "results/resultwindow.h"

#include "prompts/busywork.h"
#include "results/tvresultform.h"

#include <QLocale>

#include <optional>

namespace Demagora {

ReportTable buildReportTableWaiting(const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const std::string &separator)
{
    std::optional<ReportTable> table;
    // The windows keep painting, but take no input that could change the run being read.
    runWhileBusy([&] {
        table = buildReportTable(populations, series, runLowTemp, runHighTemp, kind, separator);
    });
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
