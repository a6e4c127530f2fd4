#include "mainwindowfixture.h"

#include <QLabel>
#include <QMouseEvent>

namespace Demagora::Testing {
namespace {

// The editor runs through an injected runner that acts on the dialog as the user would and
// returns, instead of a modal loop.
class TFRM_parTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window.setEditorRunner([this](TFRM_par &editor) {
            ++editorsOpened;
            openedIndex = editor.index();
            shownTexts.clear();
            for (const char *name :
                { "EB_dec", "EB_inc", "EB_height", "EB_blockLow", "EB_blockHigh" })
                shownTexts << editor.findChild<QLineEdit *>(QLatin1String(name))->text();
            shownLabel = editor.findChild<QLabel *>("lbl_vector")->text();
            if (action)
                action(editor);
            editorResult = editor.result();
        });
    }

    // Three components with distinct values, then a run, so Show result and Paint are on.
    void addThreeAndCalculate()
    {
        enter("12.5", "-3", "10", "100", "200");
        click("btn_getcoor");
        enter("20", "30", "5", "150", "250");
        click("btn_getcoor");
        enter("30.123456789012", "40", "1", "120", "180");
        click("btn_getcoor");
        click("btn_add");
        ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
        ASSERT_TRUE(enabled("btn_paint"));
    }
    void setEditorBox(TFRM_par &editor, const char *name, const QString &text)
    {
        editor.findChild<QLineEdit *>(QLatin1String(name))->setText(text);
    }
    void doubleClickRow(int r)
    {
        QTableWidget *table = grid();
        const QRect rect = table->visualItemRect(table->item(r - 1, 1));
        // A press, then the double-click as the windowing system reports the second press.
        QWidget *viewport = table->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, rect.center());
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, rect.center(),
            viewport->mapToGlobal(rect.center()), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &doubleClick);
        // A change builds its population off the user-interface thread.
        settle();
    }

    int editorsOpened = 0;
    int openedIndex = -1;
    QStringList shownTexts;
    QString shownLabel;
    int editorResult = -1;
    std::function<void(TFRM_par &)> action;
};

TEST_F(TFRM_parTest, DoubleClickOpensTheEditorOnThatComponent)
{
    addThreeAndCalculate();
    doubleClickRow(3);
    EXPECT_EQ(editorsOpened, 1);
    EXPECT_EQ(openedIndex, 2);
    EXPECT_EQ(shownLabel, "component #3");
    EXPECT_EQ(shownTexts, (QStringList { "30.123456789012", "40", "1", "120", "180" }));
    // Closed through its close box: nothing changes but Show result and Paint go off.
    EXPECT_EQ(window.session().populations().size(), 3u);
    EXPECT_FALSE(enabled("btn_showRes"));
    EXPECT_FALSE(enabled("btn_paint"));
    EXPECT_TRUE(enabled("btn_add"));
}

TEST_F(TFRM_parTest, HeaderAndEmptyLastRowOpenNothing)
{
    addThreeAndCalculate();
    window.SG_1DblClick(0);
    window.SG_1DblClick(4);
    doubleClickRow(4);
    EXPECT_EQ(editorsOpened, 0);
    EXPECT_TRUE(enabled("btn_paint"));
}

TEST_F(TFRM_parTest, ChangeWithoutEditingKeepsTheComponentAndItsShape)
{
    addThreeAndCalculate();
    // The main window's shape choice no longer reaches a component in the editor.
    combo("CBshape")->setCurrentIndex(1);
    const TVector before = window.session().populations()[2][0];
    QString shownShape;
    action = [&](TFRM_par &editor) {
        shownShape = editor.findChild<QComboBox *>("CBshape")->currentText();
        editor.btn_changeClick();
    };
    doubleClickRow(3);
    EXPECT_EQ(editorResult, QDialog::Accepted);
    EXPECT_EQ(shownShape, "Gauss");
    const TVector &changed = window.session().populations()[2][0];
    EXPECT_EQ(changed.Declination, 30.123456789012);
    EXPECT_EQ(changed.BlockLow, 120);
    EXPECT_EQ(changed.Shape, SpectrumShape::Gauss);
    EXPECT_EQ(changed.Remaining(0), before.Remaining(0));
    EXPECT_EQ(cell(3, 0), "Comp. #3");
    EXPECT_EQ(cell(3, 1), "30");
    EXPECT_FALSE(enabled("btn_showRes"));

    action = [](TFRM_par &editor) {
        editor.findChild<QComboBox *>("CBshape")->setCurrentIndex(1);
        editor.btn_changeClick();
    };
    doubleClickRow(3);
    EXPECT_EQ(window.session().populations()[2][0].Shape, SpectrumShape::Rectangular);
    combo("CBshape")->setCurrentIndex(0);
    action = [&](TFRM_par &editor) {
        shownShape = editor.findChild<QComboBox *>("CBshape")->currentText();
        editor.btn_changeClick();
    };
    doubleClickRow(3);
    EXPECT_EQ(shownShape, "Rectangular");
    EXPECT_EQ(window.session().populations()[2][0].Shape, SpectrumShape::Rectangular);
}

TEST_F(TFRM_parTest, ChangingTheHeightRewritesTheLength)
{
    addThreeAndCalculate();
    EXPECT_EQ(cell(1, 6), "416");
    action = [this](TFRM_par &editor) {
        setEditorBox(editor, "EB_height", "20");
        editor.btn_changeClick();
    };
    doubleClickRow(1);
    EXPECT_EQ(cell(1, 3), "20");
    EXPECT_EQ(cell(1, 6), "833");
    EXPECT_EQ(window.session().populations()[0][0].Height, 20);
    EXPECT_EQ(window.session().settings().runHighTemp, 250);
}

TEST_F(TFRM_parTest, RefusedChangeKeepsTheEditorOpenAndTheComponent)
{
    addThreeAndCalculate();
    action = [this](TFRM_par &editor) {
        setEditorBox(editor, "EB_inc", "north");
        editor.btn_changeClick();
    };
    doubleClickRow(2);
    EXPECT_EQ(prompts.errors, QStringList { "'north' is not a valid floating point value." });
    EXPECT_NE(editorResult, QDialog::Accepted);
    EXPECT_EQ(window.session().populations()[1][0].Inclination, 30);
    EXPECT_EQ(cell(2, 2), "30");
    EXPECT_FALSE(enabled("btn_paint"));
}

TEST_F(TFRM_parTest, ChangeReadsKAsAWholeNumberBeforeRemovingAnything)
{
    check("CBmult")->click();
    setComboText("CB_randomPoints", "3");
    addThreeAndCalculate();
    setComboText("CB_k", "2.5");
    action = [](TFRM_par &editor) { editor.btn_changeClick(); };
    doubleClickRow(1);
    EXPECT_EQ(prompts.errors, QStringList { "'2.5' is not a valid integer value." });
    ASSERT_EQ(window.session().populations().size(), 3u);
    EXPECT_EQ(window.session().populations()[0].size(), 4u);
    EXPECT_EQ(cell(1, 1), "12");

    setComboText("CB_k", "40");
    doubleClickRow(1);
    EXPECT_EQ(editorResult, QDialog::Accepted);
    EXPECT_EQ(window.session().populations()[0].size(), 4u);
}

TEST_F(TFRM_parTest, DeletingRowOneOfThreeMovesTheOthersUp)
{
    addThreeAndCalculate();
    action = [](TFRM_par &editor) { editor.btn_deleteClick(); };
    doubleClickRow(1);
    EXPECT_EQ(grid()->rowCount(), 3);
    EXPECT_EQ(cell(1, 0), "Comp. #1");
    EXPECT_EQ(cell(1, 1), "20");
    EXPECT_EQ(cell(2, 0), "Comp. #2");
    EXPECT_EQ(cell(2, 1), "30");
    EXPECT_EQ(cell(3, 0), "");
    EXPECT_EQ(window.session().settings().componentCounter, 3);
    EXPECT_EQ(window.session().populations().size(), 2u);
    EXPECT_FALSE(enabled("btn_showRes"));
    EXPECT_TRUE(enabled("btn_add"));

    // Deleting the rest leaves Calculate on; it then refuses the run instead of failing.
    doubleClickRow(1);
    doubleClickRow(1);
    EXPECT_TRUE(window.session().populations().empty());
    click("btn_add");
    EXPECT_EQ(prompts.errors,
        QStringList { "There is no component left to calculate: add a component first." });
    EXPECT_FALSE(window.isRunning());
}

} // namespace
} // namespace Demagora::Testing
