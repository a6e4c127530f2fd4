#include "results/tfrm_choosefile.h"

#include "modalscript.h"
#include "support/scriptedprompts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace Demagora {
namespace {

QLineEdit *edit(Tfrm_chooseFile &dialog)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("eb_FileName"));
}

QPushButton *button(Tfrm_chooseFile &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

TEST(Tfrm_chooseFileTest, OpensWithDefaultNameAndControls)
{
    Tfrm_chooseFile dialog;
    EXPECT_EQ(dialog.windowTitle(), "choose file");
    EXPECT_EQ(dialog.size(), QSize(304, 234));
    ASSERT_NE(edit(dialog), nullptr);
    EXPECT_EQ(edit(dialog)->text(), "result.xls");
    EXPECT_EQ(edit(dialog)->geometry(), QRect(48, 64, 217, 21));
    EXPECT_EQ(button(dialog, "btn_choose")->text(), "OK");
    EXPECT_EQ(button(dialog, "btn_browse")->text(), "browse");
    EXPECT_EQ(button(dialog, "btn_cancel")->text(), "Cancel");
    EXPECT_TRUE(button(dialog, "btn_choose")->isEnabled());
}

TEST(Tfrm_chooseFileTest, OkIsDisabledExactlyWhileTheNameIsEmpty)
{
    Tfrm_chooseFile dialog;
    dialog.show();
    QLineEdit *name = edit(dialog);
    QPushButton *ok = button(dialog, "btn_choose");
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Delete);
    EXPECT_EQ(name->text(), "");
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(name, "r");
    EXPECT_TRUE(ok->isEnabled());
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_FALSE(ok->isEnabled());
}

TEST(Tfrm_chooseFileTest, OkAcceptsTheTypedName)
{
    Tfrm_chooseFile dialog;
    dialog.show();
    edit(dialog)->clear();
    QTest::keyClicks(edit(dialog), "run7.xls");
    QTest::mouseClick(button(dialog, "btn_choose"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.fileName(), "run7.xls");
}

TEST(Tfrm_chooseFileTest, EnterInTheNameFieldDoesNotConfirm)
{
    Tfrm_chooseFile dialog;
    dialog.show();
    QTest::keyClick(edit(dialog), Qt::Key_Return);
    QTest::keyClick(edit(dialog), Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST(Tfrm_chooseFileTest, CancelAndEscapeReject)
{
    for (bool escape : { false, true }) {
        SCOPED_TRACE(escape ? "Esc" : "Cancel");
        Tfrm_chooseFile dialog;
        dialog.show();
        if (escape)
            QTest::keyClick(edit(dialog), Qt::Key_Escape);
        else
            QTest::mouseClick(button(dialog, "btn_cancel"), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

TEST(Tfrm_chooseFileTest, BrowseTakesTheChosenFileAndKeepsTheNameWhenCancelled)
{
    Testing::ScriptedPrompts prompts;
    prompts.fileNames = { QStringLiteral("/data/cores/site4.xls") };
    Tfrm_chooseFile dialog;
    dialog.show();
    QTest::mouseClick(button(dialog, "btn_browse"), Qt::LeftButton);
    EXPECT_EQ(edit(dialog)->text(), "/data/cores/site4.xls");
    EXPECT_TRUE(dialog.isVisible());

    // The scripted prompts have no further name: the open dialog was cancelled.
    QTest::mouseClick(button(dialog, "btn_browse"), Qt::LeftButton);
    EXPECT_EQ(edit(dialog)->text(), "/data/cores/site4.xls");
}

TEST(ChooseExportFileTest, ReturnsTheNameOnOkAndNothingOnCancel)
{
    {
        Testing::ModalScript script([](Tfrm_chooseFile &dialog) {
            edit(dialog)->setText(QStringLiteral("cores.xls"));
            button(dialog, "btn_choose")->click();
        });
        EXPECT_EQ(ChooseExportFile(nullptr), "cores.xls");
    }
    {
        Testing::ModalScript script(
            [](Tfrm_chooseFile &dialog) { button(dialog, "btn_cancel")->click(); });
        EXPECT_EQ(ChooseExportFile(nullptr), "");
    }
    {
        // A fresh dialog each time: it opens with the default name again.
        Testing::ModalScript script(
            [](Tfrm_chooseFile &dialog) { button(dialog, "btn_choose")->click(); });
        EXPECT_EQ(ChooseExportFile(nullptr), "result.xls");
    }
}

} // namespace
} // namespace Demagora
