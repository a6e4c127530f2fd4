#include "results/resultwindow.h"

#include "results/tvresultform.h"

#include <QLocale>

namespace Demagora {

void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const QString &openScenario)
{
    const std::string separator = QLocale::system().decimalPoint().toStdString();
    TvResultForm form(
        buildReportTable(populations, series, runLowTemp, runHighTemp, kind, separator), parent);
    form.setOpenScenario(openScenario);
    form.exec();
}

} // namespace Demagora
