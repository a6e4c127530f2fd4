#include "unmix_window/unmixtables.h"

#include <QHeaderView>
#include <QTableWidget>

namespace Demagora {

QTableWidget *unmixTable(QWidget *parent, const char *name, const QStringList &headings)
{
    auto *view = new QTableWidget(0, int(headings.size()), parent);
    view->setObjectName(QLatin1String(name));
    view->setHorizontalHeaderLabels(headings);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

void fillUnmixTable(QTableWidget *view, const std::vector<QStringList> &rows)
{
    view->setRowCount(int(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            view->setItem(int(r), c, new QTableWidgetItem(rows[r][c]));
    view->resizeColumnsToContents();
}

} // namespace Demagora
