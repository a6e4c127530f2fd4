#pragma once

#include "model/populations.h"
#include "results/reporttable.h"

#include <cstdint>

class QWidget;

namespace Demagora {

// Show result: builds the report of the last run with the system locale's decimal
// separator and shows it in a modal TvResultForm, which is destroyed when it closes.
void showResultWindow(QWidget *parent, const ComponentPopulations &populations,
    const ResultSeries &series, std::int32_t runLowTemp, std::int32_t runHighTemp, ReportKind kind);

} // namespace Demagora
