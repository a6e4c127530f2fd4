#include "results/tfrm_choosefile.h"

#include "prompts/prompts.h"

#include <QLineEdit>
#include <QPushButton>

namespace Demagora {

namespace {

QPushButton *makeButton(const QString &text, const char *name, QRect geometry, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // None of the buttons is the default: Enter in the edit field confirms nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

Tfrm_chooseFile::Tfrm_chooseFile(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_chooseFile"));
    setWindowTitle(QStringLiteral("choose file"));
    resize(304, 234);

    eb_FileName = new QLineEdit(this);
    eb_FileName->setObjectName(QStringLiteral("eb_FileName"));
    eb_FileName->setGeometry(48, 64, 217, 21);
    btn_choose = makeButton(QStringLiteral("OK"), "btn_choose", QRect(40, 104, 57, 25), this);
    btn_browse = makeButton(QStringLiteral("browse"), "btn_browse", QRect(112, 104, 65, 25), this);
    btn_cancel = makeButton(QStringLiteral("Cancel"), "btn_cancel", QRect(200, 104, 65, 25), this);

    connect(eb_FileName, &QLineEdit::textChanged, this, &Tfrm_chooseFile::eb_FileNameChange);
    connect(btn_choose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_browse, &QPushButton::clicked, this, &Tfrm_chooseFile::btn_browseClick);
    connect(btn_cancel, &QPushButton::clicked, this, &Tfrm_chooseFile::btn_cancelClick);

    eb_FileName->setText(QStringLiteral("result.xls"));
    eb_FileName->setFocus();
}

QString Tfrm_chooseFile::fileName() const
{
    return eb_FileName->text();
}

void Tfrm_chooseFile::eb_FileNameChange(const QString &text)
{
    // OK can never hand back an empty name.
    btn_choose->setEnabled(!text.isEmpty());
}

void Tfrm_chooseFile::btn_browseClick()
{
    const QString chosen = Prompts::current().askOpenFileName(this, QStringLiteral("xls"));
    if (!chosen.isEmpty())
        eb_FileName->setText(chosen);
}

void Tfrm_chooseFile::btn_cancelClick()
{
    reject();
}

QString ChooseExportFile(QWidget *parent)
{
    Tfrm_chooseFile dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.fileName();
}

} // namespace Demagora
