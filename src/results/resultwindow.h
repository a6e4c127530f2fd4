#pragma once

#include "model/populations.h"
#include "results/reporttable.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace Demagora {

// Show result: builds the report of the last run with the system locale's decimal
// separator and shows it in a modal TvResultForm, which is destroyed when it closes. Its Export
// never replaces openScenario, the file of the open scenario.
void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind,
    const QString &openScenario = {});

} // namespace Demagora
