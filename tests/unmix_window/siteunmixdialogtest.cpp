#include "unmix_window/siteunmixdialog.h"

#include "diagrams/specimenpicture.h"
#include "model/vector3.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace Demagora {
namespace {

// Three specimens carrying an outer Gauss spectrum pointing (10, 50) and an inner one pointing
// (200, -30), their heights and ranges their own, measured every 25 degrees without noise.
std::vector<SiteUnmixSpecimen> exactSite()
{
    std::vector<double> temperatures;
    for (int t = 0; t <= 650; t += 25)
        temperatures.push_back(t);
    std::vector<SiteUnmixSpecimen> site;
    for (int s = 0; s < 3; ++s) {
        const double shift = 10.0 * s - 10;
        const std::vector<UnmixComponent> truth
            = { { SpectrumShape::Gauss, 10, 50, 0.01 + 0.002 * s, 100 + shift, 600 - shift },
                  { SpectrumShape::Gauss, 200, -30, 0.02 - 0.004 * s, 300 - shift,
                      450 + shift } };
        const auto moments = predictedMoments(truth, temperatures);
        std::vector<UnmixStep> steps;
        for (std::size_t i = 0; i < temperatures.size(); ++i)
            steps.push_back({ temperatures[i], moments[i], {} });
        site.push_back({ "S" + std::to_string(s + 1), std::move(steps) });
    }
    return site;
}

QString cell(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

// The fit runs on the worker and shows the site's components, the shown specimen's joint and
// own fits side by side, and on the stereogram the site directions and every specimen's;
// choosing another specimen redraws its steps.
TEST(SiteUnmixDialogTest, ShowsTheSiteComponentsAndEachSpecimensJointAndOwnFits)
{
    SiteUnmixDialog dialog("SM", exactSite(), "S2");
    dialog.show();
    auto *specimen = dialog.findChild<QComboBox *>(QStringLiteral("CB_specimen"));
    ASSERT_EQ(specimen->currentText(), "S2");
    QSignalSpy finished(&dialog, &SiteUnmixDialog::unmixFinished);
    dialog.setChoices(2, 0);
    dialog.btn_unmixClick();
    EXPECT_TRUE(dialog.isRunning());
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_TRUE(dialog.result().has_value()) << dialog.statusText().toStdString();

    const auto *site = dialog.findChild<QTableWidget *>(QStringLiteral("SG_site"));
    ASSERT_EQ(site->rowCount(), 2);
    const Vector3 truths[] = { unitVector(10, 50), unitVector(200, -30) };
    for (const Vector3 &truth : truths) {
        double nearest = 180;
        for (int r = 0; r < 2; ++r)
            nearest = std::min(nearest,
                angleBetween(truth,
                    unitVector(cell(site, r, 1).toDouble(), cell(site, r, 2).toDouble())));
        EXPECT_LT(nearest, 0.5);
    }
    EXPECT_EQ(cell(site, 0, 6), "3 of 3");

    const auto *shown = dialog.findChild<QTableWidget *>(QStringLiteral("SG_specimen"));
    ASSERT_EQ(shown->rowCount(), 2);
    for (int r = 0; r < 2; ++r) {
        EXPECT_FALSE(cell(shown, r, 5).isEmpty()) << "own fit of component " << r + 1;
        EXPECT_LT(cell(shown, r, 8).toDouble(), 1.0) << "joint against own, component " << r + 1;
    }
    // Two site directions with their names, and each specimen's two directions.
    const auto &cones = dialog.picture().diagram().data().cones;
    EXPECT_EQ(std::count_if(cones.begin(), cones.end(),
                  [](const SpecimenDiagramCone &c) { return c.name.startsWith("Site "); }),
        2);
    EXPECT_GE(cones.size(), 2u + 6u);
    EXPECT_EQ(dialog.picture().diagram().data().title, "S2");

    specimen->setCurrentIndex(2);
    EXPECT_EQ(dialog.picture().diagram().data().title, "S3");
    EXPECT_EQ(shown->rowCount(), 2);
}

// In the table of the site's components, a component whose specimens' directions scatter with
// k below 10 is marked as not shared, k of 10 and more is shared, and a component one specimen
// alone carries is that specimen's, whatever its k; a component without k shows none.
TEST(SiteUnmixDialogTest, ComponentsOfLowPrecisionOrOneSpecimenAreMarkedNotShared)
{
    const struct
    {
        std::optional<double> k;
        int specimens;
        const char *shared;
        const char *kText;
    } cases[] = { { 2.5, 9, "no: k below 10", "2.5" }, { 9.99, 9, "no: k below 10", "10.0" },
        { 10.0, 9, "yes", "10.0" }, { 33.0, 2, "yes", "33.0" },
        { 33.0, 1, "no: one specimen", "33.0" }, { std::nullopt, 1, "no: one specimen", "" } };
    SiteUnmixResult result;
    result.specimens.resize(9);
    for (const auto &c : cases) {
        SiteComponent component;
        component.k = c.k;
        component.specimens = c.specimens;
        result.components.push_back(component);
    }
    const auto rows = siteComponentRows(result);
    ASSERT_EQ(rows.size(), std::size(cases));
    const int shared = int(siteComponentHeadings().indexOf("Shared"));
    const int k = int(siteComponentHeadings().indexOf("k"));
    ASSERT_GE(shared, 0);
    ASSERT_GE(k, 0);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(rows[i][shared], cases[i].shared) << i;
        EXPECT_EQ(rows[i][k], cases[i].kText) << i;
    }
}

// Every value lands in its own column: the site's component with its cone and k interval, and
// a specimen's joint component beside its own nearest one; a component the specimen lacks
// shows as absent, with no own component beside it.
TEST(SiteUnmixDialogTest, RowsPutEachValueInItsColumn)
{
    SiteUnmixResult result;
    result.specimens.resize(8);
    SiteComponent site;
    site.declination = 12.34;
    site.inclination = -56.78;
    site.alpha95 = 4.56;
    site.k = 78.9;
    site.kLow = 40.1;
    site.kHigh = 120.2;
    site.specimens = 7;
    site.low = 123.4;
    site.high = 567.8;
    result.components.push_back(site);
    EXPECT_EQ(siteComponentRows(result).front(),
        (QStringList { "1", "12.3", "-56.8", "4.6", "78.9", "40.1 to 120.2", "7 of 8", "123 to 568",
            "yes" }));

    SiteSpecimenFit fit;
    fit.components = { { SpectrumShape::Gauss, 10, 20, 1, 100, 300 },
        { SpectrumShape::Gauss, 200, -30, 0, 300, 500 } };
    fit.alpha95 = { 3.21, 9 };
    fit.single.best.components = { { SpectrumShape::Gauss, 200, -30, 2, 320, 480 },
        { SpectrumShape::Gauss, 10, 25, 1, 110, 290 } };
    const auto rows = siteSpecimenRows(fit);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
        (QStringList { "1", "10.0", "20.0", "3.2", "100 to 300", "10.0", "25.0", "110 to 290",
            "5.0" }));
    EXPECT_EQ(rows[1], (QStringList { "2", "absent", "", "", "", "", "", "", "" }));
}

// Cancel ends the worker without a result, and the window says so.
TEST(SiteUnmixDialogTest, CancelEndsTheWorkerWithoutAResult)
{
    SiteUnmixDialog dialog("SM", exactSite(), "S1");
    dialog.show();
    QSignalSpy finished(&dialog, &SiteUnmixDialog::unmixFinished);
    dialog.setChoices(0, 1000);
    dialog.btn_unmixClick();
    dialog.btn_cancelClick();
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_FALSE(dialog.result().has_value());
    EXPECT_EQ(dialog.statusText(), "Unmixing cancelled.");
    EXPECT_FALSE(dialog.isRunning());
}

} // namespace
} // namespace Demagora
