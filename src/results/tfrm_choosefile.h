#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace Demagora {

// The small modal "choose file" dialog that asks the export for a file name; the browse
// button offers the system's file-open dialog. Used by the result window's Export.
class Tfrm_chooseFile : public QDialog
{
    Q_OBJECT

public:
    explicit Tfrm_chooseFile(QWidget *parent = nullptr);

    QString fileName() const;

private:
    void eb_FileNameChange(const QString &text);
    void btn_browseClick();
    void btn_cancelClick();

    QLineEdit *eb_FileName = nullptr;
    QPushButton *btn_choose = nullptr;
    QPushButton *btn_browse = nullptr;
    QPushButton *btn_cancel = nullptr;
};

// Asks for the export file name with a fresh Tfrm_chooseFile: its text when the user
// confirms with OK, otherwise the empty string.
QString ChooseExportFile(QWidget *parent);

} // namespace Demagora
