#pragma once

#include "results/reporttable.h"
#include "results/spreadsheet/tsheetwriter.h"

#include <QDialog>

#include <functional>

class QPushButton;
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

    const ReportTable &table() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormResize();
    void btn_exportClick();
    // Asks, for a table the worksheet cannot hold whole, whether to write its first rows.
    bool confirmCutTable();

    ResultTableModel *m_model = nullptr;
    QTableView *SG_result = nullptr;
    QPushButton *btn_export = nullptr;
    TSheetWriter SheetWriter1;
    FileNameChooser m_chooseExportFile;
};

} // namespace Demagora
