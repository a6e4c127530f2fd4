#pragma once

#include <QStringList>

#include <vector>

class QTableWidget;
class QWidget;

namespace Demagora {

// A read-only table of the unmix windows: its object name and column headings.
QTableWidget *unmixTable(QWidget *parent, const char *name, const QStringList &headings);
// Replaces the table's rows, one string list a row.
void fillUnmixTable(QTableWidget *view, const std::vector<QStringList> &rows);

} // namespace Demagora
