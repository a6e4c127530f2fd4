#pragma once

#include "model/populations.h"
#include "results/reporttable.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace Demagora {

// Builds the report off the user-interface thread, on a BusyWork that parent owns, so that the
// sums of a large Initial report freeze nothing: the windows go on painting and take no input
// until it is ready. Then calls ready with it on this thread, or reports to the user what
// buildReportTable threw. populations and series must stay as they are until then.
void buildReportTableThen(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const std::string &separator, std::function<void(ReportTable)> ready);

// Show result: builds the report of the last run with the system locale's decimal
// separator, off the user-interface thread, and then shows it in a modal TvResultForm, which
// is destroyed when it closes. Its Export never replaces openScenario, the file of the open
// scenario.
void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const QString &openScenario = {});

} // namespace Demagora
