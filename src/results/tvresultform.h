#pragma once

#include "results/reporttable.h"
#include "results/spreadsheet/tsheetwriter.h"

#include <QDialog>

#include <functional>
#include <map>

class QPushButton;
class QScrollBar;
class QTableView;

namespace Demagora {

class ResultTableModel;

// The modal result window: the report of the last run as a read-only table, with the
// Export command that writes it to a worksheet file once per opening. Opened by Show result.
class TvResultForm : public QDialog
{
    Q_OBJECT

public:
    // Asks the user for the export file name; empty when the user cancels.
    using FileNameChooser = std::function<QString(QWidget *parent)>;

    explicit TvResultForm(ReportTable table, QWidget *parent = nullptr);
    ~TvResultForm() override;

    // Replaces the "choose file" dialog, e.g. by a scripted answer.
    void setChooseExportFile(FileNameChooser chooser);
    // The file of the open scenario, which Export refuses to replace.
    void setOpenScenario(const QString &path) { m_openScenario = path; }

    const ReportTable &table() const;

    // Tables of more data rows than this are shown a page at a time.
    static constexpr int PagedRowThreshold = 100000;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormResize();
    // Fits the page to the rows the grid has room for and the scroll bar to the table.
    void fitPage();
    void btn_exportClick();
    // Asks, for a table the worksheet cannot hold whole, whether to write its first rows.
    bool confirmCutTable();

    ResultTableModel *m_model = nullptr;
    QTableView *SG_result = nullptr;
    // The scroll bar over every data row of a paged table; null for a table shown whole.
    QScrollBar *SB_rows = nullptr;
    QPushButton *btn_export = nullptr;
    TSheetWriter SheetWriter1;
    FileNameChooser m_chooseExportFile;
    QString m_openScenario;
    // The columns the user widened or narrowed by hand, which keep their width when the window
    // is resized; the others follow the window's width.
    std::map<int, int> m_userWidths;
    bool m_layingOut = false;
};

} // namespace Demagora
