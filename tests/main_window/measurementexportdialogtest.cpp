#include "main_window/measurementexportdialog.h"

#include "main_window/mainmenu.h"
#include "main_window/scenariodocument.h"

#include "mainwindowfixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Demagora {
namespace {

using Testing::MainWindowTest;
using Testing::ScriptedPrompts;

QLineEdit *field(MeasurementExportDialog &dialog, const char *name)
{
    QLineEdit *box = dialog.findChild<QLineEdit *>(QLatin1String(name));
    EXPECT_NE(box, nullptr) << name;
    return box;
}

void clickButton(MeasurementExportDialog &dialog, const char *name)
{
    QTest::mouseClick(dialog.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
}

TEST(MeasurementExportDialogTest, ReadsTheFieldsAndRemembersTheLastExport)
{
    ScriptedPrompts prompts;
    QTemporaryDir folder;
    // A store of the test's own: the user's settings are never touched.
    QSettings store(folder.filePath("choices.ini"), QSettings::IniFormat);
    {
        MeasurementExportDialog dialog(store, ",");
        EXPECT_EQ(dialog.choices().scale, "0,001");
        EXPECT_EQ(dialog.choices().steps, "every:50");
        field(dialog, "EB_steps")->setText("0,100,200");
        dialog.findChild<QComboBox *>("CB_format")->setCurrentIndex(2);
        field(dialog, "EB_scale")->setText("2,5e-3");
        field(dialog, "EB_volume")->setText("8");
        field(dialog, "EB_noise")->setText("1e-6");
        field(dialog, "EB_noiseSeed")->setText("77");
        field(dialog, "EB_prefix")->setText("dm");
        field(dialog, "EB_latitude")->setText("-45,25");
        field(dialog, "EB_longitude")->setText("170");
        prompts.fileNames.push_back(folder.filePath("run"));
        clickButton(dialog, "btn_browse");
        clickButton(dialog, "btn_export");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_TRUE(dialog.settings().has_value());
        const MeasurementSettings &settings = *dialog.settings();
        EXPECT_EQ(settings.schedule.listedDegrees, (std::vector<std::int32_t> { 0, 100, 200 }));
        EXPECT_EQ(settings.scaleAPerM, 2.5e-3);
        EXPECT_EQ(settings.volumeCm3, 8);
        EXPECT_EQ(settings.noiseAPerM, 1e-6);
        EXPECT_EQ(settings.noiseSeed, 77u);
        EXPECT_EQ(settings.prefix, "dm");
        EXPECT_EQ(settings.latitude, -45.25);
        EXPECT_EQ(settings.longitude, 170);
        EXPECT_EQ(dialog.targets().utrechtPath, folder.filePath("run").toStdString());
        EXPECT_FALSE(dialog.targets().magicFolder || dialog.targets().puffinPlotPath);
    }
    MeasurementExportDialog reopened(store, ",");
    EXPECT_EQ(reopened.choices().steps, "0,100,200");
    EXPECT_EQ(reopened.choices().format, ExportFormat::Utrecht);
    EXPECT_EQ(reopened.choices().scale, "2,5e-3");
    EXPECT_EQ(reopened.choices().noiseSeed, "77");
    EXPECT_EQ(reopened.choices().latitude, "-45,25");
    EXPECT_EQ(reopened.choices().target, folder.filePath("run").toStdString());

    // A refused field is reported; the dialog stays open and the store keeps the last export.
    field(reopened, "EB_volume")->setText("-1");
    clickButton(reopened, "btn_export");
    EXPECT_EQ(
        prompts.errors, QStringList { "The specimen volume must be a positive number of cm3." });
    EXPECT_FALSE(reopened.settings().has_value());
    EXPECT_EQ(store.value("measurementExport/volume").toString(), "8");

    // So is a value that would overflow the moments, which used to be written as 0.
    const struct
    {
        const char *scale;
        const char *volume;
        QString message;
    } overflows[] = {
        { "1e-3", "1e308",
            "The specimen volume 1e+308 cm3 is too large: the moments would overflow (at most "
            "1e+100)." },
        { "1e308", "8",
            "The scale 1e+308 A/m per unit is too large: the moments would overflow (at most "
            "1e+100)." },
    };
    for (const auto &c : overflows) {
        SCOPED_TRACE(c.message.toStdString());
        prompts.errors.clear();
        field(reopened, "EB_scale")->setText(c.scale);
        field(reopened, "EB_volume")->setText(c.volume);
        clickButton(reopened, "btn_export");
        EXPECT_EQ(prompts.errors, QStringList { c.message });
        EXPECT_FALSE(reopened.settings().has_value());
    }
}

TEST(MeasurementExportDialogTest, NumbersThatDoNotParseAreReportedByTheirField)
{
    ScriptedPrompts prompts;
    QTemporaryDir folder;
    QSettings store(folder.filePath("choices.ini"), QSettings::IniFormat);
    const struct
    {
        const char *box, *expected;
    } cases[] = {
        { "EB_scale", "Scale: 'abc' is not a number." },
        { "EB_volume", "Specimen volume: 'abc' is not a number." },
        { "EB_noise", "Noise: 'abc' is not a number." },
        { "EB_latitude", "Site latitude: 'abc' is not a number." },
        { "EB_longitude", "Site longitude: 'abc' is not a number." },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.box);
        prompts.errors.clear();
        MeasurementExportDialog dialog(store, ".");
        field(dialog, "EB_target")->setText(folder.filePath("out"));
        field(dialog, c.box)->setText("abc");
        clickButton(dialog, "btn_export");
        EXPECT_EQ(prompts.errors, QStringList { c.expected });
        EXPECT_FALSE(dialog.settings().has_value());
    }
}

// Browse asks for a folder for the MagIC tables and for a file for the other formats.
TEST(MeasurementExportDialogTest, BrowseAsksForAFolderForTheMagicTables)
{
    ScriptedPrompts prompts;
    QTemporaryDir folder;
    QSettings store(folder.filePath("choices.ini"), QSettings::IniFormat);
    MeasurementExportDialog dialog(store, ".");
    dialog.findChild<QComboBox *>("CB_format")->setCurrentIndex(0);
    prompts.fileNames.push_back(folder.path());
    clickButton(dialog, "btn_browse");
    EXPECT_EQ(prompts.folderCaptions, QStringList { "MagIC folder" });
    EXPECT_EQ(field(dialog, "EB_target")->text(), folder.path());

    dialog.findChild<QComboBox *>("CB_format")->setCurrentIndex(1);
    prompts.fileNames.push_back(folder.filePath("run.ppl"));
    clickButton(dialog, "btn_browse");
    EXPECT_EQ(prompts.folderCaptions.size(), 1);
    EXPECT_EQ(field(dialog, "EB_target")->text(), folder.filePath("run.ppl"));
}

class MeasurementExportTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window.setPreferences(&store);
    }

    void calculate()
    {
        enter("0", "0", "10", "100", "200");
        click("btn_getcoor");
        enter("90", "0", "5", "150", "250");
        click("btn_getcoor");
        click("btn_add");
        ASSERT_TRUE(waitUntil([&] { return !window.isRunning(); }));
    }

    QTemporaryDir folder;
    QSettings store { folder.filePath("choices.ini"), QSettings::IniFormat };
};

TEST_F(MeasurementExportTest, ExportsTheRunOrReportsWhyNot)
{
    int shown = 0;
    QString target = folder.filePath("run.ppl");
    window.setMeasurementExportRunner([&](MeasurementExportDialog &dialog) {
        ++shown;
        dialog.findChild<QComboBox *>("CB_format")->setCurrentIndex(1);
        field(dialog, "EB_target")->setText(target);
        clickButton(dialog, "btn_export");
        return dialog.result() == QDialog::Accepted;
    });
    QAction *exportAction = window.menu().exportMeasurementsAction();
    window.exportMeasurementsClick();
    EXPECT_EQ(shown, 0); // no run yet

    calculate();
    ASSERT_TRUE(exportAction->isEnabled());
    exportAction->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("; ").toStdString();
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    // Run 100 to 250 every 50 degrees: the NRM, 150, 200 and 250, then the closing blank line.
    const QList<QByteArray> lines = written.readAll().split('\n');
    ASSERT_EQ(lines.size(), 2 + 4 + 2);
    EXPECT_TRUE(lines[2].startsWith("sim0\tDISCRETE\tNONE\t0\t"));
    EXPECT_TRUE(lines[5].startsWith("sim0\tDISCRETE\tTHERMAL\t250\t"));

    target = folder.path(); // a folder is no PuffinPlot file
    exportAction->trigger();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith("Cannot write the PuffinPlot file"))
        << prompts.errors[0].toStdString();
}

// The open scenario is never an export's target, whatever the format; any other existing file
// is replaced only when the user agrees, and a refusal keeps the dialog open.
TEST_F(MeasurementExportTest, NeverReplacesTheOpenScenarioAndAsksForOtherFiles)
{
    calculate();
    const QString scenario = folder.filePath("saved1.json");
    prompts.fileNames.push_back(scenario);
    window.menu().saveAsAction()->trigger();
    ASSERT_EQ(window.document().filePath(), scenario);
    QFile saved(scenario);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray scenarioBytes = saved.readAll();
    saved.close();

    int format = 1;
    QString target;
    window.setMeasurementExportRunner([&](MeasurementExportDialog &dialog) {
        dialog.findChild<QComboBox *>("CB_format")->setCurrentIndex(format);
        field(dialog, "EB_target")->setText(target);
        clickButton(dialog, "btn_export");
        return dialog.result() == QDialog::Accepted;
    });
    const struct
    {
        int format;
        QString target;
    } refused[] = { { 1, scenario }, { 1, folder.filePath("link.ppl") } };
    ASSERT_TRUE(QFile::link(scenario, folder.filePath("link.ppl")));
    for (const auto &c : refused) {
        SCOPED_TRACE(c.format);
        prompts.errors.clear();
        format = c.format;
        target = c.target;
        window.exportMeasurementsClick();
        ASSERT_EQ(prompts.errors.size(), 1);
        EXPECT_TRUE(prompts.errors[0].contains("that is the open scenario"))
            << prompts.errors[0].toStdString();
    }
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), scenarioBytes);
    saved.close();
    EXPECT_FALSE(window.isWindowModified());

    const QString other = folder.filePath("other.ppl");
    QFile old(other);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    prompts.errors.clear();
    format = 1;
    target = other;
    prompts.answers = { Prompts::Answer::No };
    window.exportMeasurementsClick();
    EXPECT_EQ(prompts.questions.last(), other + " already exists. Replace it?");
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    old.close();
    prompts.answers = { Prompts::Answer::Yes };
    window.exportMeasurementsClick();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_TRUE(old.readAll().startsWith("PuffinPlot")) << "the export was written";
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("; ").toStdString();
}

} // namespace
} // namespace Demagora
