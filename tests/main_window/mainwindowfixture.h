#pragma once

#include "main_window/tfrm_1.h"
#include "main_window/tfrm_par.h"
#include "specimens_window/openmeasurements.h"
#include "support/scriptedprompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace Demagora::Testing {

// A shown main window with scripted prompts, counted beeps and openers that record what
// they were given. Controls are found by their names, as the user knows them.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setBeep([this] { ++beeps; });
        window.setMeasurementsOpener(
            [](QWidget *parent, const QString &path,
                std::function<void(const QString &)> scenarioOpener, std::function<void()> opened) {
                openMeasurements(parent, path, std::move(scenarioOpener), std::move(opened));
            });
        // Scattered populations drawn from the clock would make the drawn k of a test vary
        // from one run to the next.
        window.setRandomSource(std::make_unique<MersenneTwisterSource>(20261210));
        window.setResultOpener([this](QWidget *, const ComponentPopulations &,
                                   const ResultSeries &series, const RunSettings &settings) {
            openedResults
                << QString("results %1 from %2").arg(series.size()).arg(settings.runLowTemp);
        });
        window.setDiagramOpener([this](QWidget *, const ResultSeries &series,
                                    ComponentPopulations &, const RunSettings &settings) {
            openedDiagrams
                << QString("diagrams %1 to %2").arg(series.size()).arg(settings.stereoPointCount);
        });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename T> T *control(const char *name)
    {
        T *widget = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit *box(const char *name) { return control<QLineEdit>(name); }
    QPushButton *button(const char *name) { return control<QPushButton>(name); }
    QComboBox *combo(const char *name) { return control<QComboBox>(name); }
    QCheckBox *check(const char *name) { return control<QCheckBox>(name); }
    QTableWidget *grid() { return control<QTableWidget>("SG_1"); }

    void type(const char *name, const QString &text)
    {
        box(name)->clear();
        QTest::keyClicks(box(name), text);
    }
    // Types a component with the upper temperature last, as Add direction needs it.
    void enter(const QString &dec, const QString &inc, const QString &height, const QString &low,
        const QString &high)
    {
        type("EB_dec", dec);
        type("EB_inc", inc);
        type("EB_height", height);
        type("EB_blockLow", low);
        type("EB_blockHigh", high);
    }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void setComboText(const char *name, const QString &text)
    {
        combo(name)->lineEdit()->clear();
        QTest::keyClicks(combo(name)->lineEdit(), text);
    }
    // The grid cell of component row r (row 0 is the heading row, shown as the grid's header).
    QString cell(int r, int column)
    {
        const QTableWidgetItem *item = grid()->item(r - 1, column);
        return item ? item->text() : QString();
    }
    bool waitUntil(const std::function<bool()> &condition, int milliseconds = 120000)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!condition() && !deadline.hasExpired())
            QTest::qWait(5);
        return condition();
    }
    bool enabled(const char *name) { return control<QWidget>(name)->isEnabled(); }
    // Until work started by the last command (opening, a change, undo) has ended.
    void settle() { ASSERT_TRUE(waitUntil([&] { return !window.isBusy(); })); }

    ScriptedPrompts prompts;
    TFrm_1 window;
    int beeps = 0;
    QStringList openedResults;
    QStringList openedDiagrams;
};

} // namespace Demagora::Testing
