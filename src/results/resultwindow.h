#pragma once

#include "model/populations.h"
#include "results/reporttable.h"

#include <QString>

#include <cstdint>
#include <string>

class QWidget;

namespace Demagora {

// Builds the report on a worker thread under the busy cursor while the user-interface
// thread goes on painting (user input held back until it is ready), so that the sums of a
// large Initial report freeze nothing. Rethrows what buildReportTable throws.
ReportTable buildReportTableWaiting(const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const std::string &separator);

// Show result: builds the report of the last run with the system locale's decimal
// separator, off the user-interface thread, and shows it in a modal TvResultForm, which is
// destroyed when it closes. Its Export never replaces openScenario, the file of the open
// scenario.
void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const QString &openScenario = {});

} // namespace Demagora
